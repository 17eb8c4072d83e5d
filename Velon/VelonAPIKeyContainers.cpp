// Key containers: probing, copying, forgetting cached passwords.
// Registered; the bodies are still to come.
#include "Velon/VelonAPI.h"

bool VelonAPI::keyContainerExists(std::string)
{
    not_implemented("keyContainerExists");
}

int VelonAPI::copyKeyContainer(std::string, std::string)
{
    not_implemented("copyKeyContainer");
}

int VelonAPI::clearCachedKeyPasswords()
{
    not_implemented("clearCachedKeyPasswords");
}
