#include "request_extensions.h"

#include <openssl/objects.h>

#include "api_call.h"

namespace dravik {
namespace {

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

extern "C" DRAVIK_API int ResetExtensions(void) {
  return callInt("ResetExtensions", Needs::Init, Args(), [&] {
    resetRequestExtensions();
    return 0;
  });
}
