#pragma once
// A plug-in window around a real child window the browser gives: the window
// is subclassed, and its messages become plug-in events for the observers.

#include <win32/window.h>

#include "PluginCore/PluginWindow.h"

namespace PB {

class PluginWindowWin : public PluginWindow {
public:
    // Subclasses the window and enters it in the window map; the caller owns
    // the result. Only the factory makes these. A second object for the same
    // window takes the first one's place in the map.
    static PluginWindowWin* create(HWND hwnd);
    // Puts the old window procedure back unless someone subclassed the window
    // since, or a newer object for the window still needs it subclassed.
    ~PluginWindowWin() override;

    void InvalidateWindow() const override;
    Rect getWindowPosition() const override;
    int getWindowWidth() const override;
    int getWindowHeight() const override;
    Rect getWindowClipping() const override;

    virtual void setSuppressEraseBackground(bool suppress) { m_suppressEraseBackground = suppress; }
    virtual bool getSuppressEraseBackground() const { return m_suppressEraseBackground; }
    // A subclass may take messages before any event is built.
    virtual bool preprocessMessage(HWND, UINT, WPARAM, LPARAM, LRESULT&) { return false; }

    HWND getHWND() const { return m_hWnd; }
    void setBrowserHWND(HWND hwnd) { m_browserhWnd = hwnd; }
    HWND getBrowserHWND() const { return m_browserhWnd; }

    static LRESULT CALLBACK subclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    bool WinProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);

protected:
    explicit PluginWindowWin(HWND hwnd);

private:
    WNDPROC lpOldWinProc = nullptr;
    HWND m_hWnd;
    HWND m_browserhWnd = nullptr;
    bool m_suppressEraseBackground = false;
};

}  // namespace PB
