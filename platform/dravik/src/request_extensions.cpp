#include "request_extensions.h"

#include <openssl/objects.h>

#include "api_call.h"

namespace dravik {
namespace {

constexpr uint32_t kKnownKeyUsages = 0x1FF;

RequestExtensions& extensions() {
  static RequestExtensions instance;
  return instance;
}

// A dotted OID that OpenSSL can encode.
bool validOid(const char* oid) {
  if (!oid || !*oid) return false;
  ASN1_OBJECT* object = OBJ_txt2obj(oid, 1);
  if (!object) return false;
  ASN1_OBJECT_free(object);
  return true;
}

// A URI as an IA5String holds it: printable ASCII without blanks.
bool validUri(const char* uri) {
  if (!*uri) return false;
  for (const char* c = uri; *c; ++c) {
    if (*c <= ' ' || *c > '~') return false;
  }
  return true;
}

}  // namespace

const RequestExtensions& requestExtensions() { return extensions(); }

void resetRequestExtensions() { extensions() = RequestExtensions(); }

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int SetBasicConstraints(int ca, int critical) {
  return callInt("SetBasicConstraints", Needs::Init, Args().number("ca", ca).number("critical", critical),
                 [&] {
                   RequestExtensions& e = extensions();
                   e.hasBasicConstraints = true;
                   e.ca = ca != 0;
                   e.basicConstraintsCritical = critical != 0;
                   return 0;
                 });
}

extern "C" DRAVIK_API int AddExtendedKeyUsage(const char* oid, int critical) {
  return callInt("AddExtendedKeyUsage", Needs::Init, Args().text("oid", oid).number("critical", critical),
                 [&] {
                   require(oid != nullptr, DRAVIK_E_NULL_PARAM);
                   require(validOid(oid), DRAVIK_E_EXTENSION_PARSE);
                   RequestExtensions& e = extensions();
                   e.extendedKeyUsages.emplace_back(oid);
                   e.extendedKeyUsageCritical = e.extendedKeyUsageCritical || critical != 0;
                   return 0;
                 });
}

extern "C" DRAVIK_API int SetKeyUsage(uint32_t usage, int critical) {
  return callInt("SetKeyUsage", Needs::Init, Args().hex("usage", usage).number("critical", critical), [&] {
    require((usage & ~kKnownKeyUsages) == 0, DRAVIK_E_PARAMETER);
    RequestExtensions& e = extensions();
    e.keyUsage = usage;
    e.keyUsageCritical = critical != 0;
    return 0;
  });
}

extern "C" DRAVIK_API int AddCertificatePolicy(const char* oid, const char* cpsUri) {
  return callInt("AddCertificatePolicy", Needs::Init, Args().text("oid", oid).text("cpsUri", cpsUri), [&] {
    require(oid != nullptr, DRAVIK_E_NULL_PARAM);
    require(validOid(oid), DRAVIK_E_EXTENSION_PARSE);
    require(!cpsUri || validUri(cpsUri), DRAVIK_E_EXTENSION_PARSE);
    extensions().policies.push_back(CertificatePolicy{oid, cpsUri ? cpsUri : ""});
    return 0;
  });
}

extern "C" DRAVIK_API int SetSubjectSignTool(void) {
  return callInt("SetSubjectSignTool", Needs::Init, Args(), [&] {
    extensions().subjectSignTool = true;
    return 0;
  });
}

extern "C" DRAVIK_API int ResetExtensions(void) {
  return callInt("ResetExtensions", Needs::Init, Args(), [&] {
    resetRequestExtensions();
    return 0;
  });
}
