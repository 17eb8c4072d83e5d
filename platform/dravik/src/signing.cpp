#include "signing.h"

#include <openssl/asn1.h>

#include "api_call.h"
#include "buffers.h"
#include "certificates.h"
#include "clock.h"
#include "cmc.h"
#include "encoding.h"
#include "engine.h"
#include "handles.h"
#include "key_cache.h"
#include "settings.h"
#include "trust_store.h"

namespace dravik {
namespace {

HandleRegistry<DravikSignContext>& contexts() {
  static HandleRegistry<DravikSignContext> registry;
  return registry;
}

DravikSignContext& liveContext(DravikSignContext* context) {
  DravikSignContext* live = contexts().find(context);
  require(live != nullptr, DRAVIK_E_NULL_PARAM);
  return *live;
}

// The signing time set by the test control; the clock's otherwise, which
// OpenSSL adds by itself.
void stampSigningTime(CMS_SignerInfo* signer) {
  std::optional<std::time_t> fixed = fixedTime();
  if (!fixed) return;
  using TimePtr = std::unique_ptr<ASN1_TIME, OsslDeleter<ASN1_TIME, ASN1_TIME_free>>;
  TimePtr stamp(ASN1_TIME_set(nullptr, *fixed));
  require(stamp != nullptr, DRAVIK_E_SIGN_INIT);
  require(CMS_signed_add1_attr_by_NID(signer, NID_pkcs9_signingTime, stamp->type, stamp.get(), -1) == 1,
          DRAVIK_E_SIGN_INIT);
}

std::string signature(const DravikSignContext& context, const void* data, uint32_t length, int mode) {
  SignedDataShape shape;
  shape.signer = context.certificate.get();
  shape.key = context.key.get();
  shape.detached = mode == DRAVIK_SIGN_DETACHED;
  if (context.contentType == DRAVIK_CONTENT_CMC) {
    // A CMC message without its PKIData would say nothing: it always
    // travels inside.
    std::string pkiData = requestPkiData(decodeRequest(data, length).get());
    shape.contentType = pkiDataType();
    shape.detached = false;
    return encodeAs(signedData(pkiData.data(), pkiData.size(), shape), kSignaturePemLabel, settings().outputFormat);
  }
  return encodeAs(signedData(data, length, shape), kSignaturePemLabel, settings().outputFormat);
}

}  // namespace

std::string signedData(const void* content, size_t length, const SignedDataShape& shape) {
  const Settings& s = settings();
  unsigned int flags = CMS_BINARY | CMS_PARTIAL;
  if (shape.detached) flags |= CMS_DETACHED;
  CmsPtr cms(CMS_sign(nullptr, nullptr, nullptr, nullptr, flags));
  require(cms != nullptr, DRAVIK_E_SIGN_INIT);
  if (shape.contentType) require(CMS_set1_eContentType(cms.get(), shape.contentType) == 1, DRAVIK_E_SIGN_INIT);
  bool attributes = s.insertSigningTime || shape.contentType != nullptr;
  unsigned int signerFlags = CMS_BINARY;
  if (!s.insertCertificate) signerFlags |= CMS_NOCERTS;
  if (!attributes) signerFlags |= CMS_NOATTR;
  if (s.pkcs7Flags & DRAVIK_PKCS7_NO_SMIME_CAPABILITIES) signerFlags |= CMS_NOSMIMECAP;
  CMS_SignerInfo* signer = CMS_add1_signer(cms.get(), shape.signer, shape.key, signingDigest(shape.key), signerFlags);
  require(signer != nullptr, DRAVIK_E_SIGN_INIT);
  if (attributes) stampSigningTime(signer);
  static const char kNoData = 0;
  BioPtr data = readOnlyBio(length ? content : &kNoData, length);
  require(data != nullptr, DRAVIK_E_MEMORY);
  require(CMS_final(cms.get(), data.get(), nullptr, flags) == 1, DRAVIK_E_SIGN_FINAL);

  unsigned char* der = nullptr;
  int derLength = i2d_CMS_ContentInfo(cms.get(), &der);
  require(derLength > 0, DRAVIK_E_ASN1_ENCODE);
  std::string bytes(reinterpret_cast<char*>(der), static_cast<size_t>(derLength));
  OPENSSL_free(der);
  return bytes;
}

size_t liveSignContexts() { return contexts().size(); }

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API DravikSignContext* GetSignCTX(void) {
  return callPointer<DravikSignContext>("GetSignCTX", Needs::Init, Args(),
                                        [&] { return contexts().add(std::make_unique<DravikSignContext>()); });
}

extern "C" DRAVIK_API void FreeSignCTX(DravikSignContext* context) {
  callRelease("FreeSignCTX", Args().handle("context", context), [&] { contexts().release(context); });
}

extern "C" DRAVIK_API int AddSigner(DravikSignContext* context, int source, const void* certificate,
                                    uint32_t* length) {
  Args args;
  args.handle("context", context).number("source", source);
  if (source == DRAVIK_SOURCE_NAME)
    args.text("certificate", static_cast<const char*>(certificate));
  else
    args.bytes("certificate", certificate, length ? *length : 0);
  return callInt("AddSigner", Needs::Init, args, [&] {
    DravikSignContext& live = liveContext(context);
    require(source != DRAVIK_SOURCE_BYTES || length != nullptr, DRAVIK_E_NULL_PARAM);
    X509Ptr signer = certificateFrom(source, certificate, length ? *length : 0);
    int verdict = verifyCertificate(signer.get(), settings().verifyFlags);
    if (verdict != 0) return verdict;
    live.key = loadedKeyFor(signer.get());
    live.certificate = std::move(signer);
    return 0;
  });
}

extern "C" DRAVIK_API int SignBufferEx(DravikSignContext* context, const void* data, uint32_t length, char** output,
                                       uint32_t* outputLength, int mode) {
  Args args;
  args.handle("context", context).bytes("data", data, length).handle("output", output);
  args.handle("outputLength", outputLength).number("mode", mode);
  return callInt("SignBufferEx", Needs::Init, args, [&] {
    require(output != nullptr && outputLength != nullptr, DRAVIK_E_NULL_PARAM);
    *output = nullptr;
    *outputLength = 0;
    DravikSignContext& live = liveContext(context);
    require(data != nullptr || length == 0, DRAVIK_E_NULL_PARAM);
    require(mode == DRAVIK_SIGN_ATTACHED || mode == DRAVIK_SIGN_DETACHED, DRAVIK_E_PARAMETER);
    require(live.certificate != nullptr, DRAVIK_E_NO_SIGNER);
    require(live.key != nullptr, DRAVIK_E_KEY_NOT_LOADED);
    handOut(signature(live, data, length, mode), output, outputLength);
    return 0;
  });
}

extern "C" DRAVIK_API int SetSignEncapsulatedContentType(DravikSignContext* context, int contentType) {
  Args args;
  args.handle("context", context).number("contentType", contentType);
  return callInt("SetSignEncapsulatedContentType", Needs::Init, args, [&] {
    DravikSignContext& live = liveContext(context);
    require(contentType == DRAVIK_CONTENT_DATA || contentType == DRAVIK_CONTENT_CMC, DRAVIK_E_PARAMETER);
    live.contentType = contentType;
    return 0;
  });
}
