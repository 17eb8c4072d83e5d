// sign, signBinaryData and signFile: one signature per call, each with a
// context of its own.
#include "Velon/VelonAPI.h"

#include "Velon/ApiLog.h"

namespace {

// Keys on SmartToken devices sign without the S/MIME capabilities attribute.
constexpr std::uint32_t kSmartTokenFlag = DRAVIK_PKCS7_NO_SMIME_CAPABILITIES;

}  // namespace

std::string VelonAPI::sign(std::string content, std::string keyPath, std::string certificate, bool detached)
{
    VELON_TRACE("VelonAPI::sign",
                "VelonAPI::sign(*content*, " + keyPath + ", *certificate*, " + flag_text(detached) + ")");
    check_initPlugin("sign");
    return signOnce("VelonAPI::sign", velon::SignSource::Text, std::move(content), std::move(keyPath),
                    std::move(certificate), detached ? 1 : 0);
}

std::string VelonAPI::signBinaryData(std::string content, std::string keyPath, std::string certificate)
{
    VELON_TRACE("VelonAPI::signBinaryData", "VelonAPI::signBinaryData(*content*, " + keyPath + ", *certificate*)");
    check_initPlugin("signBinaryData");
    return signOnce("VelonAPI::signBinaryData", velon::SignSource::Base64, std::move(content), std::move(keyPath),
                    std::move(certificate), DRAVIK_SIGN_DETACHED);
}

std::string VelonAPI::signFile(std::string filePath, std::string keyPath, std::string certificate)
{
    VELON_TRACE("VelonAPI::signFile", "VelonAPI::signFile(" + filePath + ", " + keyPath + ", *certificate*)");
    check_initPlugin("signFile");
    return signOnce("VelonAPI::signFile", velon::SignSource::File, std::move(filePath), std::move(keyPath),
                    std::move(certificate), DRAVIK_SIGN_DETACHED);
}

std::string VelonAPI::signOnce(const std::string& function, velon::SignSource source, std::string content,
                               std::string keyPath, std::string certificate, int mode)
{
    const bool smart = is_smarttoken_path(keyPath);
    key_path_to_system_cp(function, keyPath);
    velon::SignContext context = get_sign_ctx(keyPath, std::move(certificate));

    std::uint32_t before = 0;
    if (smart) {
        int result = GetPKCS7Flags(&before);
        if (result != 0) {
            context.reset();
            fail_with_library(function, "GetPKCS7Flags", result);
        }
        // An open SmartToken session on this object has set the bit already;
        // the flags from before the process's sessions are the base.
        const std::uint32_t base = pkcs7_flags_saved ? saved_pkcs7_flags : before;
        result = SetPKCS7Flags(base | kSmartTokenFlag);
        if (result != 0) {
            context.reset();
            fail_with_library(function, "SetPKCS7Flags", result);
        }
    }

    velon::SignData data;
    try {
        data = velon::sign_data(source, std::move(content));
    } catch (...) {
        if (smart)
            SetPKCS7Flags(before);
        context.reset();
        throw;
    }

    velon::OutputBuffer output;
    const int result = SignBufferEx(context.get(), data.data(), data.length, &output.data, &output.length, mode);
    if (result != 0) {
        if (smart)
            SetPKCS7Flags(before);
        context.reset();
        data.release();
        output.release();
        fail_with_library(function, "SignBufferEx", result);
    }
    // What was signed goes before the signature is copied out.
    context.reset();
    data.release();
    std::string signature = output.bytes();
    output.release();
    if (smart) {
        const int restored = SetPKCS7Flags(before);
        if (restored != 0)
            fail_with_library(function, "SetPKCS7Flags", restored);
    }
    return signature;
}
