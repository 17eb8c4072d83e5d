#pragma once
// An object of the plug-in module in the page: (spawn id, object id) on the
// module's side. Reads, writes and calls are requests to the module; member
// names come from "Enum" (asked again when a name is not known yet). Spawn
// id 0 names a method the page read as a value: a callable object. When the
// page lets the last wrapper go, the module is told ("RelObj"), except for an
// instance's root object, which the instance itself holds.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "page/HostObject.h"

namespace wirehost {

class WireHost;

class ModuleObject : public page::HostObject {
public:
    ModuleObject(std::weak_ptr<WireHost> host, std::uint32_t spawnId, std::uint32_t objectId);
    ~ModuleObject() override;

    bool has(const std::string& name) override;
    page::Value get(const std::string& name) override;
    void set(const std::string& name, const page::Value& value) override;
    std::vector<std::string> keys() override;
    bool callable() const override { return m_spawnId == 0; }
    page::Value call(const std::vector<page::Value>& args) override;

    std::uint32_t spawnId() const { return m_spawnId; }
    std::uint32_t objectId() const { return m_objectId; }
    // The instance a method reference was read from (page objects passed to
    // it are written for that instance's browser).
    void setInstance(std::uint32_t spawnId) { m_instance = spawnId; }

private:
    std::shared_ptr<WireHost> host() const;
    const std::vector<std::string>& names(bool refresh);
    std::uint32_t browserSpawn() const;

    std::weak_ptr<WireHost> m_host;
    std::uint32_t m_spawnId;
    std::uint32_t m_objectId;
    std::uint32_t m_instance;
    std::vector<std::string> m_names;
    bool m_named = false;
    // Methods read once, so that calling one does not make a new reference each time.
    std::map<std::string, page::Value> m_methods;
};

}  // namespace wirehost
