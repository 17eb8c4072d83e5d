// The signing session: one context kept from signInit to signFinal.
#include "Velon/VelonAPI.h"

#include <exception>

#include "Velon/ApiLog.h"
#include "Velon/SmartTokenSessions.h"

int VelonAPI::signInit(std::string keyPath, std::string certificate)
{
    VELON_TRACE("VelonAPI::signInit", "VelonAPI::signInit(" + keyPath + ", *certificate*)");
    check_initPlugin("signInit");
    if (sign_ctx_inited)
        fail_with_key("VelonAPI::signInit", "err_signing_already_inited");
    key_path_to_system_cp("VelonAPI::signInit", keyPath);
    sign_ctx = get_sign_ctx(keyPath, std::move(certificate));
    const bool smart = is_smarttoken_path(keyPath);
    if (smart)
        addPkcs7FlagsToSignContext(DRAVIK_PKCS7_NO_SMIME_CAPABILITIES, "VelonAPI::signInit");
    sign_ctx_smarttoken = smart;
    sign_ctx_inited = true;
    return 0;
}

void VelonAPI::addPkcs7FlagsToSignContext(std::uint32_t bits, std::string function)
{
    std::uint32_t earlier = 0;
    const char* failed = nullptr;
    const int result = velon::SmartTokenSessions::open(bits, &earlier, &failed);
    if (result != 0) {
        sign_ctx.reset();
        fail_with_library(function, failed, result);
    }
    saved_pkcs7_flags = earlier;
    pkcs7_flags_saved = true;
}

// The flags go back only when this is the last SmartToken session of the
// process: another page's open session still needs the bit.
void VelonAPI::restorePkcs7FlagsInSignContext(std::string function)
{
    if (!pkcs7_flags_saved)
        return;
    const int result = velon::SmartTokenSessions::close();
    saved_pkcs7_flags = 0;
    pkcs7_flags_saved = false;
    if (result != 0)
        fail_with_library(function, "SetPKCS7Flags", result);
}

std::string VelonAPI::signInContext(std::string content, bool detached)
{
    VELON_TRACE("VelonAPI::signInContext", "VelonAPI::signInContext(*content*, " + flag_text(detached) + ")");
    check_initPlugin("signInContext");
    return signWithSession("VelonAPI::signInContext", velon::SignSource::Text, std::move(content), detached ? 1 : 0);
}

std::string VelonAPI::signBinaryDataInContext(std::string content)
{
    VELON_TRACE("VelonAPI::signBinaryDataInContext", "VelonAPI::signBinaryDataInContext(*content*)");
    check_initPlugin("signBinaryDataInContext");
    return signWithSession("VelonAPI::signBinaryDataInContext", velon::SignSource::Base64, std::move(content),
                           DRAVIK_SIGN_DETACHED);
}

std::string VelonAPI::signFileInContext(std::string filePath)
{
    VELON_TRACE("VelonAPI::signFileInContext", "VelonAPI::signFileInContext(" + filePath + ")");
    check_initPlugin("signFileInContext");
    return signWithSession("VelonAPI::signFileInContext", velon::SignSource::File, std::move(filePath),
                           DRAVIK_SIGN_DETACHED);
}

std::string VelonAPI::signWithSession(const std::string& function, velon::SignSource source, std::string content,
                                      int mode)
{
    if (!sign_ctx_inited)
        fail_with_key(function, "err_signing_was_not_initialized");
    velon::SignData data = velon::sign_data(source, std::move(content));
    velon::OutputBuffer output;
    const int result = SignBufferEx(sign_ctx.get(), data.data(), data.length, &output.data, &output.length, mode);
    // What was signed goes before the signature is copied out.
    data.release();
    if (result != 0) {
        output.release();
        fail_with_library(function, "SignBufferEx", result);
    }
    return output.bytes();
}

int VelonAPI::signFinal()
{
    VELON_TRACE("VelonAPI::signFinal", "VelonAPI::signFinal()");
    check_initPlugin("signFinal");
    if (!sign_ctx_inited)
        fail_with_key("VelonAPI::signFinal", "err_signing_was_not_initialized");
    // The session closes whatever becomes of the flags' write-back.
    std::exception_ptr failure;
    if (sign_ctx_smarttoken) {
        try {
            restorePkcs7FlagsInSignContext("VelonAPI::signFinal");
        } catch (...) {
            failure = std::current_exception();
        }
    }
    sign_ctx.reset();
    sign_ctx_smarttoken = false;
    sign_ctx_inited = false;
    saved_pkcs7_flags = 0;
    pkcs7_flags_saved = false;
    if (failure)
        std::rethrow_exception(failure);
    return 0;
}
