#include "HostWire/MethodRefs.h"

#include <map>
#include <utility>

namespace PB {
namespace HostWire {

namespace {

using Key = std::pair<std::uint32_t, std::uint32_t>;

std::map<Key, MethodRef>& table()
{
    static std::map<Key, MethodRef> records;
    return records;
}

// Records go outside the table: a record's end may release objects whose
// own ends reach back here.
template <typename Iterator>
void eraseRange(Iterator first, Iterator last)
{
    std::map<Key, MethodRef> gone;
    for (auto it = first; it != last;)
        gone.insert(table().extract(it++));
}

}  // namespace

void MethodRefs::put(std::uint32_t colonyId, std::uint32_t id, const MethodRef& record)
{
    remove(colonyId, id);
    table().emplace(Key(colonyId, id), record);
}

bool MethodRefs::find(std::uint32_t colonyId, std::uint32_t id, MethodRef& record)
{
    auto found = table().find(Key(colonyId, id));
    if (found == table().end())
        return false;
    record = found->second;
    return true;
}

bool MethodRefs::remove(std::uint32_t colonyId, std::uint32_t id)
{
    auto found = table().find(Key(colonyId, id));
    if (found == table().end())
        return false;
    eraseRange(found, std::next(found));
    return true;
}

void MethodRefs::clearColony(std::uint32_t colonyId)
{
    eraseRange(table().lower_bound(Key(colonyId, 0)), table().upper_bound(Key(colonyId, UINT32_MAX)));
}

void MethodRefs::clear()
{
    eraseRange(table().begin(), table().end());
}

std::size_t MethodRefs::count()
{
    return table().size();
}

}  // namespace HostWire
}  // namespace PB
