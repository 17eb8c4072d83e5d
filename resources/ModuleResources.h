#pragma once
// The module's resources (registry scripts, type library, version block),
// added to the module's resource table by the COM module before it first
// needs them.

#include <win32/types.h>

namespace velon {

// Adds REGISTRY 101 and 103, TYPELIB 1 and VERSION 1 for the module.
void addModuleResources(HMODULE module);

}  // namespace velon
