#include "HostWire/WireSpawn.h"

#include <stdexcept>

#include "PluginAuto/ModulePath.h"
#include "HostWire/WireBrowserHost.h"
#include "PluginCore/PluginInfo.h"
#include "ScriptingCore/Log.h"

namespace PB {
namespace HostWire {

WireSpawn::WireSpawn(const std::shared_ptr<WireBrowserHost>& host, const std::string& mimetype)
    : BrowserPlugin(mimetype),
      m_host(host),
      m_state(std::make_shared<State>()),
      m_mimetype(mimetype),
      m_description(getPluginDescription(mimetype)),
      m_name(getPluginName(mimetype))
{
    if (!pluginMain)
        throw std::runtime_error("No plug-in for the MIME type " + mimetype);
    Log::info("WireSpawn", "Detecting plugin path: " + getModulePath(), __FILE__, __LINE__,
              "PB::HostWire::WireSpawn::WireSpawn");
    setPluginPath(getModulePath());
    pluginMain->setHost(host);
}

WireSpawn::~WireSpawn() = default;

void WireSpawn::setParams(VariantMap params)
{
    pluginMain->setParams(params);
}

void WireSpawn::getRootObject(Promise<void> browserReady)
{
    m_host->registerObject(pluginMain->getRootJSAPI(), 0);
    if (m_state->ready)
        return;
    const std::weak_ptr<State> state = m_state;
    const std::weak_ptr<PluginCore> plugin = pluginMain;
    browserReady.done([state, plugin]() {
        std::shared_ptr<State> live = state.lock();
        std::shared_ptr<PluginCore> core = plugin.lock();
        if (!live || !core || live->shutDown)
            return;
        try {
            live->ready = core->setReady();
        } catch (const std::exception& e) {
            Log::error("WireSpawn", std::string("The plug-in failed to become ready: ") + e.what(), __FILE__,
                       __LINE__, "PB::HostWire::WireSpawn::getRootObject");
        }
    });
}

void WireSpawn::shutdown()
{
    if (m_state->shutDown)
        return;
    m_state->shutDown = true;
    if (m_host)
        m_host->shutdown();
    pluginMain->ClearWindow();
    pluginMain->shutdown();
    m_host.reset();
}

}  // namespace HostWire
}  // namespace PB
