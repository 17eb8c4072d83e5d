// CMC messages: a certificate request as a signed Full PKI Request, and
// revocation requests signed with a key or carrying a shared secret, checked
// by the openssl tool.
#include "fixture.h"
#include "openssl_cli.h"
#include "pki.h"

namespace dravik_test {
namespace {

std::string derOfRequest(const std::string& pem) {
  char* der = nullptr;
  uint32_t length = 0;
  EXPECT_EQ(ConvertEncodedObject(DRAVIK_OBJECT_REQUEST, pem.data(), static_cast<uint32_t>(pem.size()),
                                 DRAVIK_FORMAT_DER, &der, &length, 0),
            0);
  return takeBuffer(der, length);
}

class Cmc : public DravikFixture {
 protected:
  void SetUp() override {
    DravikFixture::SetUp();
    ASSERT_EQ(SetOutputFormat(DRAVIK_FORMAT_DER), 0);
    makeContainer(pathText("keys"), "", user().keyPem());
    makeContainer(pathText("officer"), "", officer().keyPem());
    writeFile(path("ca.pem"), Pki::get().ca().certPem());
  }

  static const Identity& user() { return Pki::get().user(KeyKind::Gost256); }
  static const Identity& officer() { return Pki::get().user(KeyKind::Gost512); }

  int loadKey(const char* container, const Identity& who) {
    std::string cert = who.certPem();
    return AddPSEPrivateKeyFromBufferEx(pathText(container).c_str(), nullptr, cert.data(),
                                        static_cast<uint32_t>(cert.size()), 0);
  }

