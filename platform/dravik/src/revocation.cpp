// Revocation requests: a CMC revokeRequest control, signed with the key of a
// certificate or authenticated by a shared secret.
#include <openssl/asn1.h>

#include "api_call.h"
#include "buffers.h"
#include "certificates.h"
#include "cmc.h"
#include "encoding.h"
#include "key_cache.h"
#include "settings.h"
#include "signing.h"

namespace dravik {
namespace {

bool given(const char* text) { return text && *text; }

bool validUtf8(const std::string& text) {
  ASN1_STRING* checked = nullptr;
  int type = ASN1_mbstring_copy(&checked, reinterpret_cast<const unsigned char*>(text.data()),
                                static_cast<int>(text.size()), MBSTRING_UTF8, B_ASN1_UTF8STRING);
  ASN1_STRING_free(checked);
  return type > 0;
}

// The reason in words and the comment share the RevokeRequest's one comment
// field, the reason first, a line break between.
std::optional<std::string> commentOf(const char* text, const char* comment) {
  if (!given(text) && !given(comment)) return std::nullopt;
  std::string joined = given(text) ? text : "";
  if (given(text) && given(comment)) joined += '\n';
  if (given(comment)) joined += comment;
  require(validUtf8(joined), DRAVIK_E_PARAMETER);
  return joined;
}

// Signed: in the output format. With a shared secret: DER, whatever the
// format, as a SignedData without signers (RFC 5272's unsigned request).
std::string revocationRequest(X509* revoked, int reason, const char* text, const char* secret, const char* comment,
                              X509* signer) {
  Revocation revocation;
  revocation.certificate = revoked;
  revocation.reason = reason;
  revocation.comment = commentOf(text, comment);
  SignedDataShape shape;
  shape.contentType = pkiDataType();
  KeyPtr key;
  if (given(secret)) {
    revocation.passphrase = Secret(std::string(secret));
  } else {
    shape.signer = signer ? signer : revoked;
    key = loadedKeyFor(shape.signer);
    require(key != nullptr, DRAVIK_E_KEY_NOT_LOADED);
    shape.key = key.get();
  }
  std::string body = revocationPkiData(revocation);
  std::string message = revocation.passphrase ? unsignedPkiData(body) : signedData(body.data(), body.size(), shape);
  OPENSSL_cleanse(&body[0], body.size());
  if (revocation.passphrase) return message;
  return encodeAs(message, kSignaturePemLabel, settings().outputFormat);
}

}  // namespace
}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int MakeRevocationRequest(DravikCertificateContext* certificate, int reason, const char* text,
                                                const char* secret, const char* comment,
                                                DravikCertificateContext* signer, char** output,
                                                uint32_t* outputLength) {
  Args args;
  args.handle("certificate", certificate).number("reason", reason).handle("text", text);
  args.secret("secret", secret).handle("comment", comment).handle("signer", signer);
  args.handle("output", output).handle("outputLength", outputLength);
  return callInt("MakeRevocationRequest", Needs::Init, args, [&] {
    require(output != nullptr && outputLength != nullptr, DRAVIK_E_NULL_PARAM);
    *output = nullptr;
    *outputLength = 0;
    X509* revoked = liveCertificate(certificate);
    X509* signing = signer ? liveCertificate(signer) : nullptr;
    require(revoked != nullptr && (signer == nullptr || signing != nullptr), DRAVIK_E_NULL_PARAM);
    require(validRevocationReason(reason), DRAVIK_E_PARAMETER);
    std::string message = revocationRequest(revoked, reason, text, secret, comment, signing);
    handOut(message, output, outputLength);
    OPENSSL_cleanse(&message[0], message.size());
    return 0;
  });
}
