// Building the certificate request: subject, policies and extensions.
// Registered; the bodies are still to come.
#include "Velon/VelonAPI.h"

int VelonAPI::addCertRequestAttribute(std::string, std::string)
{
    not_implemented("addCertRequestAttribute");
}

int VelonAPI::addCertRequestPolicy(std::string)
{
    not_implemented("addCertRequestPolicy");
}

int VelonAPI::resetCertRequestAttributes()
{
    not_implemented("resetCertRequestAttributes");
}

int VelonAPI::resetCertRequestExtensions()
{
    not_implemented("resetCertRequestExtensions");
}

int VelonAPI::setCertReqAttrsAsCert(std::string)
{
    not_implemented("setCertReqAttrsAsCert");
}

int VelonAPI::setCertRequestSubjectSignTool()
{
    not_implemented("setCertRequestSubjectSignTool");
}
