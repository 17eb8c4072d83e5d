#pragma once
// The NPAPI plug-in instance with its window: from the NPWindow the browser
// gives it makes, replaces or updates a windowed plug-in window (around the
// browser's child window) or a windowless one (painting into the browser's
// drawable), and turns a windowless instance's NPP_HandleEvent events into
// window events.

#include <win32/types.h>

#include <memory>

#include "NpapiCore/NpapiPlugin.h"

namespace PB {

class PluginWindow;

namespace Npapi {

class NpapiPluginWin : public NpapiPlugin {
public:
    NpapiPluginWin(const std::shared_ptr<NpapiBrowserHost>& host, const std::string& mimetype);
    ~NpapiPluginWin() override;

    void init(NPMIMEType pluginType, int16_t argc, char* argn[], char* argv[]) override;
    NPError SetWindow(NPWindow* window) override;
    int16_t HandleEvent(void* event) override;

    // How the windowless window asks for a repaint; any thread.
    void invalidateWindow(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom);

    PluginWindow* getPluginWindow() const { return pluginWin.get(); }

private:
    void clearWindow();
    HWND browserWindow() const;

    std::unique_ptr<PluginWindow> pluginWin;
};

}  // namespace Npapi
}  // namespace PB
