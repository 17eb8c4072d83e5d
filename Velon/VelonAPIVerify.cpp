// verifyCertificate: whether the library accepts a certificate as a signer.
#include "Velon/VelonAPI.h"

#include <cstring>

#include "Velon/ApiLog.h"

namespace {

// The chain with the revocation lists of every member, or a partial chain
// with the key usage.
constexpr std::uint32_t kChainChecks = DRAVIK_VERIFY_CHAIN | DRAVIK_VERIFY_CRL | DRAVIK_VERIFY_CRL_ALL;
constexpr std::uint32_t kPartialChecks = DRAVIK_VERIFY_PARTIAL_CHAIN | DRAVIK_VERIFY_KEY_USAGE;

}  // namespace

int VelonAPI::verifyCertificate(std::string certificate, bool chainCheck)
{
    const char* const function = "VelonAPI::verifyCertificate";
    VELON_TRACE(function, "VelonAPI::verifyCertificate(*certificate*, " + flag_text(chainCheck) + ")");
    check_initPlugin("verifyCertificate");

    velon::SignContext context(GetSignCTX());
    if (!context)
        fail_with_library(function, "GetSignCTX", GetDravikLastError());
    // The certificate is text: it ends at its first NUL byte.
    std::uint32_t length = static_cast<std::uint32_t>(strnlen(certificate.data(), certificate.size()));

    std::uint32_t flags = 0;
    int result = GetCertificateVerifyFlags(&flags);
    if (result != 0) {
        context.reset();
        fail_with_library(function, "GetCertificateVerifyFlags", result);
    }
    result = SetCertificateVerifyFlags(flags | (chainCheck ? kChainChecks : kPartialChecks));
    if (result != 0) {
        context.reset();
        fail_with_library(function, "SetCertificateVerifyFlags", result);
    }

    const int accepted = AddSigner(context.get(), DRAVIK_SOURCE_BYTES, certificate.data(), &length);
    context.reset();
    const int restored = SetCertificateVerifyFlags(flags);
    if (restored != 0)
        fail_with_library(function, "SetCertificateVerifyFlags", restored);
    if (accepted != 0)
        fail_with_library(function, "AddSigner", accepted);
    return 0;
}
