// Questions about an encoded X.509 Name (a subject or issuer in DER, as the
// context parameters hand it out): its attributes and its text.
#include <cstring>

#include "api_call.h"
#include "buffers.h"
#include "certificate_properties.h"

namespace dravik {
namespace {

using NamePtr = std::unique_ptr<X509_NAME, OsslDeleter<X509_NAME, X509_NAME_free>>;

// The whole input must be one Name: trailing bytes mean it is not one.
NamePtr decodeName(const void* name, uint32_t length) {
  require(name != nullptr, DRAVIK_E_NULL_PARAM);
  const unsigned char* p = static_cast<const unsigned char*>(name);
  NamePtr parsed(d2i_X509_NAME(nullptr, &p, static_cast<long>(length)));
  require(parsed != nullptr && p == static_cast<const unsigned char*>(name) + length, DRAVIK_E_ASN1_DECODE);
  return parsed;
}

X509_NAME_ENTRY* entryAt(X509_NAME* name, int index) {
  require(index >= 0 && index < X509_NAME_entry_count(name), DRAVIK_E_INDEX);
  return X509_NAME_get_entry(name, index);
}

std::string oidText(X509_NAME_ENTRY* entry) {
  char dotted[128];
  int length = OBJ_obj2txt(dotted, sizeof dotted, X509_NAME_ENTRY_get_object(entry), 1);
  require(length > 0 && length < static_cast<int>(sizeof dotted), DRAVIK_E_ASN1_DECODE);
  return dotted;
}

std::string valueText(X509_NAME_ENTRY* entry) {
  unsigned char* utf8 = nullptr;
  int length = ASN1_STRING_to_UTF8(&utf8, X509_NAME_ENTRY_get_data(entry));
  require(length >= 0, DRAVIK_E_ASN1_DECODE);
  std::string text(reinterpret_cast<char*>(utf8), static_cast<size_t>(length));
  OPENSSL_free(utf8);
  return text;
}

using EntryText = std::string (*)(X509_NAME_ENTRY*);

char* attributeText(const char* function, const void* name, uint32_t length, int index, EntryText text) {
  Args args;
  args.bytes("name", name, length).number("index", index);
  return callPointer<char>(function, Needs::Init, args, [&] {
    NamePtr parsed = decodeName(name, length);
    return newBuffer(text(entryAt(parsed.get(), index)));
  });
}

}  // namespace
}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int GetX509NameAttributeNumber(const void* name, uint32_t length) {
  return callAnswer("GetX509NameAttributeNumber", Needs::Init, Args().bytes("name", name, length),
                    [&] { return X509_NAME_entry_count(decodeName(name, length).get()); });
}

extern "C" DRAVIK_API char* GetX509NameAttributeOID(const void* name, uint32_t length, int index) {
  return attributeText("GetX509NameAttributeOID", name, length, index, oidText);
}

extern "C" DRAVIK_API char* GetX509NameAttributeValue(const void* name, uint32_t length, int index) {
  return attributeText("GetX509NameAttributeValue", name, length, index, valueText);
}

extern "C" DRAVIK_API char* GetX509NameString(const void* name, uint32_t length, int format) {
  Args args;
  args.bytes("name", name, length).number("format", format);
  return callPointer<char>("GetX509NameString", Needs::Init, args, [&] {
    NamePtr parsed = decodeName(name, length);
    require(format == DRAVIK_NAME_RFC2253, DRAVIK_E_PARAMETER);
    return newBuffer(nameText(parsed.get()));
  });
}
