#pragma once
// The id of a command the module sends the host.

#include <cstdint>

namespace PB {
namespace HostWire {

// Takes the counter's next id, counting on past ids whose commands still wait
// for an answer. The counter wraps like any unsigned 32-bit value, so ids come
// round again after 2^32 commands; one still pending is skipped, not reused.
template <typename PendingMap>
std::uint32_t takeCommandId(std::uint32_t& next, const PendingMap& pending)
{
    std::uint32_t id = next++;
    while (pending.count(id) != 0)
        id = next++;
    return id;
}

}  // namespace HostWire
}  // namespace PB
