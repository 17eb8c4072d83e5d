#pragma once
// The full path of the module file this code is linked into (the plug-in
// module, or the program itself when linked in directly), found once.

#include <string>

namespace PB {
namespace HostWire {

const std::string& modulePath();

}  // namespace HostWire
}  // namespace PB
