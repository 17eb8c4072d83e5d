#include "ModuleObject.h"

#include <algorithm>
#include <stdexcept>

#include "WireHost.h"
#include "WireText.h"

namespace wirehost {

ModuleObject::ModuleObject(std::weak_ptr<WireHost> host, std::uint32_t spawnId, std::uint32_t objectId)
    : m_host(std::move(host)), m_spawnId(spawnId), m_objectId(objectId), m_instance(spawnId)
{
}

ModuleObject::~ModuleObject()
{
    if (m_spawnId != 0 && m_objectId == 0)
        return;
    if (std::shared_ptr<WireHost> live = m_host.lock())
        live->releaseLater(m_spawnId, m_objectId);
}

std::shared_ptr<WireHost> ModuleObject::host() const
{
    std::shared_ptr<WireHost> live = m_host.lock();
    if (!live || !live->isOpen())
        throw std::runtime_error("The plug-in module is not loaded");
    return live;
}

std::uint32_t ModuleObject::browserSpawn() const
{
    return host()->browserOf(m_instance);
}

const std::vector<std::string>& ModuleObject::names(bool refresh)
{
    if (m_named && !refresh)
        return m_names;
    const page::Value list = host()->request(command({"Enum", m_spawnId, m_objectId}));
    m_names.clear();
    if (list.is(page::Value::Type::Array))
        for (const page::Value& name : list.items())
            if (name.is(page::Value::Type::String))
                m_names.push_back(name.asString());
    m_named = true;
    return m_names;
}

bool ModuleObject::has(const std::string& name)
{
    if (m_spawnId == 0)
        return false;
    const auto known = [this, &name](bool refresh) {
        const std::vector<std::string>& list = names(refresh);
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    return known(false) || known(true);
}

page::Value ModuleObject::get(const std::string& name)
{
    if (!has(name))
        return page::Value();
    auto method = m_methods.find(name);
    if (method != m_methods.end())
        return method->second;
    page::Value value = host()->request(command({"GetP", m_spawnId, m_objectId, name}));
    if (value.is(page::Value::Type::Host)) {
        const auto object = std::dynamic_pointer_cast<ModuleObject>(value.hostObject());
        if (object && object->spawnId() == 0) {
            object->setInstance(m_instance);
            m_methods[name] = value;
        }
    }
    return value;
}

void ModuleObject::set(const std::string& name, const page::Value& value)
{
    std::shared_ptr<WireHost> live = host();
    live->request(command({"SetP", m_spawnId, m_objectId, name, live->toWire(value, browserSpawn())}));
}

std::vector<std::string> ModuleObject::keys()
{
    if (m_spawnId == 0)
        return {};
    return names(true);
}

page::Value ModuleObject::call(const std::vector<page::Value>& args)
{
    std::shared_ptr<WireHost> live = host();
    return live->request(
        command({"Invoke", m_spawnId, m_objectId, "", live->toWire(page::Value::array(args), browserSpawn())}));
}

}  // namespace wirehost
