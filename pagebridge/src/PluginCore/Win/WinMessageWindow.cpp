#include "PluginCore/Win/WinMessageWindow.h"

#include <win32/kernel.h>
#include <win32/queue.h>

#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>

#include "PluginAuto/ModulePath.h"
#include "ScriptingCore/Log.h"

namespace PB {

namespace {

const wchar_t className[] = L"PBEventWindow";

// The window class, registered once when the module loads, under the
// module's own handle: another module built on the framework in the same
// process registers a class of the same name under its handle.
struct WindowClass {
    ATOM atom = 0;
    DWORD error = 0;

    WindowClass()
    {
        WNDCLASSEXW wc{};
        wc.cbSize = 48;
        wc.style = 0;
        wc.lpfnWndProc = &WinMessageWindow::windowProc;
        wc.hInstance = getModuleHandle();
        wc.lpszClassName = className;
        atom = RegisterClassExW(&wc);
        if (!atom)
            error = GetLastError();
    }
    ~WindowClass()
    {
        if (atom)
            UnregisterClassW(reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(atom)), getModuleHandle());
    }
};

WindowClass windowClass;

int windowCounter = 0;

struct WindowMap {
    std::mutex mutex;
    std::map<HWND, WinMessageWindow*> windows;
};

WindowMap& windowMap()
{
    static WindowMap map;
    return map;
}

}  // namespace

void WinMessageWindow::replaceClassRegistrationForTesting(unsigned short atom, unsigned long error)
{
    windowClass.atom = atom;
    windowClass.error = static_cast<DWORD>(error);
}

unsigned short WinMessageWindow::classAtom()
{
    return windowClass.atom;
}

WinMessageWindow::WinMessageWindow()
{
    if (windowClass.error != 0)
        throw std::runtime_error("Could not register window class, error:" + std::to_string(windowClass.error));
    const std::wstring name = L"PageBridgeEventWindow" + std::to_wstring(windowCounter++);
    m_hWnd = CreateWindowExW(0, reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(windowClass.atom)),
                             name.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, getModuleHandle(), nullptr);
    if (!m_hWnd)
        throw std::runtime_error("Could not create Message Window");
    std::lock_guard<std::mutex> lock(windowMap().mutex);
    windowMap().windows[m_hWnd] = this;
    winProc = [this](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT& r) { return DefaultWinProc(h, m, w, l, r); };
}

WinMessageWindow::~WinMessageWindow()
{
    // Calls posted but never delivered would leak their records.
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, WM_ASYNCTHREADINVOKE, WM_ASYNCTHREADINVOKE, PM_REMOVE))
        delete reinterpret_cast<AsyncCall*>(msg.wParam);
    {
        std::lock_guard<std::mutex> lock(windowMap().mutex);
        for (auto it = windowMap().windows.begin(); it != windowMap().windows.end();) {
            if (it->first == m_hWnd)
                it = windowMap().windows.erase(it);
            else
                ++it;
        }
    }
    // Destroying sends WM_DESTROY to the window procedure, which takes the
    // map's lock: the lock must be free by then.
    DestroyWindow(m_hWnd);
    winProc = nullptr;
}

bool WinMessageWindow::postCall(void (*func)(void*), void* userData) const
{
    auto call = std::make_unique<AsyncCall>(func, userData);
    if (!PostMessageW(m_hWnd, WM_ASYNCTHREADINVOKE, reinterpret_cast<WPARAM>(call.get()), 0))
        return false;
    call.release();  // the message owns it now
    return true;
}

void WinMessageWindow::setWinProc(WinProcCallback callback)
{
    std::lock_guard<std::mutex> lock(windowMap().mutex);
    winProc = std::move(callback);
}

LRESULT CALLBACK WinMessageWindow::windowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    WinMessageWindow* window = nullptr;
    {
        std::lock_guard<std::mutex> lock(windowMap().mutex);
        auto found = windowMap().windows.find(hWnd);
        if (found != windowMap().windows.end())
            window = found->second;
    }
    if (window) {
        LRESULT result = 0;
        if (window->winProc(hWnd, uMsg, wParam, lParam, result))
            return result;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

bool WinMessageWindow::DefaultWinProc(HWND, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lRes)
{
    if (uMsg != WM_ASYNCTHREADINVOKE)
        return false;
    Log::trace("PluginWindow", "Running async function call", __FILE__, __LINE__,
               "PB::WinMessageWindow::DefaultWinProc");
    std::unique_ptr<AsyncCall> call(reinterpret_cast<AsyncCall*>(wParam));
    call->first(call->second);
    lRes = 0;
    return true;
}

}  // namespace PB
