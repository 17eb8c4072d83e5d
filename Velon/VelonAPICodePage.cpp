// Text between the page (UTF-8) and the crypto library (the system code page).
#include "Velon/VelonAPI.h"

#include <win32/kernel.h>

#include <climits>
#include <sstream>

#include "ScriptingCore/exceptions.h"
#include "ScriptingCore/utf8_tools.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"
#include "Velon/SecretText.h"

namespace {

// Device paths of PKCS#11 tokens go to the library byte for byte.
bool passes_unchanged(const std::string& text)
{
    return text.empty() || (text.size() > 6 && text.compare(0, 6, "pkcs11") == 0);
}

[[noreturn]] void conversion_failed(const char* function)
{
    std::ostringstream code;
    code << GetLastError();
    ::PB::Log::error(function, Configuration::get_message(true, "err_string_wstring") + code.str(), __FILE__,
                     __LINE__, function);
    throw PB::script_error(Configuration::get_message(false, "err_string_wstring") + code.str());
}

}  // namespace

// The converted text may be a password or a shared secret: the trace line
// shows that a conversion happened, never what was converted.
std::string VelonAPI::utf8_to_system_cp(std::string text)
{
    VELON_TRACE("VelonAPI::utf8_to_system_cp", "VelonAPI::utf8_to_system_cp(*text*)");
    if (passes_unchanged(text))
        return text;
    std::wstring wide = PB::utf8_to_wstring(text);
    // The text may be a secret: the intermediate copies go with the call.
    velon::WipeOnExit wipeCopies{&text};
    struct WipeWide {
        std::wstring& text;
        ~WipeWide() { velon::wipe(text); }
    } wipeWide{wide};
    if (wide.size() > static_cast<std::size_t>(INT_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        conversion_failed("VelonAPI::utf8_to_system_cp");
    }
    const int length = static_cast<int>(wide.size());
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (size == 0)
        conversion_failed("VelonAPI::utf8_to_system_cp");
    std::string converted(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(CP_ACP, 0, wide.data(), length, &converted[0], size, nullptr, nullptr) == 0)
        conversion_failed("VelonAPI::utf8_to_system_cp");
    return converted;
}

std::string VelonAPI::system_cp_to_utf8(std::string text)
{
    VELON_TRACE("VelonAPI::system_cp_to_utf8", "VelonAPI::system_cp_to_utf8(*text*)");
    if (passes_unchanged(text))
        return text;
    if (text.size() > static_cast<std::size_t>(INT_MAX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        conversion_failed("VelonAPI::system_cp_to_utf8");
    }
    const int length = static_cast<int>(text.size());
    const int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (size == 0)
        conversion_failed("VelonAPI::system_cp_to_utf8");
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], size) == 0)
        conversion_failed("VelonAPI::system_cp_to_utf8");
    return PB::wstring_to_utf8(wide);
}
