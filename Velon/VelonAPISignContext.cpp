// The signing context: one signer, made of a key path and its certificate;
// and the data the signing methods sign.
#include "Velon/VelonAPI.h"

#include <limits>

#include "ScriptingCore/exceptions.h"
#include "ScriptingCore/utf8_tools.h"
#include "Velon/ApiLog.h"
#include "Velon/Configuration.h"

namespace {

// The library checks the signer's validity period while it is added.
constexpr std::uint32_t kVerifyTime = 0x8;

}  // namespace

velon::SignContext VelonAPI::get_sign_ctx(std::string keyPath, std::string certificate)
{
    const char* const function = "VelonAPI::get_sign_ctx";
    VELON_TRACE(function, "VelonAPI::get_sign_ctx(" + keyPath + ", *certificate*)");

    velon::SignContext context(GetSignCTX());
    if (!context)
        fail_with_library(function, "GetSignCTX", GetDravikLastError());

    // A failed conversion releases the context on its way out.
    const std::string path = path_to_system_cp(function, keyPath);
    const auto length = static_cast<std::uint32_t>(certificate.size());
    int result = AddPSEPrivateKeyFromBufferEx(path.c_str(), nullptr, certificate.data(), length, 0);
    if (result != 0) {
        context.reset();
        fail_with_library(function, "AddPSEPrivateKeyFromBufferEx", result);
    }

    std::uint32_t flags = 0;
    result = GetCertificateVerifyFlags(&flags);
    if (result != 0) {
        context.reset();
        fail_with_library(function, "GetCertificateVerifyFlags", result);
    }
    result = SetCertificateVerifyFlags(flags | kVerifyTime);
    if (result != 0) {
        context.reset();
        fail_with_library(function, "SetCertificateVerifyFlags", result);
    }

    std::uint32_t signerLength = length;
    result = AddSigner(context.get(), DRAVIK_SOURCE_BYTES, certificate.data(), &signerLength);
    if (result != 0) {
        context.reset();
        const int restored = SetCertificateVerifyFlags(flags);
        if (restored == 0)
            fail_with_library(function, "AddSigner", result);
        // The log names the write-back that failed; the page learns why the
        // signer was refused.
        ::PB::Log::error(function, make_error_string("SetCertificateVerifyFlags", restored), __FILE__, __LINE__,
                         function);
        throw PB::script_error(Configuration::get_message(false, Configuration::error_key(result)));
    }
    result = SetCertificateVerifyFlags(flags);
    if (result != 0) {
        context.reset();
        fail_with_library(function, "SetCertificateVerifyFlags", result);
    }
    return context;
}

velon::SignData velon::sign_data(SignSource source, std::string content)
{
    SignData data;
    switch (source) {
    case SignSource::Text:
        data.text = PB::utf8_to_utf16(std::move(content));
        // The library takes a 32-bit length: a longer text would be signed cut short.
        if (data.text.size() > std::numeric_limits<std::uint32_t>::max() / 2)
            VelonAPI::fail_with_key("VelonAPI::sign_data", "err_mem_01");
        data.length = static_cast<std::uint32_t>(data.text.size() * 2);
        break;
    case SignSource::Base64:
        data.buffer = VelonAPI::base64_to_library_buffer(content, &data.length);
        break;
    case SignSource::File: {
        char* raw = nullptr;
        const int size = VelonAPI::file_buffer_char(VelonAPI::utf8_to_system_cp(std::move(content)), &raw);
        data.buffer.reset(raw);
        data.length = static_cast<std::uint32_t>(size);
        break;
    }
    }
    return data;
}
