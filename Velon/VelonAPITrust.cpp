// Trust material for the library: trusted (CA) certificates, untrusted
// certificates and CRLs, loaded from a path for the whole process.
#include "Velon/VelonAPI.h"

#include "Velon/ApiLog.h"

namespace {

struct TrustLoad {
    const char* method;
    const char* libraryFunction;
    int (*load)(const char*);
};

const TrustLoad kCrls = {"loadCRLs", "AddCRLs", &AddCRLs};
const TrustLoad kTrusted = {"loadTrustedCertificates", "AddCAs", &AddCAs};
const TrustLoad kUntrusted = {"loadUntrustedCertificates", "AddCertificates", &AddCertificates};

int load_trust(VelonAPI& api, const TrustLoad& kind, const std::string& path)
{
    const std::string function = std::string("VelonAPI::") + kind.method;
    VELON_TRACE(function, function + "(" + path + ")");
    api.check_initPlugin(kind.method);
    const int result = kind.load(VelonAPI::path_to_system_cp(function, path).c_str());
    if (result != 0)
        VelonAPI::fail_with_library(function, kind.libraryFunction, result);
    return 0;
}

}  // namespace

int VelonAPI::loadCRLs(std::string path)
{
    return load_trust(*this, kCrls, path);
}

int VelonAPI::loadTrustedCertificates(std::string path)
{
    return load_trust(*this, kTrusted, path);
}

int VelonAPI::loadUntrustedCertificates(std::string path)
{
    return load_trust(*this, kUntrusted, path);
}
