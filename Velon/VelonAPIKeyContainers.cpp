// Key containers: probing whether one can be opened, copying one, and
// forgetting the keys and passwords the library has cached.
#include "Velon/VelonAPI.h"

#include <atomic>

#include "Velon/ApiLog.h"
#include "Velon/KeyUnlocks.h"
#include "Velon/Velon.h"

namespace {

// Offered to the library first: what tells a container from no container is
// whether the library then asks for another password.
const char* const kProbePassword = "580713";

// Set when the library asked for a container password during a probe.
std::atomic<bool> password_requested{false};

int PsePasswordDummyCallback(char*, int)
{
    VELON_TRACE("PsePasswordDummyCallback", "Dummy for password callback due to uselessness");
    password_requested = true;
    return 1;
}

int PseErrorDummyCallback(int)
{
    VELON_TRACE("PseErrorDummyCallback", "Suppressed error of dummy password callback");
    return 0;
}

// The probe's silent callbacks, in place while it lives; the plug-in's own
// dialogs are back however the probe ends.
class SilentContainerCallbacks {
public:
    SilentContainerCallbacks()
    {
        password_requested = false;
        SetPSEPasswordCallbackFun(&PsePasswordDummyCallback);
        SetPSEErrorCallbackFun(&PseErrorDummyCallback);
    }
    ~SilentContainerCallbacks()
    {
        password_requested = false;
        SetPSEPasswordCallbackFun(&Velon::PsePasswordCallback);
        SetPSEErrorCallbackFun(&Velon::PseErrorCallback);
    }
    SilentContainerCallbacks(const SilentContainerCallbacks&) = delete;
    SilentContainerCallbacks& operator=(const SilentContainerCallbacks&) = delete;
};

}  // namespace

bool VelonAPI::keyContainerExists(std::string path)
{
    const char* const function = "VelonAPI::keyContainerExists";
    VELON_TRACE(function, "VelonAPI::keyContainerExists(" + path + ")");
    check_initPlugin("keyContainerExists");
    const SilentContainerCallbacks silent;
    bool exists = true;
    const std::string converted = path_to_system_cp(function, path);
    // What another site unlocked there and the library could not forget is
    // not probed with; like the library's other failures, that leaves the
    // answer true.
    const int forgotten = velon::KeyUnlocks::claim(access_site, converted);
    if (forgotten != 0) {
        ::PB::Log::error(function, make_error_string("ClearPrivateKeysAt", forgotten), __FILE__, __LINE__, function);
        return exists;
    }
    velon::LibraryBuffer algorithm(GetPrivateKeyAlgorithm(converted.c_str(), nullptr, nullptr, kProbePassword));
    // A container that is there asks for its password before it refuses the
    // probe's; a path without one refuses without asking.
    if (!algorithm && GetDravikLastError() == DRAVIK_E_CONTAINER)
        exists = password_requested;
    algorithm.reset();
    return exists;
}

int VelonAPI::copyKeyContainer(std::string source, std::string target)
{
    const char* const function = "VelonAPI::copyKeyContainer";
    VELON_TRACE(function, "VelonAPI::copyKeyContainer(" + source + ", " + target + ")");
    check_initPlugin("copyKeyContainer");
    const std::string to = key_path_to_system_cp(function, target);
    const std::string from = key_path_to_system_cp(function, source);
    const int result = PSE_Copy(from.c_str(), nullptr, to.c_str(), nullptr);
    if (result != 0)
        fail_with_library(function, "PSE_Copy", result);
    return 0;
}

int VelonAPI::clearCachedKeyPasswords()
{
    const char* const function = "VelonAPI::clearCachedKeyPasswords";
    VELON_TRACE(function, "VelonAPI::clearCachedKeyPasswords()");
    check_initPlugin("clearCachedKeyPasswords");
    const int result = ClearPrivateKeys();
    if (result != 0)
        fail_with_library(function, "ClearPrivateKeys", result);
    return 0;
}
