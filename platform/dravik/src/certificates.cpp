#include "certificates.h"

#include <cstring>

#include "api_call.h"
#include "buffers.h"
#include "encoding.h"
#include "file_bytes.h"
#include "handles.h"
#include "locations.h"
#include "tokens.h"

namespace dravik {
namespace {

HandleRegistry<DravikCertificateContext>& contexts() {
  static HandleRegistry<DravikCertificateContext> registry;
  return registry;
}

std::string basicConstraintsValue(X509* certificate) {
  int critical = 0;
  BasicConstraintsPtr constraints(
      static_cast<BASIC_CONSTRAINTS*>(X509_get_ext_d2i(certificate, NID_basic_constraints, &critical, nullptr)));
  require(constraints != nullptr, DRAVIK_E_NO_SUCH_VALUE);
  uint32_t words[2] = {constraints->ca ? 1u : 0u, 0xFFFFFFFFu};
  if (constraints->pathlen) {
    long length = ASN1_INTEGER_get(constraints->pathlen);
    if (length >= 0 && length < 0xFFFFFFFFL) words[1] = static_cast<uint32_t>(length);
  }
  return std::string(reinterpret_cast<const char*>(words), sizeof words);
}

std::string subjectNameValue(X509* certificate) {
  unsigned char* der = nullptr;
  int length = i2d_X509_NAME(X509_get_subject_name(certificate), &der);
  require(length > 0, DRAVIK_E_ASN1_ENCODE);
  std::string bytes(reinterpret_cast<char*>(der), static_cast<size_t>(length));
  OPENSSL_free(der);
  return bytes;
}

}  // namespace

X509Ptr readCertificateAt(const std::string& path) {
  Location where = locate(path);
  if (where.onToken) requireToken(where.device);
  std::error_code error;
  require(std::filesystem::is_regular_file(where.local, error), DRAVIK_E_CERT_READ);
  std::string bytes;
  try {
    bytes = readFileBytes(where.local);
  } catch (const DravikError&) {
    fail(DRAVIK_E_CERT_READ);
  }
  return decodeCertificate(bytes.data(), bytes.size());
}

X509Ptr certificateFrom(int source, const void* certificate, uint32_t length) {
  require(certificate != nullptr, DRAVIK_E_NULL_PARAM);
  switch (source) {
    case DRAVIK_SOURCE_NAME:
      return readCertificateAt(static_cast<const char*>(certificate));
    case DRAVIK_SOURCE_BYTES:
      return decodeCertificate(certificate, length);
    default:
      fail(DRAVIK_E_PARAMETER);
  }
}

X509* liveCertificate(const DravikCertificateContext* context) {
  DravikCertificateContext* live = contexts().find(context);
  return live ? live->certificate.get() : nullptr;
}

size_t liveCertificateContexts() { return contexts().size(); }

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API DravikCertificateContext* DK_GetCertificateContext(int source, const void* certificate,
                                                                         uint32_t length) {
  Args args;
  args.number("source", source);
  if (source == DRAVIK_SOURCE_NAME)
    args.text("certificate", static_cast<const char*>(certificate));
  else
    args.bytes("certificate", certificate, length);
  args.number("length", length);
  return callPointer<DravikCertificateContext>("DK_GetCertificateContext", Needs::Init, args, [&] {
    auto context = std::make_unique<DravikCertificateContext>();
    context->certificate = certificateFrom(source, certificate, length);
    return contexts().add(std::move(context));
  });
}

extern "C" DRAVIK_API void DK_FreeCertificateContext(DravikCertificateContext* context) {
  callRelease("DK_FreeCertificateContext", Args().handle("context", context),
              [&] { contexts().release(context); });
}

extern "C" DRAVIK_API int DK_GetCertificateContextParam(DravikCertificateContext* context, int parameter, int index,
                                                        char** value, uint32_t* length) {
  Args args;
  args.handle("context", context).number("parameter", parameter).number("index", index);
  args.handle("value", value).handle("length", length);
  return callInt("DK_GetCertificateContextParam", Needs::Init, args, [&] {
    require(value != nullptr && length != nullptr, DRAVIK_E_NULL_PARAM);
    *value = nullptr;
    *length = 0;
    DravikCertificateContext* live = contexts().find(context);
    require(live != nullptr, DRAVIK_E_NULL_PARAM);
    X509* certificate = live->certificate.get();
    std::string bytes;
    switch (parameter) {
      case DRAVIK_CERT_PARAM_BASIC_CONSTRAINTS:
        require(index == 0, DRAVIK_E_INDEX);
        bytes = basicConstraintsValue(certificate);
        break;
      case DRAVIK_CERT_PARAM_SUBJECT_NAME:
        require(index == 0, DRAVIK_E_INDEX);
        bytes = subjectNameValue(certificate);
        break;
      case DRAVIK_CERT_PARAM_ENCODED:
        require(index == 0, DRAVIK_E_INDEX);
        bytes = derOf(certificate);
        break;
      default:
        fail(DRAVIK_E_PARAMETER);
    }
    handOut(bytes, value, length);
    return 0;
  });
}
