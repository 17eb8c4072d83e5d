#include "HostWire/AlienLarvae.h"

#include "HostWire/WireBrowserHost.h"
#include "HostWire/WireColony.h"

namespace PB {
namespace HostWire {

AlienLarvae::AlienLarvae(const std::shared_ptr<WireColony>& colony, std::uint32_t spawnId, std::uint32_t objectId)
    : m_colony(colony), m_spawnId(spawnId), m_objectId(objectId)
{
    Promise<variant> answer =
        colony->sendCommand(VariantList{variant("Enum"), variant(spawnId), variant(objectId)}, nullptr);
    m_memberNames = answer.then<std::vector<std::string>>([](variant value) {
        if (!value.holds<VariantList>())
            throw invalid_arguments();
        std::vector<std::string> names;
        for (const variant& name : value.cast<VariantList>())
            names.push_back(name.convert_cast<std::string>());
        return names;
    });
}

}  // namespace HostWire
}  // namespace PB
