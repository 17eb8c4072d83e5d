#pragma once
// A hidden message-only window of the browser's main thread. Hosts that must
// run a function there from another thread post it a message carrying the
// function and its data; the window procedure runs it on the main thread.

#include <win32/window.h>

#include <functional>
#include <utility>

namespace PB {

class WinMessageWindow {
public:
    // The message that carries a posted call; wParam points at a heap
    // AsyncCall, whose ownership passes with the message.
    static const UINT WM_ASYNCTHREADINVOKE = 0x0401;
    using AsyncCall = std::pair<void (*)(void*), void*>;
    using WinProcCallback = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)>;

    // Throws std::runtime_error when the window class could not be
    // registered or the window not created.
    WinMessageWindow();
    // Calls still queued are not run; their records are freed.
    ~WinMessageWindow();
    WinMessageWindow(const WinMessageWindow&) = delete;
    WinMessageWindow& operator=(const WinMessageWindow&) = delete;

    HWND getHWND() const { return m_hWnd; }
    // Posts a call to the window; false (and nothing posted) when posting fails.
    bool postCall(void (*func)(void*), void* userData) const;

    void setWinProc(WinProcCallback callback);
    bool DefaultWinProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
    static LRESULT CALLBACK windowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

    // The process's class registration, and a way for tests to stand in a
    // failed one (error non-zero) or put the real one back.
    static unsigned short classAtom();
    static void replaceClassRegistrationForTesting(unsigned short atom, unsigned long error);

private:
    HWND m_hWnd = nullptr;
    WinProcCallback winProc;
};

}  // namespace PB
