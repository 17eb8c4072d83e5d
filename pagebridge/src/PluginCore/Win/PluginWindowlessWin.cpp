#include "PluginCore/Win/PluginWindowlessWin.h"

#include <win32/messages.h>

#include "PluginCore/PluginEvent.h"
#include "PluginCore/Win/InputMessages.h"

namespace PB {

PluginWindowlessWin::PluginWindowlessWin(HDC drawable, std::shared_ptr<WindowlessHostWindow> hostWindow)
    : m_hdc(drawable), m_hostWindow(std::move(hostWindow))
{
}

PluginWindowlessWin::~PluginWindowlessWin()
{
    m_hostWindow.reset();
    m_invalidateWindow = nullptr;
}

void PluginWindowlessWin::InvalidateWindow() const
{
    if (m_invalidateWindow)
        m_invalidateWindow(0, 0, static_cast<std::uint32_t>(getWindowWidth()),
                           static_cast<std::uint32_t>(getWindowHeight()));
}

Rect PluginWindowlessWin::getWindowPosition() const
{
    Rect r;
    r.top = m_y;
    r.left = m_x;
    r.bottom = m_y + m_height;
    r.right = m_x + m_width;
    return r;
}

void PluginWindowlessWin::setWindowPosition(std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height)
{
    const bool changed = x != m_x || y != m_y || width != m_width || height != m_height;
    m_x = x;
    m_y = y;
    m_width = width;
    m_height = height;
    if (!changed)
        return;
    if (m_hostWindow)
        m_hostWindow->setWindowSize(width, height);
    ResizedEvent resized;
    SendEvent(&resized);
}

void PluginWindowlessWin::setWindowClipping(std::int32_t top, std::int32_t left, std::int32_t bottom,
                                            std::int32_t right)
{
    m_clip.top = top;
    m_clip.left = left;
    m_clip.bottom = bottom;
    m_clip.right = right;
}

bool PluginWindowlessWin::HandleDraw(HDC dc, const Rect& bounds)
{
    if (dc != m_hdc)
        m_hdc = dc;
    RefreshEvent refresh(bounds);
    if (SendEvent(&refresh))
        return true;
    const Rect pos = getWindowPosition();
    SetTextAlign(dc, TA_CENTER | TA_BASELINE);
    static const wchar_t label[] = L"PageBridge Plugin";
    TextOutW(dc, pos.left + (pos.right - pos.left) / 2, pos.top + (pos.bottom - pos.top) / 2, label,
             static_cast<int>(sizeof(label) / sizeof(label[0]) - 1));
    return true;
}

bool PluginWindowlessWin::HandleEvent(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    LRESULT local = 0;
    WindowsEvent raw(nullptr, message, wParam, lParam, local);
    if (SendEvent(&raw)) {
        result = local;
        return true;
    }
    const unsigned int modifiers = currentModifierState();
    int x = lowWordX(lParam);
    int y = highWordY(lParam);
    translateToPluginCoordinates(x, y);
    // Double clicks, the wheel, timers, paint and size send nothing here.
    bool handled = false;
    return sendInputEvent(*this, message, wParam, x, y, modifiers, handled) && handled;
}

void PluginWindowlessWin::translateToPluginCoordinates(int& x, int& y) const
{
    x -= m_x;
    y -= m_y;
}

}  // namespace PB
