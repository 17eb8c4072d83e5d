// Key passwords, the signer-certificate switch and key lookup.
#include "Velon/VelonAPI.h"

#include <cstring>
#include <vector>

#include "Velon/ApiLog.h"

int VelonAPI::setNewKeyPassword(std::string psePath, bool emptyPassword)
{
    const char* const function = "VelonAPI::setNewKeyPassword";
    VELON_TRACE(function, "VelonAPI::setNewKeyPassword(" + psePath + ", " + flag_text(emptyPassword) + ")");
    check_initPlugin("setNewKeyPassword");
    // A token's containers are guarded by its PIN.
    if (isToken(psePath))
        fail_with_key(function, "err_token_set_pass");
    // No password given: the library asks for the new one.
    const char* newPassword = emptyPassword ? "" : nullptr;
    const int result = PSE_ChangePassword(key_path_to_system_cp(function, psePath).c_str(), 0, newPassword);
    if (result != 0)
        fail_with_library(function, "PSE_ChangePassword", result);
    return 0;
}

int VelonAPI::setAddSignerCertificate(bool includeCertificate)
{
    const char* const function = "VelonAPI::setAddSignerCertificate";
    VELON_TRACE(function, "VelonAPI::setAddSignerCertificate(" + flag_text(includeCertificate) + ")");
    check_initPlugin("setAddSignerCertificate");
    const int result = InsertCertificateToSign(includeCertificate ? 1 : 0);
    if (result != 0)
        fail_with_library(function, "InsertCertificateToSign", result);
    return 0;
}

std::string VelonAPI::getPrivateKeyByCertificate(std::string psePath, std::string certificate)
{
    const char* const function = "VelonAPI::getPrivateKeyByCertificate";
    VELON_TRACE(function, "VelonAPI::getPrivateKeyByCertificate(" + psePath + ", *certificate*)");
    check_initPlugin("getPrivateKeyByCertificate");
    const std::string path = key_path_to_system_cp(function, psePath);
    std::vector<char> name(DRAVIK_KEY_NAME_BUFFER, '\0');
    const int found = CertAndPSEPrivateKeysMatchBuffer(
        certificate.data(), static_cast<std::uint32_t>(certificate.size()), path.c_str(), name.data());
    if (found == 0) {
        const int code = GetDravikLastError();
        if (code != 0)
            fail_with_library(function, "CertAndPSEPrivateKeysMatchBuffer", code);
        fail_with_key(function, "err_find_key_by_cert");
    }
    // The name ends at its NUL, and never beyond the buffer.
    const std::string found_name(name.data(), strnlen(name.data(), name.size()));
    return system_cp_to_utf8(found_name);
}
