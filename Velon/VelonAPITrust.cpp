// Trusted certificates, untrusted certificates and CRLs.
// Registered; the bodies are still to come.
#include "Velon/VelonAPI.h"

int VelonAPI::loadCRLs(std::string)
{
    not_implemented("loadCRLs");
}

int VelonAPI::loadTrustedCertificates(std::string)
{
    not_implemented("loadTrustedCertificates");
}

int VelonAPI::loadUntrustedCertificates(std::string)
{
    not_implemented("loadUntrustedCertificates");
}
