#pragma once
// A command to the page side that goes out at most once, on whichever of its
// occasions comes first; `sent` tells whether it has.

#include "ScriptingCore/variant.h"

namespace PB {
namespace HostWire {

struct OnceCommand {
    VariantList command;
    bool sent = false;
};

}  // namespace HostWire
}  // namespace PB
