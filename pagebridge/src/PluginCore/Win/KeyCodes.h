#pragma once
// Windows virtual-key codes as the framework's key codes.

namespace PB {

// Codes without a framework key (letters, digits among them) give 84.
unsigned int translateVirtualKey(unsigned int vk);

}  // namespace PB
