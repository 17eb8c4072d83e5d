// Reading and encoding certificate requests.
// Registered; the bodies are still to come.
#include "Velon/VelonAPI.h"

std::string VelonAPI::readCertRequest(std::string)
{
    not_implemented("readCertRequest");
}

std::string VelonAPI::encodeCertRequest(std::string, std::string)
{
    not_implemented("encodeCertRequest");
}

std::string VelonAPI::getCertRequestProperty(std::string, std::string)
{
    not_implemented("getCertRequestProperty");
}
