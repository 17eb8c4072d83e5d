#pragma once
// The base of each host adapter's per-instance object: it owns the plug-in
// object made by the factory for the instance's MIME type.

#include <memory>
#include <string>

#include "PluginCore/PluginCore.h"

namespace PB {

class BrowserPlugin {
public:
    explicit BrowserPlugin(const std::string& mimetype);
    BrowserPlugin(const BrowserPlugin&) = delete;
    BrowserPlugin& operator=(const BrowserPlugin&) = delete;
    virtual ~BrowserPlugin();

    // Clears the window, then shuts the plug-in object down.
    virtual void shutdown() = 0;
    virtual void setPluginPath(const std::string& path);

protected:
    PluginCorePtr pluginMain;
};

}  // namespace PB
