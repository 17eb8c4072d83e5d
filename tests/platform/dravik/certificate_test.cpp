// Certificate contexts, their parameters, the property texts and the
// information record.
#include <openssl/pem.h>

#include <cctype>
#include <cstring>

#include "fixture.h"
#include "pki.h"

namespace dravik_test {
namespace {

std::string sha1Hex(X509* cert) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  X509_digest(cert, EVP_sha1(), digest, &length);
  static const char hex[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned i = 0; i < length; ++i) text += {hex[digest[i] >> 4], hex[digest[i] & 15]};
  return text;
}

std::string isoTime(const ASN1_TIME* time) {
  std::tm parts{};
  ASN1_TIME_to_tm(time, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

std::string pemBodyOf(const std::string& pem) {
  size_t start = pem.find('\n') + 1;
  return pem.substr(start, pem.find("-----END") - start);
}

// "YYYY-MM-DDTHH:MM:SSZ"
bool isIsoTime(const std::string& text) {
  const std::string shape = "dddd-dd-ddTdd:dd:ddZ";
  if (text.size() != shape.size()) return false;
  for (size_t i = 0; i < shape.size(); ++i) {
    bool ok = shape[i] == 'd' ? std::isdigit(static_cast<unsigned char>(text[i])) != 0 : text[i] == shape[i];
    if (!ok) return false;
  }
  return true;
}

using PropertyFunction = char* (*)(const void*, uint32_t);

struct PropertyCase {
  const char* name;
  PropertyFunction function;
};

void PrintTo(const PropertyCase& c, std::ostream* out) { *out << c.name; }

class CertificateTexts : public DravikFixture {};

class Properties : public DravikFixture, public ::testing::WithParamInterface<PropertyCase> {
 protected:
  std::string expected(const char* name, const Identity& who) {
    X509* cert = who.cert.get();
    std::string property = name;
    if (property == "Subject") return "CN=User GOST 512,O=Orvanta Test,C=RU";
    if (property == "Issuer") return "CN=Orvanta Test CA,O=Orvanta Test,C=RU";
    if (property == "Serial") {
      std::string hex = who.serialHex();
      return hex.size() % 2 ? "0" + hex : hex;
    }
    if (property == "NotBefore") return isoTime(X509_get0_notBefore(cert));
    if (property == "NotAfter") return isoTime(X509_get0_notAfter(cert));
    return sha1Hex(cert);
  }
};

TEST_P(Properties, TextIsTheSameForEveryInputForm) {
  const PropertyCase& c = GetParam();
  const Identity& who = Pki::get().user(KeyKind::Gost512);
  std::string pem = who.certPem();
  std::string inputs[] = {who.certDer(), pem, pemBodyOf(pem)};
  for (const std::string& input : inputs) {
    std::string text = takeText(c.function(input.data(), static_cast<uint32_t>(input.size())));
    EXPECT_EQ(text, expected(c.name, who)) << c.name;
  }
  EXPECT_EQ(c.function("junk", 4), nullptr);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_CERT_DECODE);
  EXPECT_EQ(c.function(nullptr, 0), nullptr);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_NULL_PARAM);
}

INSTANTIATE_TEST_SUITE_P(Texts, Properties,
                         ::testing::Values(PropertyCase{"Subject", GetCertificateSubjectBuffer},
                                           PropertyCase{"Issuer", GetCertificateIssuerBuffer},
                                           PropertyCase{"Serial", GetCertificateSerialBuffer},
                                           PropertyCase{"NotBefore", GetCertificateNotBeforeBuffer},
                                           PropertyCase{"NotAfter", GetCertificateNotAfterBuffer},
                                           PropertyCase{"Fingerprint", GetCertFingerprintBuffer}),
                         [](const ::testing::TestParamInfo<PropertyCase>& info) { return std::string(info.param.name); });

TEST_F(CertificateTexts, NamesKeepUtf8AndEscapeSpecialCharacters) {
  struct Case {
    const char* commonName;
    const char* expected;
  } cases[] = {
      {"\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2 \xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD",
       "CN=\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2 \xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD,O=Orvanta Test,C=RU"},
      {"Comma, Inc", "CN=Comma\\, Inc,O=Orvanta Test,C=RU"},
      {"Plus+Equals=", "CN=Plus\\+Equals=,O=Orvanta Test,C=RU"},
  };
  for (const Case& c : cases) {
    CertificateShape shape;
    shape.commonName = c.commonName;
    Identity who = makeIdentity(shape, nullptr);
    std::string der = who.certDer();
    EXPECT_EQ(takeText(GetCertificateSubjectBuffer(der.data(), static_cast<uint32_t>(der.size()))), c.expected);
  }
}

TEST_F(CertificateTexts, SerialTextHasTwoDigitsPerByte) {
  struct Case {
    long serial;
    const char* expected;
  } cases[] = {{1, "01"}, {255, "FF"}, {256, "0100"}, {0x1A2B3C, "1A2B3C"}};
  for (const Case& c : cases) {
    CertificateShape shape;
    shape.commonName = "Serial";
    shape.serial = c.serial;
    Identity who = makeIdentity(shape, nullptr);
    std::string der = who.certDer();
    EXPECT_EQ(takeText(GetCertificateSerialBuffer(der.data(), static_cast<uint32_t>(der.size()))), c.expected);
  }
}

TEST_F(CertificateTexts, InformationRecordHoldsEveryPropertyAndIsReleasedOnce) {
  const Identity& who = Pki::get().user(KeyKind::Gost256);
  std::string der = who.certDer();
  DravikCertificateInfo info;
  std::memset(&info, 0xA5, sizeof info);  // never initialised by the caller
  FreeCertificateInfo(&info);              // ignored: not filled by the library
  ASSERT_EQ(GetCertificateInfoBufferEx(der.data(), static_cast<uint32_t>(der.size()), &info), 0);
  EXPECT_EQ(DravikTest_LiveRecords(), 1u);
  EXPECT_STREQ(info.version, "3");
  EXPECT_STREQ(info.subject, "CN=User GOST 256,O=Orvanta Test,C=RU");
  EXPECT_STREQ(info.issuer, "CN=Orvanta Test CA,O=Orvanta Test,C=RU");
  EXPECT_EQ(info.fingerprint, sha1Hex(who.cert.get()));
  EXPECT_STREQ(info.publicKeyAlgorithm, "gost2012_256");
  EXPECT_TRUE(isIsoTime(info.notAfter)) << info.notAfter;
  FreeCertificateInfo(&info);
  EXPECT_EQ(info.version, nullptr);
  FreeCertificateInfo(&info);
  FreeCertificateInfo(nullptr);
  EXPECT_EQ(DravikTest_LiveRecords(), 0u);

  std::memset(&info, 0xA5, sizeof info);
  EXPECT_EQ(GetCertificateInfoBufferEx("junk", 4, &info), DRAVIK_E_CERT_DECODE);
  EXPECT_EQ(info.version, nullptr);  // zeroed, so that releasing it is harmless
  FreeCertificateInfo(&info);
  EXPECT_EQ(GetCertificateInfoBufferEx(der.data(), 4, nullptr), DRAVIK_E_NULL_PARAM);
}

class Contexts : public DravikFixture {
 protected:
  std::string param(DravikCertificateContext* context, int parameter, int* code, int index = 0) {
    char* value = reinterpret_cast<char*>(code);  // must be reset
    uint32_t length = 7;
    *code = DK_GetCertificateContextParam(context, parameter, index, &value, &length);
    if (*code != 0) {
      EXPECT_EQ(value, nullptr);
      EXPECT_EQ(length, 0u);
    }
    return takeBuffer(*code == 0 ? value : nullptr, length);
  }
};

TEST_F(Contexts, ParametersOfCertificatesFromBytesAndFiles) {
  Pki& pki = Pki::get();
  writeFile(path("ca.pem"), pki.ca().certPem());
  CertificateShape shape;
  shape.commonName = "No Constraints";
  Identity bare = makeIdentity(shape, nullptr);
  // No basic constraints at all: rebuild without the extension.
  X509_EXTENSION_free(X509_delete_ext(bare.cert.get(), X509_get_ext_by_NID(bare.cert.get(), NID_basic_constraints, -1)));
  std::string userDer = pki.user(KeyKind::Gost256).certDer();
  std::string bareDer = bare.certDer();
  std::string caFile = pathText("ca.pem");

  DravikCertificateContext* ca = DK_GetCertificateContext(DRAVIK_SOURCE_NAME, caFile.c_str(), 0);
  DravikCertificateContext* user =
      DK_GetCertificateContext(DRAVIK_SOURCE_BYTES, userDer.data(), static_cast<uint32_t>(userDer.size()));
  DravikCertificateContext* none =
      DK_GetCertificateContext(DRAVIK_SOURCE_BYTES, bareDer.data(), static_cast<uint32_t>(bareDer.size()));
  ASSERT_TRUE(ca && user && none);
  EXPECT_EQ(DravikTest_LiveContexts(), 3u);

  struct Words {
    uint32_t ca, pathLength;
  };
  int code = 0;
  std::string value = param(ca, DRAVIK_CERT_PARAM_BASIC_CONSTRAINTS, &code);
  ASSERT_EQ(code, 0);
  ASSERT_EQ(value.size(), sizeof(Words));
  Words words;
  std::memcpy(&words, value.data(), sizeof words);
  EXPECT_EQ(words.ca, 1u);
  EXPECT_EQ(words.pathLength, 0xFFFFFFFFu);
  value = param(user, DRAVIK_CERT_PARAM_BASIC_CONSTRAINTS, &code);
  ASSERT_EQ(code, 0);
  std::memcpy(&words, value.data(), sizeof words);
  EXPECT_EQ(words.ca, 0u);
  param(none, DRAVIK_CERT_PARAM_BASIC_CONSTRAINTS, &code);
  EXPECT_EQ(code, DRAVIK_E_NO_SUCH_VALUE);

  EXPECT_EQ(param(user, DRAVIK_CERT_PARAM_ENCODED, &code), userDer);
  EXPECT_EQ(param(ca, DRAVIK_CERT_PARAM_ENCODED, &code), pki.ca().certDer());
  unsigned char* name = nullptr;
  int nameLength = i2d_X509_NAME(X509_get_subject_name(pki.user(KeyKind::Gost256).cert.get()), &name);
  EXPECT_EQ(param(user, DRAVIK_CERT_PARAM_SUBJECT_NAME, &code), std::string(reinterpret_cast<char*>(name), nameLength));
  OPENSSL_free(name);

  param(user, 99, &code);
  EXPECT_EQ(code, DRAVIK_E_PARAMETER);
  param(user, DRAVIK_CERT_PARAM_ENCODED, &code, 1);
  EXPECT_EQ(code, DRAVIK_E_INDEX);
  param(nullptr, DRAVIK_CERT_PARAM_ENCODED, &code);
  EXPECT_EQ(code, DRAVIK_E_NULL_PARAM);
  EXPECT_EQ(DK_GetCertificateContextParam(user, DRAVIK_CERT_PARAM_ENCODED, 0, nullptr, nullptr), DRAVIK_E_NULL_PARAM);

  DK_FreeCertificateContext(ca);
  DK_FreeCertificateContext(user);
  DK_FreeCertificateContext(none);
  DK_FreeCertificateContext(none);  // twice: ignored
  DK_FreeCertificateContext(nullptr);
  param(user, DRAVIK_CERT_PARAM_ENCODED, &code);  // released: refused, not a crash
  EXPECT_EQ(code, DRAVIK_E_NULL_PARAM);
}

TEST_F(Contexts, SourcesThatHoldNoCertificate) {
  writeFile(path("text.txt"), "hello");
  std::filesystem::create_directories(path("folder"));
  struct Case {
    const char* what;
    int source;
    std::string name;
    int expected;
  } cases[] = {
      {"missing file", DRAVIK_SOURCE_NAME, pathText("missing.cer"), DRAVIK_E_CERT_READ},
      {"a folder", DRAVIK_SOURCE_NAME, pathText("folder"), DRAVIK_E_CERT_READ},
      {"not a certificate", DRAVIK_SOURCE_NAME, pathText("text.txt"), DRAVIK_E_CERT_DECODE},
      {"bytes that are no certificate", DRAVIK_SOURCE_BYTES, "hello", DRAVIK_E_CERT_DECODE},
      {"unknown source", 3, "hello", DRAVIK_E_PARAMETER},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DK_GetCertificateContext(c.source, c.name.c_str(), static_cast<uint32_t>(c.name.size())), nullptr)
        << c.what;
    EXPECT_EQ(GetDravikLastError(), c.expected) << c.what;
  }
  EXPECT_EQ(DK_GetCertificateContext(DRAVIK_SOURCE_BYTES, nullptr, 0), nullptr);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_NULL_PARAM);
}

}  // namespace
}  // namespace dravik_test
