#include "PluginSlot.h"

#include <stdexcept>

#include "ModuleObject.h"
#include "WireHost.h"

namespace wirehost {

std::shared_ptr<WireHost> PluginSlot::host() const
{
    std::shared_ptr<WireHost> live = m_host.lock();
    if (!live || !live->isOpen())
        throw std::runtime_error("The plug-in module is not loaded");
    return live;
}

page::Value PluginSlot::create(const std::string& mimeType, const page::Value& params)
{
    std::shared_ptr<WireHost> live = host();
    const std::uint32_t spawnId = live->createInstance(mimeType, params);
    return page::Value::host(std::make_shared<ModuleObject>(live, spawnId, 0));
}

void PluginSlot::destroy(const page::Value& plugin)
{
    const auto object =
        plugin.is(page::Value::Type::Host) ? std::dynamic_pointer_cast<ModuleObject>(plugin.hostObject()) : nullptr;
    if (!object || object->spawnId() == 0) {
        host()->page().release(plugin);
        throw std::runtime_error("destroyPlugin needs a plug-in made by createPlugin");
    }
    host()->destroyInstance(object->spawnId());
}

}  // namespace wirehost
