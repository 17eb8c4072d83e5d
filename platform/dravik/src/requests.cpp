// Certificate requests given by the caller: contexts, fingerprints and the
// information record.
#include "requests.h"

#include <array>
#include <map>
#include <memory>

#include "api_call.h"
#include "buffers.h"
#include "certificate_properties.h"
#include "certificates.h"
#include "file_bytes.h"
#include "encoding.h"
#include "handles.h"
#include "key_algorithms.h"
#include "locations.h"

namespace dravik {
namespace {

HandleRegistry<DravikRequestContext>& contexts() {
  static HandleRegistry<DravikRequestContext> registry;
  return registry;
}

constexpr size_t kInfoTexts = 12;
using InfoTexts = std::array<std::string, kInfoTexts>;

std::map<DravikRequestInfo*, std::unique_ptr<InfoTexts>>& records() {
  static std::map<DravikRequestInfo*, std::unique_ptr<InfoTexts>> live;
  return live;
}

ReqPtr requestFrom(int source, const void* request, uint32_t length) {
  require(request != nullptr, DRAVIK_E_NULL_PARAM);
  switch (source) {
    case DRAVIK_SOURCE_NAME: {
      std::string bytes;
      try {
        bytes = readFileBytes(fileSystemPath(static_cast<const char*>(request)));
      } catch (const DravikError&) {
        fail(DRAVIK_E_REQUEST_READ);
      }
      return decodeRequest(bytes.data(), bytes.size());
    }
    case DRAVIK_SOURCE_BYTES:
      return decodeRequest(request, length);
    default:
      fail(DRAVIK_E_PARAMETER);
  }
}

std::string subjectNameDer(X509_REQ* request) {
  unsigned char* der = nullptr;
  int length = i2d_X509_NAME(X509_REQ_get_subject_name(request), &der);
  require(length > 0, DRAVIK_E_ASN1_ENCODE);
  std::string bytes(reinterpret_cast<char*>(der), static_cast<size_t>(length));
  OPENSSL_free(der);
  return bytes;
}

std::string fingerprint(X509_REQ* request) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  require(X509_REQ_digest(request, EVP_sha1(), digest, &length) == 1, DRAVIK_E_REQUEST_HASH);
  return hexUpper(digest, length);
}

std::string algorithmText(const ASN1_OBJECT* algorithm) {
  int nid = OBJ_obj2nid(algorithm);
  if (nid != NID_undef) return OBJ_nid2sn(nid);
  char dotted[128];
  OBJ_obj2txt(dotted, sizeof dotted, algorithm, 1);
  return dotted;
}

std::string printed(X509_REQ* request) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  require(bio != nullptr, DRAVIK_E_MEMORY);
  unsigned long nameFlags = (XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB) | ASN1_STRFLGS_UTF8_CONVERT;
  require(X509_REQ_print_ex(bio.get(), request, nameFlags, 0) == 1, DRAVIK_E_PRINT);
  return bioBytes(bio.get());
}

InfoTexts infoTexts(X509_REQ* request) {
  InfoTexts texts;
  EVP_PKEY* key = X509_REQ_get0_pubkey(request);
  require(key != nullptr, DRAVIK_E_REQUEST_DECODE);
  const unsigned char* keyBits = nullptr;
  int keyLength = 0;
  ASN1_OBJECT* keyAlgorithm = nullptr;
  require(X509_PUBKEY_get0_param(&keyAlgorithm, &keyBits, &keyLength, nullptr, X509_REQ_get_X509_PUBKEY(request)) == 1,
          DRAVIK_E_REQUEST_DECODE);
  const ASN1_BIT_STRING* signature = nullptr;
  const X509_ALGOR* signatureAlgorithm = nullptr;
  X509_REQ_get0_signature(request, &signature, &signatureAlgorithm);
  const ASN1_OBJECT* signatureOid = nullptr;
  X509_ALGOR_get0(&signatureOid, nullptr, nullptr, signatureAlgorithm);

  texts[0] = std::to_string(X509_REQ_get_version(request) + 1);
  texts[1] = nameText(X509_REQ_get_subject_name(request));
  texts[2] = algorithmText(keyAlgorithm);
  texts[3] = algorithmName(key);
  texts[4] = signatureOid ? algorithmText(signatureOid) : "";
  texts[5] = fingerprint(request);
  texts[6] = X509_REQ_verify(request, key) == 1 ? "1" : "0";
  // texts[7], texts[8]: reserved, empty
  texts[9] = hexUpper(keyBits, static_cast<size_t>(keyLength));
  texts[10] =
      signature ? hexUpper(ASN1_STRING_get0_data(signature), static_cast<size_t>(ASN1_STRING_length(signature))) : "";
  texts[11] = printed(request);
  return texts;
}

}  // namespace

