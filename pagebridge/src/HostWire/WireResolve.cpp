#include "HostWire/WireResolve.h"

#include "HostWire/AlienLarvae.h"
#include "HostWire/AlienWireling.h"
#include "HostWire/WireBrowserHost.h"

namespace PB {
namespace HostWire {

void resolveValue(variant& value, const SpawnMap& spawns, const std::shared_ptr<WireBrowserHost>& host)
{
    if (value.holds<std::shared_ptr<AlienLarvae>>()) {
        const JSObjectPtr page = AlienWireling::create(host, value.cast<std::shared_ptr<AlienLarvae>>());
        value = variant(page);
    } else if (value.holds<std::pair<unsigned int, unsigned int>>()) {
        const auto ids = value.cast<std::pair<unsigned int, unsigned int>>();
        try {
            auto spawn = spawns.find(ids.first);
            if (spawn == spawns.end())
                throw std::runtime_error("Invalid object");
            value = variant(spawn->second->host->getObject(ids.second));
        } catch (const std::exception&) {
            value = variant(PBNull());
        }
    }
}

void resolveValueList(VariantList& values, const SpawnMap& spawns, const std::shared_ptr<WireBrowserHost>& host)
{
    for (variant& value : values)
        resolveValue(value, spawns, host);
}

void resolveValueMap(VariantMap& values, const SpawnMap& spawns, const std::shared_ptr<WireBrowserHost>& host)
{
    for (auto& member : values)
        resolveValue(member.second, spawns, host);
}

}  // namespace HostWire
}  // namespace PB