  // openssl's view of a CMS message in DER: its structure, and (verified
  // against the test CA) its content's.
  CliResult print(const std::string& message) {
    writeFile(path("message.der"), message);
    return runOpenssl(home(), {"cms", "-cmsout", "-print", "-inform", "DER", "-in", pathText("message.der")});
  }
  CliResult verify(const std::string& message) {
    writeFile(path("message.der"), message);
    CliResult result =
        runOpenssl(home(), {"cms", "-verify", "-binary", "-inform", "DER", "-in", pathText("message.der"), "-CAfile",
                            pathText("ca.pem"), "-out", pathText("content.der")});
    if (result.exitCode != 0) return result;
    return runOpenssl(home(), {"asn1parse", "-inform", "DER", "-in", pathText("content.der")});
  }
};

TEST_F(Cmc, RequestBecomesASignedFullPkiRequest) {
  const std::string pem = Pki::get().requestPem();
  const std::string der = derOfRequest(pem);
  struct Case {
    const char* what;
    std::string request;
    int signingTime;
  } cases[] = {{"PEM request", pem, 1}, {"DER request", der, 1}, {"without the signing time asked", pem, 0}};
  ASSERT_EQ(loadKey("keys", user()), 0);
  for (const Case& c : cases) {
    ASSERT_EQ(InsertSigningTimeToSign(c.signingTime), 0);
    std::string cert = user().certPem();
    uint32_t length = static_cast<uint32_t>(cert.size());
    DravikSignContext* context = GetSignCTX();
    ASSERT_EQ(AddSigner(context, DRAVIK_SOURCE_BYTES, cert.data(), &length), 0);
    ASSERT_EQ(SetSignEncapsulatedContentType(context, DRAVIK_CONTENT_CMC), 0);
    char* output = nullptr;
    uint32_t outputLength = 0;
    // The detached mode callers pass still carries the PKIData.
    ASSERT_EQ(SignBufferEx(context, c.request.data(), static_cast<uint32_t>(c.request.size()), &output, &outputLength,
                           DRAVIK_SIGN_DETACHED),
              0);
    FreeSignCTX(context);
    std::string message = takeBuffer(output, outputLength);

    CliResult structure = print(message);
    EXPECT_NE(structure.output.find("eContentType: id-cct-PKIData"), std::string::npos) << structure.output;
    EXPECT_NE(structure.output.find("object: signingTime"), std::string::npos) << c.what;
    CliResult content = verify(message);
    EXPECT_EQ(content.exitCode, 0) << c.what << content.output;
    EXPECT_NE(content.output.find("cont [ 0 ]"), std::string::npos) << content.output;
    EXPECT_NE(content.output.find("INTEGER           :01"), std::string::npos) << content.output;
    EXPECT_NE(readFile(path("content.der")).find(der), std::string::npos) << c.what;
  }
}

TEST_F(Cmc, ContentTypeAndDataAreChecked) {
  ASSERT_EQ(loadKey("keys", user()), 0);
  std::string cert = user().certPem();
  uint32_t length = static_cast<uint32_t>(cert.size());
  DravikSignContext* context = GetSignCTX();
  ASSERT_EQ(AddSigner(context, DRAVIK_SOURCE_BYTES, cert.data(), &length), 0);
  EXPECT_EQ(SetSignEncapsulatedContentType(context, 2), DRAVIK_E_PARAMETER);
  EXPECT_EQ(SetSignEncapsulatedContentType(nullptr, DRAVIK_CONTENT_CMC), DRAVIK_E_NULL_PARAM);
  ASSERT_EQ(SetSignEncapsulatedContentType(context, DRAVIK_CONTENT_CMC), 0);
  char* output = nullptr;
  uint32_t outputLength = 0;
  EXPECT_EQ(SignBufferEx(context, "not a request", 13, &output, &outputLength, DRAVIK_SIGN_ATTACHED),
            DRAVIK_E_REQUEST_DECODE);
  EXPECT_EQ(output, nullptr);
  ASSERT_EQ(SetSignEncapsulatedContentType(context, DRAVIK_CONTENT_DATA), 0);
  EXPECT_EQ(SignBufferEx(context, "plain data", 10, &output, &outputLength, DRAVIK_SIGN_ATTACHED), 0);
  BufferFree(output);
  FreeSignCTX(context);
}

struct RevocationCase {
  const char* name;
  int reason;
  const char* text;
  const char* secret;
  const char* comment;
  bool officerSigns;      // the officer's certificate as signer, else none
  const char* loadedKey;  // container whose key is loaded, or null
  int expected;
  std::vector<std::string> content;  // what asn1parse shows of the PKIData
};

void PrintTo(const RevocationCase& c, std::ostream* out) { *out << c.name; }

class Revocation : public Cmc, public ::testing::WithParamInterface<RevocationCase> {};

TEST_P(Revocation, RequestIsARevokeRequestControl) {
  const RevocationCase& c = GetParam();
  if (c.loadedKey) {
    ASSERT_EQ(loadKey(c.loadedKey, std::string(c.loadedKey) == "keys" ? user() : officer()), 0);
  }
  std::string revokedDer = user().certDer();
  std::string officerDer = officer().certDer();
  DravikCertificateContext* revoked =
      DK_GetCertificateContext(DRAVIK_SOURCE_BYTES, revokedDer.data(), static_cast<uint32_t>(revokedDer.size()));
  DravikCertificateContext* signer = c.officerSigns ? DK_GetCertificateContext(DRAVIK_SOURCE_BYTES, officerDer.data(),
                                                                               static_cast<uint32_t>(officerDer.size()))
                                                    : nullptr;
  char* output = nullptr;
  uint32_t outputLength = 0;
  EXPECT_EQ(MakeRevocationRequest(revoked, c.reason, c.text, c.secret, c.comment, signer, &output, &outputLength),
            c.expected);
  DK_FreeCertificateContext(revoked);
  DK_FreeCertificateContext(signer);
  std::string message = takeBuffer(output, outputLength);
  if (c.expected != 0) {
    EXPECT_TRUE(message.empty());
    return;
  }

  CliResult structure = print(message);
  EXPECT_NE(structure.output.find("eContentType: id-cct-PKIData"), std::string::npos) << structure.output;
  std::string parsed;
  if (c.secret) {
    // No signer: the PKIData lies in the message as it is.
    EXPECT_NE(structure.output.find("signerInfos:\n      <EMPTY>"), std::string::npos) << structure.output;
    parsed = message;
  } else {
    CliResult content = verify(message);
    EXPECT_EQ(content.exitCode, 0) << content.output;
    parsed = content.output;
  }
  std::string serial = user().serialHex();
  for (std::string expected : c.content) {
    if (expected == "serial") expected = "INTEGER           :" + serial;
    EXPECT_NE(parsed.find(expected), std::string::npos) << expected << "\n" << parsed;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, Revocation,
    ::testing::Values(
        RevocationCase{"SignedWithTheRevokedKey", 1, "Key compromise", nullptr, "Lost laptop", false, "keys", 0,
                       {"id-cmc-revokeRequest", "serial", "ENUMERATED        :01",
                        "UTF8STRING        :Key compromise\nLost laptop"}},
        RevocationCase{"SignedByAnOfficer", 5, nullptr, nullptr, nullptr, true, "officer", 0,
                       {"id-cmc-revokeRequest", "serial", "ENUMERATED        :05"}},
        RevocationCase{"SharedSecret", 0, nullptr, "S3cret-Phrase", "Please", false, nullptr, 0,
                       {"S3cret-Phrase", "Please", "\x06\x08\x2B\x06\x01\x05\x05\x07\x07\x11"}},
        RevocationCase{"UnusedReasonSeven", 7, nullptr, "s", nullptr, false, nullptr, DRAVIK_E_PARAMETER, {}},
        RevocationCase{"ReasonBeyondTen", 11, nullptr, "s", nullptr, false, nullptr, DRAVIK_E_PARAMETER, {}},
        RevocationCase{"CommentNotUtf8", 1, nullptr, "s", "\xC3(", false, nullptr, DRAVIK_E_PARAMETER, {}},
        RevocationCase{"KeyNotLoaded", 1, nullptr, nullptr, nullptr, false, nullptr, DRAVIK_E_KEY_NOT_LOADED, {}},
        RevocationCase{"OfficerKeyNotLoaded", 1, nullptr, nullptr, nullptr, true, "keys", DRAVIK_E_KEY_NOT_LOADED, {}}),
    [](const ::testing::TestParamInfo<RevocationCase>& info) { return std::string(info.param.name); });

TEST_F(Cmc, RevocationNeedsLiveContexts) {
  char* output = reinterpret_cast<char*>(1);
  uint32_t outputLength = 9;
  EXPECT_EQ(MakeRevocationRequest(nullptr, 1, nullptr, "s", nullptr, nullptr, &output, &outputLength),
            DRAVIK_E_NULL_PARAM);
  EXPECT_EQ(output, nullptr);
  EXPECT_EQ(outputLength, 0u);
  std::string der = user().certDer();
  DravikCertificateContext* context =
      DK_GetCertificateContext(DRAVIK_SOURCE_BYTES, der.data(), static_cast<uint32_t>(der.size()));
  DK_FreeCertificateContext(context);
  EXPECT_EQ(MakeRevocationRequest(context, 1, nullptr, "s", nullptr, nullptr, &output, &outputLength),
            DRAVIK_E_NULL_PARAM);
}

}  // namespace
}  // namespace dravik_test
