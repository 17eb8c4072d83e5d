#pragma once
// The plug-in window when the browser owns the drawing surface: the host
// adapter feeds it position, clipping, paint and input calls, which become
// plug-in events; when nobody paints, it draws a default label.

#include <win32/gdi.h>

#include <functional>
#include <memory>

#include "PluginCore/PluginWindow.h"

namespace PB {

// The host-side object told of the plug-in area's size.
class WindowlessHostWindow {
public:
    virtual ~WindowlessHostWindow() = default;
    virtual void setWindowSize(int width, int height) = 0;
};

class PluginWindowlessWin : public PluginWindow {
public:
    using InvalidateWindowFunc = std::function<void(std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t)>;

    PluginWindowlessWin(HDC drawable, std::shared_ptr<WindowlessHostWindow> hostWindow);
    ~PluginWindowlessWin() override;

    void InvalidateWindow() const override;
    Rect getWindowPosition() const override;
    int getWindowWidth() const override { return m_width; }
    int getWindowHeight() const override { return m_height; }
    Rect getWindowClipping() const override { return m_clip; }

    void setWindowPosition(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height);
    void setWindowClipping(std::int32_t top, std::int32_t left, std::int32_t bottom, std::int32_t right);
    void setInvalidateWindowFunc(InvalidateWindowFunc func) { m_invalidateWindow = std::move(func); }
    bool HandleDraw(HDC dc, const Rect& bounds);
    bool HandleEvent(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void translateToPluginCoordinates(int& x, int& y) const;

    HDC getHDC() const { return m_hdc; }
    void setBrowserHWND(HWND hwnd) { m_browserHwnd = hwnd; }

private:
    HDC m_hdc;
    HWND m_browserHwnd = nullptr;
    std::int32_t m_x = 0;
    std::int32_t m_y = 0;
    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    Rect m_clip;
    InvalidateWindowFunc m_invalidateWindow;
    std::shared_ptr<WindowlessHostWindow> m_hostWindow;
};

}  // namespace PB
