#pragma once
// Methods the page read as values ("GetP" of a method name): each is kept
// under (colony id, method-reference id) until the page releases it ("RelObj"
// with spawn id 0) or its colony goes, and keeps its host alive meanwhile.

#include <cstdint>
#include <memory>
#include <string>

#include "HostWire/LocalWireling.h"

namespace PB {
namespace HostWire {

struct MethodRef {
    LocalWireling object;
    std::string method;
    std::shared_ptr<WireBrowserHost> host;
};

class MethodRefs {
public:
    static void put(std::uint32_t colonyId, std::uint32_t id, const MethodRef& record);
    // A copy of the record; false when there is none.
    static bool find(std::uint32_t colonyId, std::uint32_t id, MethodRef& record);
    static bool remove(std::uint32_t colonyId, std::uint32_t id);
    static void clearColony(std::uint32_t colonyId);
    static void clear();
    static std::size_t count();
};

}  // namespace HostWire
}  // namespace PB
