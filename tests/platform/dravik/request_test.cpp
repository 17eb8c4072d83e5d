// Certificate requests read back: contexts, the subject name and its
// attributes, fingerprints and the information record.
#include <openssl/sha.h>

#include <cstring>

#include "fixture.h"
#include "pki.h"

namespace dravik_test {
namespace {

class Requests : public DravikFixture {
 protected:
  static std::string der(const std::string& request) {
    char* output = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(ConvertEncodedObject(DRAVIK_OBJECT_REQUEST, request.data(), static_cast<uint32_t>(request.size()),
                                   DRAVIK_FORMAT_DER, &output, &length, 0),
              0);
    return takeBuffer(output, length);
  }

  // The subject Name (DER) of a request or certificate context.
  template <typename Context, typename Param>
  static std::string subjectOf(Context* context, Param param) {
    char* name = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(param(context, DRAVIK_CERT_PARAM_SUBJECT_NAME, 0, &name, &length), 0);
    return takeBuffer(name, length);
  }

  static std::string nameString(const std::string& name) {
    return takeText(GetX509NameString(name.data(), static_cast<uint32_t>(name.size()), DRAVIK_NAME_RFC2253));
  }
};

TEST_F(Requests, ContextsComeFromBytesInEveryEncodingOrAFile) {
  std::string pem = Pki::get().requestPem();
  std::string body = pem.substr(pem.find('\n') + 1);
  body = body.substr(0, body.find("-----END"));
  writeFile(path("request.der"), der(pem));
  struct Case {
    const char* what;
    int source;
    std::string input;
    int expected;
  } cases[] = {
      {"PEM", DRAVIK_SOURCE_BYTES, pem, 0},
      {"DER", DRAVIK_SOURCE_BYTES, der(pem), 0},
      {"Base64", DRAVIK_SOURCE_BYTES, body, 0},
      {"a file", DRAVIK_SOURCE_NAME, pathText("request.der"), 0},
      {"a missing file", DRAVIK_SOURCE_NAME, pathText("missing.der"), DRAVIK_E_REQUEST_READ},
      {"no request", DRAVIK_SOURCE_BYTES, Pki::get().ca().certPem(), DRAVIK_E_REQUEST_DECODE},
      {"an unknown source", 2, pem, DRAVIK_E_PARAMETER},
  };
  for (const Case& c : cases) {
    uint32_t length = c.source == DRAVIK_SOURCE_NAME ? 0 : static_cast<uint32_t>(c.input.size());
    DravikRequestContext* context = DK_GetRequestContext(c.source, c.input.data(), length);
    EXPECT_EQ(GetDravikLastError(), c.expected) << c.what;
    if (context) {
      EXPECT_EQ(nameString(subjectOf(context, DK_GetRequestContextParam)), "CN=Requester") << c.what;
      char* value = nullptr;
      EXPECT_EQ(DK_GetRequestContextParam(context, DRAVIK_CERT_PARAM_ENCODED, 0, &value, &length), 0);
      EXPECT_EQ(takeBuffer(value, length), der(pem)) << c.what;
      EXPECT_EQ(DK_GetRequestContextParam(context, DRAVIK_CERT_PARAM_BASIC_CONSTRAINTS, 0, &value, &length),
                DRAVIK_E_PARAMETER);
      EXPECT_EQ(DK_GetRequestContextParam(context, DRAVIK_CERT_PARAM_SUBJECT_NAME, 1, &value, &length), DRAVIK_E_INDEX);
    }
    DK_FreeRequestContext(context);
  }
}

TEST_F(Requests, NameAttributesCopyACertificateSubjectIntoTheRequest) {
  // As a caller copies a certificate's subject: read each attribute, set it.
  std::string cert = Pki::get().user(KeyKind::Gost512).certPem();
  DravikCertificateContext* context =
      DK_GetCertificateContext(DRAVIK_SOURCE_BYTES, cert.data(), static_cast<uint32_t>(cert.size()));
  std::string name = subjectOf(context, DK_GetCertificateContextParam);
  DK_FreeCertificateContext(context);
  uint32_t length = static_cast<uint32_t>(name.size());
  int count = GetX509NameAttributeNumber(name.data(), length);
  ASSERT_EQ(count, 3);
  std::vector<std::pair<std::string, std::string>> attributes;
  for (int i = 0; i < count; ++i)
    attributes.emplace_back(takeText(GetX509NameAttributeOID(name.data(), length, i)),
                            takeText(GetX509NameAttributeValue(name.data(), length, i)));
  EXPECT_EQ(attributes[0], std::make_pair(std::string("2.5.4.6"), std::string("RU")));
  EXPECT_EQ(attributes[2], std::make_pair(std::string("2.5.4.3"), std::string("User GOST 512")));
  for (const auto& [oid, value] : attributes) ASSERT_EQ(SetDistinguishedNameAttribute(oid.c_str(), value.c_str()), 0);

  ASSERT_EQ(PSE_Generation(pathText("keys").c_str(), 0, "", 0), 0);
  ASSERT_EQ(NewKeysGenerationEx(pathText("keys").c_str(), 0, nullptr, 0, pathText("request.pem").c_str()), 0);
  std::string request = readFile(path("request.pem"));
  DravikRequestContext* requestContext =
      DK_GetRequestContext(DRAVIK_SOURCE_BYTES, request.data(), static_cast<uint32_t>(request.size()));
  EXPECT_EQ(subjectOf(requestContext, DK_GetRequestContextParam), name);
  DK_FreeRequestContext(requestContext);
  EXPECT_EQ(nameString(name), "CN=User GOST 512,O=Orvanta Test,C=RU");
}

TEST_F(Requests, MalformedNamesAndIndexesAreRefused) {
  std::string name = "\x30\x0F\x31\x0D\x30\x0B\x06\x03\x55\x04\x03\x0C\x04Test";
  std::string empty("\x30\x00", 2);
  struct Case {
    const char* what;
    std::string name;
    int index;
    int count;
    int code;
  } cases[] = {
      {"one attribute", name, 0, 1, 0},
      {"index beyond", name, 1, 1, DRAVIK_E_INDEX},
      {"negative index", name, -1, 1, DRAVIK_E_INDEX},
      {"empty name", empty, 0, 0, DRAVIK_E_INDEX},
      {"trailing bytes", name + "x", 0, 0, DRAVIK_E_ASN1_DECODE},
      {"no name", "junk", 0, 0, DRAVIK_E_ASN1_DECODE},
  };
  for (const Case& c : cases) {
    uint32_t length = static_cast<uint32_t>(c.name.size());
    EXPECT_EQ(GetX509NameAttributeNumber(c.name.data(), length), c.count) << c.what;
    EXPECT_EQ(GetDravikLastError(), c.count == 0 && c.code == DRAVIK_E_ASN1_DECODE ? c.code : 0) << c.what;
    std::string value = takeText(GetX509NameAttributeValue(c.name.data(), length, c.index));
    EXPECT_EQ(GetDravikLastError(), c.code) << c.what;
    EXPECT_EQ(value, c.code ? "" : "Test") << c.what;
  }
  EXPECT_EQ(GetX509NameString(name.data(), static_cast<uint32_t>(name.size()), 2), nullptr);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_PARAMETER);
}

TEST_F(Requests, InformationRecordDescribesTheRequest) {
  std::string pem = Pki::get().requestPem();
  std::string bytes = der(pem);
  unsigned char digest[SHA_DIGEST_LENGTH];
  SHA1(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
  char hex[2 * SHA_DIGEST_LENGTH + 1];
  for (int i = 0; i < SHA_DIGEST_LENGTH; ++i) std::snprintf(hex + 2 * i, 3, "%02X", digest[i]);
  EXPECT_EQ(takeText(GetRequestFingerprintBuffer(pem.data(), static_cast<uint32_t>(pem.size()))), hex);

  std::string tampered = bytes;
  tampered[tampered.size() - 3] ^= 0x01;  // inside the signature
  struct Case {
    const char* what;
    std::string request;
    const char* valid;
  } cases[] = {{"as made", pem, "1"}, {"signature altered", tampered, "0"}};
  for (const Case& c : cases) {
    DravikRequestInfo info;
    ASSERT_EQ(GetRequestInfoBuffer(c.request.data(), static_cast<uint32_t>(c.request.size()), &info), 0) << c.what;
    EXPECT_STREQ(info.version, "1");
    EXPECT_STREQ(info.subject, "CN=Requester");
    EXPECT_STREQ(info.publicKeyAlgorithm, "gost2012_256");
    EXPECT_STREQ(info.keyAlgorithm, "GOST3410-2012-256-A-ParamSet");
    EXPECT_STREQ(info.signatureAlgorithm, "id-tc26-signwithdigest-gost3410-2012-256");
    EXPECT_STREQ(info.signatureValid, c.valid) << c.what;
    EXPECT_STREQ(info.reserved1, "");
    EXPECT_EQ(std::strlen(info.publicKey), 2u * 66);  // an OCTET STRING of two 32-byte coordinates
    EXPECT_EQ(std::strlen(info.signature), 2u * 64);
    EXPECT_NE(std::string(info.text).find("Subject: CN = Requester"), std::string::npos) << info.text;
    FreeRequestInfo(&info);
    EXPECT_EQ(info.text, nullptr);
  }
  DravikRequestInfo info;
  EXPECT_EQ(GetRequestInfoBuffer("junk", 4, &info), DRAVIK_E_REQUEST_DECODE);
  EXPECT_EQ(info.version, nullptr);
  FreeRequestInfo(&info);
  EXPECT_EQ(GetRequestFingerprintBuffer("junk", 4), nullptr);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_REQUEST_DECODE);
}

}  // namespace
}  // namespace dravik_test
