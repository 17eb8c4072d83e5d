#pragma once
// The full path of the module file this code was loaded from (UTF-8),
// found once, when first asked. The adapters hand it to each plug-in object,
// which finds its configuration and log next to it.

#include <win32/types.h>

#include <string>

namespace PB {

// Empty when the loader cannot tell.
const std::string& getModulePath();

// The module's own handle, as the Win32 layer names modules: the address the
// loader gave its image (not the host process's handle). Null when the
// loader cannot tell.
HINSTANCE getModuleHandle();

}  // namespace PB
