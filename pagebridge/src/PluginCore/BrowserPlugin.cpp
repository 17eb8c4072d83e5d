#include "PluginCore/BrowserPlugin.h"

#include "PluginCore/FactoryBase.h"

namespace PB {

BrowserPlugin::BrowserPlugin(const std::string& mimetype) : pluginMain(getPluginFactory()->createPlugin(mimetype)) {}

BrowserPlugin::~BrowserPlugin() = default;

void BrowserPlugin::setPluginPath(const std::string& path)
{
    pluginMain->setPluginPath(path);
}

}  // namespace PB
