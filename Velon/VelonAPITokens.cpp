// The token methods: which slots hold a token, what a token says of itself,
// whether a path names one, and logging out.
#include "Velon/VelonAPI.h"

#include <algorithm>
#include <new>
#include <vector>

#include "ScriptingCore/exceptions.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"
#include "Velon/DeviceTable.h"

PB::Promise<PB::VariantList> VelonAPI::getTokensList()
{
    VELON_TRACE("VelonAPI::getTokensList", "VelonAPI::getTokensList()");
    std::weak_ptr<VelonAPI> self = std::static_pointer_cast<VelonAPI>(shared_from_this());
    return pageLocation().then<PB::VariantList>([self](std::string location) {
        std::shared_ptr<VelonAPI> api = self.lock();
        if (!api)
            throw PB::script_error(Configuration::get_message(false, "err_pobj_01"));
        return api->getTokensListTask(std::move(location));
    });
}

PB::VariantList VelonAPI::getTokensListTask(std::string)
{
    check_initPlugin("getTokensList");
    PB::VariantList present;
    for (std::size_t row = 1; row < deviceTable.size(); ++row)
        if (TokenInserted(deviceTable[row].devicePath) != 0)
            present.push_back(PB::variant(std::string(deviceTable[row].devicePath)));
    return present;
}

std::string VelonAPI::getTokenInfo(std::string device, std::string property)
{
    const char* const function = "VelonAPI::getTokenInfo";
    VELON_TRACE(function, "VelonAPI::getTokenInfo(" + device + ", " + property + ")");
    check_initPlugin("getTokenInfo");
    int code = 0;
    if (property == "TOKEN_LABEL")
        code = DRAVIK_TOKEN_LABEL;
    else if (property == "TOKEN_SERIAL_NUMBER")
        code = DRAVIK_TOKEN_SERIAL_NUMBER;
    else if (property == "TOKEN_SLOT_NAME")
        code = DRAVIK_TOKEN_SLOT_NAME;
    else
        fail_with_key(function, "err_param_02");

    device = path_to_system_cp(function, device);
    // No token there is an answer, not an error: the page gets "".
    auto unanswered = [&](int result) {
        ::PB::Log::warn(function, make_error_string("GetTokenInfo('" + device + "',DK_" + property + ",...)", result),
                        __FILE__, __LINE__, function);
        return std::string();
    };
    std::uint32_t size = 0;
    int result = GetTokenInfo(device.c_str(), code, nullptr, &size);
    if (result != 0)
        return unanswered(result);
    std::vector<char> buffer;
    try {
        // One byte more than asked for keeps the text terminated whatever
        // the library writes.
        buffer.assign(static_cast<std::size_t>(size) + 1, '\0');
    } catch (const std::bad_alloc&) {
        fail_with_key(function, "err_mem_01");
    }
    result = GetTokenInfo(device.c_str(), code, buffer.data(), &size);
    if (result != 0)
        return unanswered(result);
    buffer.back() = '\0';
    return std::string(buffer.data());
}

bool VelonAPI::isToken(std::string device)
{
    VELON_TRACE("VelonAPI::isToken", "VelonAPI::isToken(" + device + ")");
    check_initPlugin("isToken");
    return isToken_static(utf8_to_system_cp(device));
}

bool VelonAPI::isToken_static(std::string path)
{
    VELON_TRACE("VelonAPI::isToken_static", "VelonAPI::isToken_static(" + path + ")");
    std::transform(path.begin(), path.end(), path.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    static const char* const prefixes[] = {"etoken",   "aks ifdh",          "aladdin token jc",
                                           "rutoken", "aktiv co. rutoken", "pkcs11"};
    const bool known = std::any_of(std::begin(prefixes), std::end(prefixes), [&](const char* prefix) {
        return path.compare(0, std::char_traits<char>::length(prefix), prefix) == 0 &&
               path.size() >= std::char_traits<char>::length(prefix);
    });
    return known && path.find(':') != std::string::npos;
}

bool VelonAPI::devicePresent(std::string device)
{
    VELON_TRACE("VelonAPI::devicePresent", "VelonAPI::devicePresent(" + device + ")");
    check_initPlugin("devicePresent");
    const std::string converted = path_to_system_cp("VelonAPI::devicePresent", device);
    std::vector<char> terminated;
    try {
        terminated.assign(converted.begin(), converted.end());
        terminated.push_back('\0');
    } catch (const std::bad_alloc&) {
        fail_with_key("VelonAPI::devicePresent", "err_mem_01");
    }
    return TokenInserted(terminated.data()) != 0;
}

int VelonAPI::tokenLogout(std::string device)
{
    VELON_TRACE("VelonAPI::tokenLogout", "VelonAPI::tokenLogout(" + device + ")");
    check_initPlugin("tokenLogout");
    if (LogoutToken(path_to_system_cp("VelonAPI::tokenLogout", device).c_str()) == 0)
        fail_with_key("VelonAPI::tokenLogout", "err_token_logout_failed");
    return 0;
}
