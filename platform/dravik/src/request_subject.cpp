#include "request_subject.h"

#include <cstring>

#include "api_call.h"

namespace dravik {
namespace {

using NamePtr = std::unique_ptr<X509_NAME, OsslDeleter<X509_NAME, X509_NAME_free>>;
using ObjectPtr = std::unique_ptr<ASN1_OBJECT, OsslDeleter<ASN1_OBJECT, ASN1_OBJECT_free>>;

NamePtr& subject() {
  static NamePtr name;
  if (!name) {
    name.reset(X509_NAME_new());
    if (!name) throw std::bad_alloc();
  }
  return name;
}

}  // namespace

X509_NAME* requestSubject() { return subject().get(); }

void resetRequestSubject() { subject().reset(); }

}  // namespace dravik

using namespace dravik;

// The attribute is named by OpenSSL's short or long name ("CN", "commonName",
// "INN") or a dotted OID; the value is UTF-8 and gets the string type the
// attribute's standard asks for (PrintableString for a country, say).
extern "C" DRAVIK_API int SetDistinguishedNameAttribute(const char* attribute, const char* value) {
  return callInt("SetDistinguishedNameAttribute", Needs::Init, Args().text("attribute", attribute).text("value", value),
                 [&] {
                   require(attribute != nullptr && value != nullptr, DRAVIK_E_NULL_PARAM);
                   ObjectPtr object(OBJ_txt2obj(attribute, 0));
                   require(object != nullptr && *value != '\0', DRAVIK_E_NAME_FORMAT);
                   require(X509_NAME_add_entry_by_OBJ(requestSubject(), object.get(), MBSTRING_UTF8,
                                                      reinterpret_cast<const unsigned char*>(value),
                                                      static_cast<int>(std::strlen(value)), -1, 0) == 1,
                           DRAVIK_E_NAME_FORMAT);
                   return 0;
                 });
}

extern "C" DRAVIK_API int ResetDistinguishedName(void) {
  return callInt("ResetDistinguishedName", Needs::Init, Args(), [&] {
    resetRequestSubject();
    return 0;
  });
}
