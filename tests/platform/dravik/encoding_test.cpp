// ConvertEncodedObject: requests, certificates and CRLs in DER, PEM and
// Base64 in, each asked format out, and the codes for what cannot be read.
#include <openssl/pem.h>

#include "fixture.h"
#include "pki.h"

namespace dravik_test {
namespace {

std::string base64Of(const std::string& der) {
  std::string text(4 * ((der.size() + 2) / 3) + 1, '\0');
  int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(&text[0]),
                               reinterpret_cast<const unsigned char*>(der.data()), static_cast<int>(der.size()));
  text.resize(static_cast<size_t>(length));
  return text;
}

// The body of a PEM text: Base64 with its line breaks.
std::string pemBody(const std::string& pem) {
  size_t start = pem.find('\n') + 1;
  size_t end = pem.find("-----END");
  return pem.substr(start, end - start);
}

std::string convert(int kind, const std::string& input, int format, int* code) {
  char* output = nullptr;
  uint32_t length = 0;
  *code = ConvertEncodedObject(kind, input.data(), static_cast<uint32_t>(input.size()), format, &output, &length, 0);
  return takeBuffer(output, length);
}

struct Material {
  std::string der;
  std::string pem;
  const char* pemLabel;
};

class Conversion : public DravikFixture {};

class Encoding : public DravikFixture, public ::testing::WithParamInterface<int> {
 protected:
  Material material(int kind) {
    Pki& pki = Pki::get();
    if (kind == DRAVIK_OBJECT_CERTIFICATE) return {pki.ca().certDer(), pki.ca().certPem(), "CERTIFICATE"};
    std::string pem = kind == DRAVIK_OBJECT_CRL ? pki.crlPem() : pki.requestPem();
    int code = 0;
    std::string der = convert(kind, pem, DRAVIK_FORMAT_DER, &code);
    EXPECT_EQ(code, 0);
    return {der, pem, kind == DRAVIK_OBJECT_CRL ? "X509 CRL" : "CERTIFICATE REQUEST"};
  }
};

TEST_P(Encoding, EveryInputFormRoundTripsThroughEveryOutputFormat) {
  int kind = GetParam();
  Material m = material(kind);
  ASSERT_FALSE(m.der.empty());
  struct Input {
    const char* form;
    std::string bytes;
  } inputs[] = {
      {"DER", m.der},
      {"PEM", m.pem},
      {"PEM ending in a zero byte", m.pem + std::string(1, '\0')},
      {"Base64", base64Of(m.der)},
      {"Base64 with line breaks", pemBody(m.pem)},
  };
  for (const Input& input : inputs) {
    int code = -1;
    std::string der = convert(kind, input.bytes, DRAVIK_FORMAT_DER, &code);
    EXPECT_EQ(code, 0) << input.form;
    EXPECT_EQ(der, m.der) << input.form;
    std::string pem = convert(kind, input.bytes, DRAVIK_FORMAT_PEM, &code);
    EXPECT_EQ(code, 0) << input.form;
    EXPECT_EQ(pem.rfind(std::string("-----BEGIN ") + m.pemLabel + "-----\n", 0), 0u) << input.form;
    EXPECT_EQ(pem.back(), '\n') << input.form;
    std::string base64 = convert(kind, input.bytes, DRAVIK_FORMAT_BASE64, &code);
    EXPECT_EQ(code, 0) << input.form;
    EXPECT_EQ(base64, base64Of(m.der)) << input.form;
    EXPECT_EQ(base64.find('\n'), std::string::npos) << input.form;
    // And back again from each output.
    for (const std::string& again : {pem, base64}) {
      EXPECT_EQ(convert(kind, again, DRAVIK_FORMAT_DER, &code), m.der) << input.form;
      EXPECT_EQ(code, 0) << input.form;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Encoding,
                         ::testing::Values(DRAVIK_OBJECT_REQUEST, DRAVIK_OBJECT_CERTIFICATE, DRAVIK_OBJECT_CRL),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(info.param == 1 ? "Request" : info.param == 2 ? "Certificate" : "Crl");
                         });

TEST_F(Conversion, FailuresGiveTheirCodes) {
  std::string cert = Pki::get().ca().certPem();
  std::string certDer = Pki::get().ca().certDer();
  struct Case {
    const char* what;
    int kind;
    std::string input;
    int format;
    int expected;
  } cases[] = {
      {"garbage as certificate", DRAVIK_OBJECT_CERTIFICATE, "garbage!", DRAVIK_FORMAT_PEM, DRAVIK_E_CERT_DECODE},
      {"garbage as request", DRAVIK_OBJECT_REQUEST, "garbage!", DRAVIK_FORMAT_PEM, DRAVIK_E_REQUEST_DECODE},
      {"garbage as CRL", DRAVIK_OBJECT_CRL, "garbage!", DRAVIK_FORMAT_PEM, DRAVIK_E_CRL_DECODE},
      {"a certificate read as a request", DRAVIK_OBJECT_REQUEST, cert, DRAVIK_FORMAT_DER, DRAVIK_E_REQUEST_DECODE},
      {"a certificate read as a CRL", DRAVIK_OBJECT_CRL, certDer, DRAVIK_FORMAT_DER, DRAVIK_E_CRL_DECODE},
      {"truncated DER", DRAVIK_OBJECT_CERTIFICATE, certDer.substr(0, certDer.size() / 2), DRAVIK_FORMAT_PEM,
       DRAVIK_E_CERT_DECODE},
      {"Base64 of a wrong length", DRAVIK_OBJECT_CERTIFICATE, "QUJD=", DRAVIK_FORMAT_PEM, DRAVIK_E_CERT_DECODE},
      {"empty input", DRAVIK_OBJECT_CERTIFICATE, "", DRAVIK_FORMAT_PEM, DRAVIK_E_CERT_DECODE},
      {"unknown kind", 9, cert, DRAVIK_FORMAT_PEM, DRAVIK_E_PARAMETER},
      {"unknown format", DRAVIK_OBJECT_CERTIFICATE, cert, 2, DRAVIK_E_PARAMETER},
  };
  for (const Case& c : cases) {
    int code = 0;
    std::string output = convert(c.kind, c.input, c.format, &code);
    EXPECT_EQ(code, c.expected) << c.what;
    EXPECT_EQ(GetDravikLastError(), c.expected) << c.what;
    EXPECT_TRUE(output.empty()) << c.what;
  }
  char* output = nullptr;
  uint32_t length = 0;
  EXPECT_EQ(ConvertEncodedObject(DRAVIK_OBJECT_CERTIFICATE, nullptr, 5, DRAVIK_FORMAT_PEM, &output, &length, 0),
            DRAVIK_E_NULL_PARAM);
  EXPECT_EQ(ConvertEncodedObject(DRAVIK_OBJECT_CERTIFICATE, cert.data(), 5, DRAVIK_FORMAT_PEM, nullptr, &length, 0),
            DRAVIK_E_NULL_PARAM);
  EXPECT_EQ(ConvertEncodedObject(DRAVIK_OBJECT_CERTIFICATE, cert.data(), 5, DRAVIK_FORMAT_PEM, &output, nullptr, 0),
            DRAVIK_E_NULL_PARAM);
}

// DER may end in any byte, white space and zero included; none of it may be
// taken for the end of a text.
TEST_F(Conversion, DerEndingInWhiteSpaceOrZeroStaysIntact) {
  Identity signer = Pki::get().user(KeyKind::Gost256);
  const Identity& ca = Pki::get().ca();
  const EVP_MD* md = EVP_get_digestbyname("md_gost12_256");
  std::string der;
  for (int attempt = 0; attempt < 5000; ++attempt) {
    // GOST signatures are randomised: each signing gives another last byte.
    ASSERT_GT(X509_sign(signer.cert.get(), ca.key.get(), md), 0);
    der = signer.certDer();
    unsigned char last = static_cast<unsigned char>(der.back());
    if (last == 0 || last == ' ' || (last >= 9 && last <= 13)) break;
  }
  unsigned char last = static_cast<unsigned char>(der.back());
  ASSERT_TRUE(last == 0 || last == ' ' || (last >= 9 && last <= 13));
  int code = -1;
  EXPECT_EQ(convert(DRAVIK_OBJECT_CERTIFICATE, der, DRAVIK_FORMAT_DER, &code), der);
  EXPECT_EQ(code, 0);
  char* subject = GetCertificateSubjectBuffer(der.data(), static_cast<uint32_t>(der.size()));
  EXPECT_EQ(takeText(subject), "CN=User GOST 256,O=Orvanta Test,C=RU");
}

}  // namespace
}  // namespace dravik_test
