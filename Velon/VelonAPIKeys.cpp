// Key passwords, the signer certificate switch and key lookup.
// Registered; the bodies are still to come.
#include "Velon/VelonAPI.h"

int VelonAPI::setNewKeyPassword(std::string, bool)
{
    not_implemented("setNewKeyPassword");
}

int VelonAPI::setAddSignerCertificate(bool)
{
    not_implemented("setAddSignerCertificate");
}

std::string VelonAPI::getPrivateKeyByCertificate(std::string, std::string)
{
    not_implemented("getPrivateKeyByCertificate");
}
