#pragma once
// The full path of the module file this code was loaded from (UTF-8),
// found once, when first asked. The adapters hand it to each plug-in object,
// which finds its configuration and log next to it.

#include <string>

namespace PB {

// Empty when the loader cannot tell.
const std::string& getModulePath();

}  // namespace PB
