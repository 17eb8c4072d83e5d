// CMC messages: a certificate request signed as a Full PKI Request, and
// revocation requests signed with a key or carrying a shared secret.
#include "Velon/VelonAPI.h"

#include "Velon/ApiLog.h"
#include "Velon/ScopedLibraryFlags.h"
#include "Velon/SecretText.h"

namespace {

// Keys on SmartToken devices sign without the S/MIME capabilities attribute,
// and their requests are built with request flag 0x40.
constexpr std::uint32_t kSmartTokenPkcs7Flag = DRAVIK_PKCS7_NO_SMIME_CAPABILITIES;
constexpr std::uint32_t kSmartTokenRequestFlag = 0x40;
// Asked for by the page's last argument.
constexpr std::uint32_t kRevocationRequestFlag = 0x20;

struct FreeBufferRelease {
    void operator()(char* buffer) const { FreeBuffer(buffer); }
};

std::uint32_t length_of(const std::string& bytes)
{
    return static_cast<std::uint32_t>(bytes.size());
}

const char* text_or_null(const std::string& text)
{
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

std::string VelonAPI::getCMC(std::string request, std::string psePath, std::string certificate)
{
    const char* const function = "VelonAPI::getCMC";
    VELON_TRACE(function, "VelonAPI::getCMC(*request*, " + psePath + ", *certificate*)");
    check_initPlugin("getCMC");

    const bool smart = is_smarttoken_path(psePath);
    key_path_to_system_cp(function, psePath);
    velon::ScopedLibraryFlags flags(velon::kPkcs7Flags, function);
    velon::SignContext context = get_sign_ctx(psePath, std::move(certificate));
    if (smart) {
        const std::uint32_t before = flags.read();
        // An open SmartToken session on this object has set the bit already;
        // the flags from before the process's sessions are the base.
        flags.set((pkcs7_flags_saved ? saved_pkcs7_flags : before) | kSmartTokenPkcs7Flag);
    }

    int result = SetSignEncapsulatedContentType(context.get(), DRAVIK_CONTENT_CMC);
    if (result != 0)
        fail_with_library(function, "SetSignEncapsulatedContentType", result);
    velon::OutputBuffer output;
    result = SignBufferEx(context.get(), request.data(), length_of(request), &output.data, &output.length,
                          DRAVIK_SIGN_DETACHED);
    if (result != 0)
        fail_with_library(function, "SignBufferEx", result);

    std::string message = output.bytes();
    context.reset();
    output.release();
    flags.restore();
    return message;
}

std::string VelonAPI::makeRevocationRequest(std::string revocableCert, int code, std::string text,
                                             std::string sharedSecret, std::string comment, std::string psePath,
                                             std::string signCert, bool flag)
{
    const char* const function = "VelonAPI::makeRevocationRequest";
    VELON_TRACE(function, "VelonAPI::makeRevocationRequest(*revocableCert*, " + std::to_string(code) + ", " + text +
                              ", *sharedSecret*, *comment*, " + psePath + ", *signCert*, " + flag_text(flag) + ")");
    std::string secret;
    const velon::WipeOnExit wiped{&sharedSecret, &secret};
    check_initPlugin("makeRevocationRequest");

    const bool smart = is_smarttoken_path(psePath);
    velon::ScopedLibraryFlags flags(velon::kRequestFlags, function);
    flags.set(flags.read() | (flag ? kRevocationRequestFlag : 0) | (smart ? kSmartTokenRequestFlag : 0));

    velon::CertificateContext revoked(
        DK_GetCertificateContext(DRAVIK_SOURCE_BYTES, revocableCert.data(), length_of(revocableCert)));
    if (!revoked)
        fail_with_library(function, "DK_GetCertificateContext", GetDravikLastError());

    // Without a shared secret the request is signed: with the key of signCert
    // when one is given, else with the key of the certificate revoked.
    velon::CertificateContext signer;
    if (sharedSecret.empty()) {
        const std::string* keyCertificate = &revocableCert;
        if (!signCert.empty()) {
            signer.reset(DK_GetCertificateContext(DRAVIK_SOURCE_BYTES, signCert.data(), length_of(signCert)));
            if (!signer)
                fail_with_library(function, "DK_GetCertificateContext", GetDravikLastError());
            keyCertificate = &signCert;
        }
        const std::string path = key_path_to_system_cp(function, psePath);
        const int loaded =
            AddPSEPrivateKeyFromBufferEx(path.c_str(), nullptr, keyCertificate->data(), length_of(*keyCertificate), 0);
        if (loaded != 0)
            fail_with_library(function, "AddPSEPrivateKeyFromBufferEx", loaded);
    } else {
        secret = utf8_to_system_cp(sharedSecret);
    }
    const std::string convertedComment = comment.empty() ? std::string() : utf8_to_system_cp(comment);

    char* raw = nullptr;
    std::uint32_t rawLength = 0;
    const int result = MakeRevocationRequest(revoked.get(), code, text_or_null(text), text_or_null(secret),
                                             text_or_null(convertedComment), signer.get(), &raw, &rawLength);
    std::unique_ptr<char, FreeBufferRelease> output(raw);
    if (result != 0)
        fail_with_library(function, "MakeRevocationRequest", result);

    // A request with a shared secret is binary; the page gets it as Base64.
    std::string message = output ? std::string(output.get(), rawLength) : std::string();
    if (!sharedSecret.empty())
        message = bin_to_base64(std::move(message));
    revoked.reset();
    signer.reset();
    output.reset();
    flags.restore();
    return message;
}
