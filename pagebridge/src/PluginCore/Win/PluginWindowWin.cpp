#include "PluginCore/Win/PluginWindowWin.h"

#include <win32/gdi.h>
#include <win32/input.h>
#include <win32/messages.h>
#include <win32/queue.h>

#include <map>

#include "PluginCore/PluginEvent.h"
#include "PluginCore/Win/InputMessages.h"

namespace PB {

namespace {

// Live window objects by handle; touched only on the thread that owns the windows.
std::map<HWND, PluginWindowWin*>& windowMap()
{
    static std::map<HWND, PluginWindowWin*> map;
    return map;
}

}  // namespace

PluginWindowWin* PluginWindowWin::create(HWND hwnd)
{
    auto* window = new PluginWindowWin(hwnd);
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PluginWindowWin::subclassProc)));
    // A window object for the same handle subclassed it already: the new one
    // takes its place and the procedure it replaced, to be put back in the end.
    auto older = windowMap().find(hwnd);
    window->lpOldWinProc = (previous == &PluginWindowWin::subclassProc && older != windowMap().end())
                               ? older->second->lpOldWinProc
                               : previous;
    windowMap()[hwnd] = window;
    return window;
}

PluginWindowWin::PluginWindowWin(HWND hwnd) : m_hWnd(hwnd) {}

PluginWindowWin::~PluginWindowWin()
{
    auto found = windowMap().find(m_hWnd);
    // A newer object for the same handle still takes the window's messages.
    const bool replaced = found != windowMap().end() && found->second != this;
    const auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC));
    if (!replaced && current == &PluginWindowWin::subclassProc)
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(lpOldWinProc));
    if (found != windowMap().end() && found->second == this)
        windowMap().erase(found);
}

void PluginWindowWin::InvalidateWindow() const
{
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

Rect PluginWindowWin::getWindowPosition() const
{
    RECT rect{};
    GetWindowRect(m_hWnd, &rect);
    Rect r;
    r.top = rect.top;
    r.left = rect.left;
    r.bottom = rect.bottom;
    r.right = rect.right;
    return r;
}

int PluginWindowWin::getWindowWidth() const
{
    const Rect r = getWindowPosition();
    return r.right - r.left;
}

int PluginWindowWin::getWindowHeight() const
{
    const Rect r = getWindowPosition();
    return r.bottom - r.top;
}

Rect PluginWindowWin::getWindowClipping() const
{
    return getWindowPosition();
}

LRESULT CALLBACK PluginWindowWin::subclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    auto found = windowMap().find(hWnd);
    if (found == windowMap().end())
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    LRESULT result = 0;
    if (found->second->WinProc(hWnd, uMsg, wParam, lParam, result))
        return result;
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

bool PluginWindowWin::WinProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes)
{
    lRes = 0;
    if (preprocessMessage(hWnd, uMsg, wParam, lParam, lRes))
        return true;
    {
        WindowsEvent raw(hWnd, uMsg, wParam, lParam, lRes);
        if (SendEvent(&raw))
            return true;
    }
    const unsigned int modifiers = currentModifierState();
    const int x = lowWordX(lParam);
    const int y = highWordY(lParam);
    const auto send = [this](PluginEvent&& event) { return SendEvent(&event); };

    bool handled = false;
    if (sendInputEvent(*this, uMsg, wParam, x, y, modifiers, handled))
        return handled;
    switch (uMsg) {
    case WM_SIZE:
        return send(ResizedEvent());
    case WM_PAINT: {
        Rect bounds;
        bounds.bottom = getWindowHeight();
        bounds.right = getWindowWidth();
        if (send(RefreshEvent(bounds)))
            return false;  // painted: default processing still follows
        PAINTSTRUCT paint{};
        BeginPaint(hWnd, &paint);
        EndPaint(hWnd, &paint);
        return true;
    }
    case WM_ERASEBKGND:
        return getSuppressEraseBackground();
    case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return false;
    case WM_MOUSEACTIVATE:
        SetFocus(m_hWnd);
        lRes = 1;
        return true;
    case WM_GETDLGCODE:
        lRes = 0x87;  // arrows, tab, all keys and characters
        return true;
    case WM_TIMER:
        return send(TimerEvent(wParam, lParam));
    case WM_LBUTTONDBLCLK:
        return send(MouseDoubleClickEvent(MouseButtonEvent::MouseButton_Left, x, y, modifiers));
    case WM_MOUSEWHEEL: {
        POINT point{x, y};
        ScreenToClient(m_hWnd, &point);
        const double notches = static_cast<short>((wParam >> 16) & 0xFFFF);
        return send(MouseScrollEvent(point.x, point.y, 0.0, notches, modifiers));
    }
    default:
        return false;
    }
}

}  // namespace PB
