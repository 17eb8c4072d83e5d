// Key-pair generation and its options.
// Registered; the bodies are still to come.
#include "Velon/VelonAPI.h"

int VelonAPI::setKeyGenOptions(std::string, std::string, std::string, std::string)
{
    not_implemented("setKeyGenOptions");
}

std::string VelonAPI::generateKeyPair(std::string, bool)
{
    not_implemented("generateKeyPair");
}
