// CMC messages and revocation requests.
// Registered; the bodies are still to come.
#include "Velon/VelonAPI.h"

std::string VelonAPI::getCMC(std::string, std::string, std::string)
{
    not_implemented("getCMC");
}

std::string VelonAPI::makeRevocationRequest(std::string, int, std::string, std::string, std::string, std::string,
                                             std::string, bool)
{
    not_implemented("makeRevocationRequest");
}
