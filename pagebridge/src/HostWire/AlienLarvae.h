#pragma once
// The stub that a page object named by the host ("ref" [spawn id, object id])
// reads as. Making one asks the page for the object's member names, once;
// the colony hands out the same live stub for every reference to the same
// object, and plug-in code gets a page object grown from it (AlienWireling).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ScriptingCore/Promise.h"

namespace PB {
namespace HostWire {

class WireColony;

class AlienLarvae : public std::enable_shared_from_this<AlienLarvae> {
public:
    AlienLarvae(const std::shared_ptr<WireColony>& colony, std::uint32_t spawnId, std::uint32_t objectId);
    AlienLarvae(const AlienLarvae&) = delete;
    AlienLarvae& operator=(const AlienLarvae&) = delete;

    std::uint32_t getSpawnId() const { return m_spawnId; }
    std::uint32_t getObjectId() const { return m_objectId; }
    // The page's answer to "Enum": rejected with the page's error, or with
    // invalid_arguments when the answer is not a list.
    const Promise<std::vector<std::string>>& memberNames() const { return m_memberNames; }

private:
    std::weak_ptr<WireColony> m_colony;
    std::uint32_t m_spawnId;
    std::uint32_t m_objectId;
    Promise<std::vector<std::string>> m_memberNames;
};

}  // namespace HostWire
}  // namespace PB
