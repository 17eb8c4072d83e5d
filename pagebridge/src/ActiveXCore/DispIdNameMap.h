#pragma once
// The process-wide table between script member names and DISPIDs, shared by
// every control and script object. Names get DISPIDs from 100 up on their
// first lookup (as wide strings); the preset rows (browser DOM and control
// members, as 8-bit strings) serve the way from a standard DISPID to its name.

#include "ActiveXCore/TypeIDMap.h"

namespace PB {
namespace ActiveX {

// Built and preset on first use.
TypeIDMap<long>& dispIdNameMap();

}  // namespace ActiveX
}  // namespace PB
