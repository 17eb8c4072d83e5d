#include "NpapiCore/NpapiPluginWin.h"

#include <win32/messages.h>

#include <algorithm>
#include <limits>

#include "NpapiCore/NpapiBrowserHost.h"
#include "PluginAuto/ModulePath.h"
#include "PluginCore/FactoryBase.h"
#include "PluginCore/Win/PluginWindowWin.h"
#include "PluginCore/Win/PluginWindowlessWin.h"

namespace PB {
namespace Npapi {

NpapiPluginWin::NpapiPluginWin(const std::shared_ptr<NpapiBrowserHost>& host, const std::string& mimetype)
    : NpapiPlugin(host, mimetype)
{
    PluginCore::setPlatform("Windows", "NPAPI");
    setPluginPath(getModulePath());
}

NpapiPluginWin::~NpapiPluginWin()
{
    pluginMain->ClearWindow();
    pluginWin.reset();
}

void NpapiPluginWin::init(NPMIMEType pluginType, int16_t argc, char* argn[], char* argv[])
{
    NpapiPlugin::init(pluginType, argc, argn, argv);
    if (pluginMain->isWindowless()) {
        // The values travel as the pointer argument itself.
        m_npHost->SetValue(NPPVpluginWindowBool, reinterpret_cast<void*>(false));
        m_npHost->SetValue(NPPVpluginTransparentBool, reinterpret_cast<void*>(true));
    }
    if (pluginWin)
        pluginMain->SetWindow(pluginWin.get());
}

void NpapiPluginWin::clearWindow()
{
    pluginMain->ClearWindow();
    pluginWin.reset();
}

HWND NpapiPluginWin::browserWindow() const
{
    // Stays null when the browser does not tell.
    HWND browser = nullptr;
    m_npHost->GetValue(NPNVnetscapeWindow, &browser);
    return browser;
}

NPError NpapiPluginWin::SetWindow(NPWindow* window)
{
    if (!window || (!window->window && window->type != NPWindowTypeDrawable)) {
        clearWindow();
        return NPERR_NO_ERROR;
    }
    if (pluginMain->isWindowless()) {
        auto* windowless = dynamic_cast<PluginWindowlessWin*>(pluginWin.get());
        if (pluginWin && !windowless)
            clearWindow();
        if (!windowless) {
            WindowContextWindowless context;  // the drawable comes with each paint
            std::unique_ptr<PluginWindowlessWin> made(getPluginFactory()->createPluginWindowless(context));
            if (!made)
                return NPERR_NO_ERROR;
            made->setBrowserHWND(browserWindow());
            made->setInvalidateWindowFunc([this](uint32_t left, uint32_t top, uint32_t right, uint32_t bottom) {
                invalidateWindow(left, top, right, bottom);
            });
            windowless = made.get();
            windowless->setWindowPosition(window->x, window->y, static_cast<int32_t>(window->width),
                                          static_cast<int32_t>(window->height));
            windowless->setWindowClipping(window->clipRect.top, window->clipRect.left, window->clipRect.bottom,
                                          window->clipRect.right);
            pluginWin = std::move(made);
            pluginMain->SetWindow(windowless);
            return NPERR_NO_ERROR;
        }
        windowless->setWindowPosition(window->x, window->y, static_cast<int32_t>(window->width),
                                      static_cast<int32_t>(window->height));
        windowless->setWindowClipping(window->clipRect.top, window->clipRect.left, window->clipRect.bottom,
                                      window->clipRect.right);
        return NPERR_NO_ERROR;
    }
    const HWND hwnd = static_cast<HWND>(window->window);
    auto* windowed = dynamic_cast<PluginWindowWin*>(pluginWin.get());
    const bool stale = windowed ? windowed->getHWND() != hwnd : pluginWin != nullptr;
    if (stale || !hwnd)
        clearWindow();
    if (pluginWin || !hwnd)
        return NPERR_NO_ERROR;
    const HWND browser = browserWindow();
    WindowContextWin context;
    context.handle = hwnd;
    std::unique_ptr<PluginWindowWin> made(getPluginFactory()->createPluginWindowWin(context));
    if (!made)
        return NPERR_NO_ERROR;
    made->setBrowserHWND(browser);
    PluginWindowWin* attached = made.get();
    pluginWin = std::move(made);
    pluginMain->SetWindow(attached);
    return NPERR_NO_ERROR;
}

int16_t NpapiPluginWin::HandleEvent(void* event)
{
    auto* windowless = dynamic_cast<PluginWindowlessWin*>(pluginWin.get());
    if (!windowless || !event)
        return 0;
    const NPEvent* ev = static_cast<const NPEvent*>(event);
    if (ev->event == WM_PAINT) {
        Rect bounds;
        if (ev->lParam) {
            const RECT* area = reinterpret_cast<const RECT*>(ev->lParam);
            bounds.top = area->top;
            bounds.left = area->left;
            bounds.bottom = area->bottom;
            bounds.right = area->right;
        } else {
            bounds = windowless->getWindowPosition();
        }
        return windowless->HandleDraw(reinterpret_cast<HDC>(ev->wParam), bounds) ? 1 : 0;
    }
    LRESULT result = 0;
    if (!windowless->HandleEvent(ev->event, ev->wParam, static_cast<LPARAM>(ev->lParam), result))
        return 0;
    // The browser takes 16 bits; a wider answer is clamped rather than cut.
    const LRESULT low = std::numeric_limits<int16_t>::min();
    const LRESULT high = std::numeric_limits<int16_t>::max();
    return static_cast<int16_t>(std::min(std::max(result, low), high));
}

void NpapiPluginWin::invalidateWindow(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom)
{
    NPRect rect{static_cast<uint16_t>(top), static_cast<uint16_t>(left), static_cast<uint16_t>(bottom),
                static_cast<uint16_t>(right)};
    std::shared_ptr<NpapiBrowserHost> host = m_npHost;
    if (host->isMainThread())
        host->invalidateRect(rect);
    else
        host->ScheduleOnMainThread(host, [host, rect] { host->invalidateRect(rect); });
}

}  // namespace Npapi
}  // namespace PB