size_t liveRequestContexts() { return contexts().size(); }
size_t liveRequestInfoRecords() { return records().size(); }

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API DravikRequestContext* DK_GetRequestContext(int source, const void* request, uint32_t length) {
  Args args;
  args.number("source", source);
  if (source == DRAVIK_SOURCE_NAME)
    args.text("request", static_cast<const char*>(request));
  else
    args.bytes("request", request, length);
  args.number("length", length);
  return callPointer<DravikRequestContext>("DK_GetRequestContext", Needs::Init, args, [&] {
    auto context = std::make_unique<DravikRequestContext>();
    context->request = requestFrom(source, request, length);
    return contexts().add(std::move(context));
  });
}

extern "C" DRAVIK_API void DK_FreeRequestContext(DravikRequestContext* context) {
  callRelease("DK_FreeRequestContext", Args().handle("context", context), [&] { contexts().release(context); });
}

extern "C" DRAVIK_API int DK_GetRequestContextParam(DravikRequestContext* context, int parameter, int index,
                                                    char** value, uint32_t* length) {
  Args args;
  args.handle("context", context).number("parameter", parameter).number("index", index);
  args.handle("value", value).handle("length", length);
  return callInt("DK_GetRequestContextParam", Needs::Init, args, [&] {
    require(value != nullptr && length != nullptr, DRAVIK_E_NULL_PARAM);
    *value = nullptr;
    *length = 0;
    DravikRequestContext* live = contexts().find(context);
    require(live != nullptr, DRAVIK_E_NULL_PARAM);
    std::string bytes;
    switch (parameter) {
      case DRAVIK_CERT_PARAM_SUBJECT_NAME:
        require(index == 0, DRAVIK_E_INDEX);
        bytes = subjectNameDer(live->request.get());
        break;
      case DRAVIK_CERT_PARAM_ENCODED:
        require(index == 0, DRAVIK_E_INDEX);
        bytes = derOf(live->request.get());
        break;
      default:
        fail(DRAVIK_E_PARAMETER);
    }
    handOut(bytes, value, length);
    return 0;
  });
}

extern "C" DRAVIK_API char* GetRequestFingerprintBuffer(const void* request, uint32_t length) {
  return callPointer<char>("GetRequestFingerprintBuffer", Needs::Init, Args().bytes("request", request, length), [&] {
    require(request != nullptr, DRAVIK_E_NULL_PARAM);
    return newBuffer(fingerprint(decodeRequest(request, length).get()));
  });
}

extern "C" DRAVIK_API int GetRequestInfoBuffer(const void* request, uint32_t length, DravikRequestInfo* info) {
  Args args;
  args.bytes("request", request, length).handle("info", info);
  return callInt("GetRequestInfoBuffer", Needs::Init, args, [&] {
    require(info != nullptr, DRAVIK_E_NULL_PARAM);
    *info = DravikRequestInfo{};
    require(request != nullptr, DRAVIK_E_NULL_PARAM);
    ReqPtr parsed = decodeRequest(request, length);
    auto texts = std::make_unique<InfoTexts>(infoTexts(parsed.get()));
    InfoTexts& t = *texts;
    DravikRequestInfo filled{&t[0][0], &t[1][0], &t[2][0], &t[3][0], &t[4][0],  &t[5][0],
                             &t[6][0], &t[7][0], &t[8][0], &t[9][0], &t[10][0], &t[11][0]};
    records()[info] = std::move(texts);
    *info = filled;
    return 0;
  });
}

extern "C" DRAVIK_API void FreeRequestInfo(DravikRequestInfo* info) {
  callRelease("FreeRequestInfo", Args().handle("info", info), [&] {
    // Only a record this library filled is touched.
    if (records().erase(info) > 0) *info = DravikRequestInfo{};
  });
}
