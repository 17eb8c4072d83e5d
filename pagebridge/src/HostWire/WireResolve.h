#pragma once
// Object references inside the host's arguments and answers, made usable by
// plug-in code: a page object's stub becomes a page object of the instance's
// browser host, and a plug-in object named back by (spawn id, object id)
// becomes that object again (null when it is gone).

#include <memory>

#include "HostWire/WireColony.h"

namespace PB {
namespace HostWire {

void resolveValue(variant& value, const SpawnMap& spawns, const std::shared_ptr<WireBrowserHost>& host);
// One level: each element or member as resolveValue does it.
void resolveValueList(VariantList& values, const SpawnMap& spawns, const std::shared_ptr<WireBrowserHost>& host);
void resolveValueMap(VariantMap& values, const SpawnMap& spawns, const std::shared_ptr<WireBrowserHost>& host);

}  // namespace HostWire
}  // namespace PB
