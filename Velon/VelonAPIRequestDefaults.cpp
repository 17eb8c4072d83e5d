// The extensions every certificate request starts with.
#include "Velon/VelonAPI.h"

#include "Velon/ApiLog.h"

int VelonAPI::setDefaultCertRequestValues()
{
    const char* const function = "VelonAPI::setDefaultCertRequestValues";
    VELON_TRACE(function, "VelonAPI::setDefaultCertRequestValues()");
    int result = SetBasicConstraints(0, 1);
    if (result != 0)
        fail_with_library(function, "SetBasicConstraints", result);
    // E-mail protection, then client authentication.
    for (const char* usage : {"1.3.6.1.5.5.7.3.4", "1.3.6.1.5.5.7.3.2"}) {
        result = AddExtendedKeyUsage(usage, 0);
        if (result != 0)
            fail_with_library(function, "AddExtendedKeyUsage", result);
    }
    return 0;
}
