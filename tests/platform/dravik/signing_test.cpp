// Signing: CMS SignedData from GOST R 34.10-2012 (256, 512) and RSA keys,
// attached and detached, checked by openssl's own verifier and by reading
// the structure back.
#include <openssl/pem.h>
#include <openssl/cms.h>

#include <thread>

#include "fixture.h"
#include "openssl_cli.h"
#include "pki.h"

namespace dravik_test {
namespace {

std::string base64Decoded(const std::string& text) {
  std::string bytes(text.size(), '\0');
  int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(&bytes[0]),
                               reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
  bytes.resize(static_cast<size_t>(length));
  size_t padding = text.size() - text.find_last_not_of('=') - 1;
  bytes.resize(bytes.size() - padding);
  return bytes;
}

class Signing : public DravikFixture {
 protected:
  // A container holding the identity's key; returns its path.
  std::string containerFor(const Identity& who, const std::string& name = "keys") {
    std::string where = pathText(name);
    makeContainer(where, "", who.keyPem());
    return where;
  }

  // Loads the key, signs data and hands back the output; fails the test on
  // any non-zero code.
  std::string sign(const Identity& who, const std::string& container, const std::string& data, int mode) {
    std::string cert = who.certPem();
    uint32_t length = static_cast<uint32_t>(cert.size());
    EXPECT_EQ(AddPSEPrivateKeyFromBufferEx(container.c_str(), nullptr, cert.data(), length, 0), 0);
    DravikSignContext* context = GetSignCTX();
    EXPECT_NE(context, nullptr);
    EXPECT_EQ(AddSigner(context, DRAVIK_SOURCE_BYTES, cert.data(), &length), 0);
    char* output = nullptr;
    uint32_t outputLength = 0;
    EXPECT_EQ(SignBufferEx(context, data.data(), static_cast<uint32_t>(data.size()), &output, &outputLength, mode), 0);
    FreeSignCTX(context);
    return takeBuffer(output, outputLength);
  }

  // The signature as DER, whatever the output format was.
  static std::string der(const std::string& signature, int format) {
    if (format == DRAVIK_FORMAT_DER) return signature;
    if (format == DRAVIK_FORMAT_BASE64) return base64Decoded(signature);
    BIO* bio = BIO_new_mem_buf(signature.data(), static_cast<int>(signature.size()));
    CMS_ContentInfo* cms = PEM_read_bio_CMS(bio, nullptr, nullptr, nullptr);
    BIO_free(bio);
    unsigned char* bytes = nullptr;
    int length = cms ? i2d_CMS_ContentInfo(cms, &bytes) : 0;
    std::string result(reinterpret_cast<char*>(bytes), static_cast<size_t>(length > 0 ? length : 0));
    OPENSSL_free(bytes);
    CMS_ContentInfo_free(cms);
    return result;
  }

  static std::shared_ptr<CMS_ContentInfo> parse(const std::string& derBytes) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(derBytes.data());
    return std::shared_ptr<CMS_ContentInfo>(d2i_CMS_ContentInfo(nullptr, &p, static_cast<long>(derBytes.size())),
                                            CMS_ContentInfo_free);
  }

  // openssl cms -verify against the test CA; the recovered content in *content.
  CliResult opensslVerify(const std::string& signatureDer, const std::string& data, bool detached,
                          std::string* content, const std::string& extraCertPem = "") {
    writeFile(path("sig.der"), signatureDer);
    writeFile(path("ca.pem"), Pki::get().ca().certPem());
    writeFile(path("data.bin"), data);
    std::vector<std::string> args = {"cms", "-verify", "-binary", "-inform", "DER", "-in", pathText("sig.der"),
                                     "-CAfile", pathText("ca.pem"), "-out", pathText("out.bin")};
    if (detached) args.insert(args.end(), {"-content", pathText("data.bin")});
    if (!extraCertPem.empty()) {
      writeFile(path("signer.pem"), extraCertPem);
      args.insert(args.end(), {"-certfile", pathText("signer.pem")});
    }
    CliResult result = runOpenssl(home(), args);
    *content = readFile(path("out.bin"));
    return result;
  }
};

struct OpensslCase {
  const char* name;
  KeyKind kind;
  int mode;
  int format;
  int digestNid;
};

void PrintTo(const OpensslCase& c, std::ostream* out) { *out << c.name; }

class SigningVerifiedByOpenssl : public Signing, public ::testing::WithParamInterface<OpensslCase> {};

TEST_P(SigningVerifiedByOpenssl, OpensslAcceptsTheSignature) {
  const OpensslCase& c = GetParam();
  const Identity& signer = Pki::get().user(c.kind);
  std::string where = containerFor(signer);
  ASSERT_EQ(SetOutputFormat(c.format), 0);
  std::string data = std::string("Signed text \xD0\x9F\x00 with a zero byte", 31);

  std::string signature = sign(signer, where, data, c.mode);
  ASSERT_FALSE(signature.empty());
  if (c.format == DRAVIK_FORMAT_PEM) {
    EXPECT_EQ(signature.rfind("-----BEGIN CMS-----", 0), 0u);
  }
  std::string bytes = der(signature, c.format);
  std::shared_ptr<CMS_ContentInfo> cms = parse(bytes);
  ASSERT_TRUE(cms);
  EXPECT_EQ(CMS_is_detached(cms.get()), c.mode == DRAVIK_SIGN_DETACHED ? 1 : 0);
  STACK_OF(CMS_SignerInfo)* signers = CMS_get0_SignerInfos(cms.get());
  ASSERT_EQ(sk_CMS_SignerInfo_num(signers), 1);
  X509_ALGOR* digest = nullptr;
  CMS_SignerInfo_get0_algs(sk_CMS_SignerInfo_value(signers, 0), nullptr, nullptr, &digest, nullptr);
  const ASN1_OBJECT* digestOid = nullptr;
  X509_ALGOR_get0(&digestOid, nullptr, nullptr, digest);
  EXPECT_EQ(OBJ_obj2nid(digestOid), c.digestNid);

  std::string content;
  CliResult verified = opensslVerify(bytes, data, c.mode == DRAVIK_SIGN_DETACHED, &content);
  EXPECT_EQ(verified.exitCode, 0) << verified.output;
  EXPECT_EQ(content, data);
  if (c.mode == DRAVIK_SIGN_DETACHED) {
    CliResult tampered = opensslVerify(bytes, data + "!", true, &content);
    EXPECT_NE(tampered.exitCode, 0) << "the verifier must see other content";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SigningVerifiedByOpenssl,
    ::testing::Values(
        OpensslCase{"Gost256Attached", KeyKind::Gost256, DRAVIK_SIGN_ATTACHED, DRAVIK_FORMAT_PEM,
                    NID_id_GostR3411_2012_256},
        OpensslCase{"Gost256Detached", KeyKind::Gost256, DRAVIK_SIGN_DETACHED, DRAVIK_FORMAT_PEM,
                    NID_id_GostR3411_2012_256},
        OpensslCase{"Gost512Attached", KeyKind::Gost512, DRAVIK_SIGN_ATTACHED, DRAVIK_FORMAT_PEM,
                    NID_id_GostR3411_2012_512},
        OpensslCase{"Gost512Detached", KeyKind::Gost512, DRAVIK_SIGN_DETACHED, DRAVIK_FORMAT_PEM,
                    NID_id_GostR3411_2012_512},
        OpensslCase{"Gost256DerOutput", KeyKind::Gost256, DRAVIK_SIGN_ATTACHED, DRAVIK_FORMAT_DER,
                    NID_id_GostR3411_2012_256},
        OpensslCase{"Gost512Base64Output", KeyKind::Gost512, DRAVIK_SIGN_DETACHED, DRAVIK_FORMAT_BASE64,
                    NID_id_GostR3411_2012_512},
        OpensslCase{"RsaAttached", KeyKind::Rsa, DRAVIK_SIGN_ATTACHED, DRAVIK_FORMAT_PEM, NID_sha256}),
    [](const ::testing::TestParamInfo<OpensslCase>& info) { return std::string(info.param.name); });

// What the settings put into a signature.
struct SettingsCase {
  const char* name;
  int insertCertificate;
  int insertSigningTime;
  uint32_t pkcs7Flags;
  bool expectCertificate;
  bool expectSigningTime;
  bool expectCapabilities;
};

void PrintTo(const SettingsCase& c, std::ostream* out) { *out << c.name; }

class SigningSettings : public Signing, public ::testing::WithParamInterface<SettingsCase> {};

TEST_P(SigningSettings, SignatureCarriesWhatTheSettingsAsk) {
  const SettingsCase& c = GetParam();
  const Identity& signer = Pki::get().user(KeyKind::Gost256);
  std::string where = containerFor(signer);
  const int64_t stamp = 1700000000;  // 2023-11-14T22:13:20Z
  DravikTest_SetTime(stamp);
  ASSERT_EQ(InsertCertificateToSign(c.insertCertificate), 0);
  ASSERT_EQ(InsertSigningTimeToSign(c.insertSigningTime), 0);
  ASSERT_EQ(SetPKCS7Flags(c.pkcs7Flags), 0);
  ASSERT_EQ(SetOutputFormat(DRAVIK_FORMAT_DER), 0);

  std::string data = "content";
  std::string bytes = sign(signer, where, data, DRAVIK_SIGN_ATTACHED);
  std::shared_ptr<CMS_ContentInfo> cms = parse(bytes);
  ASSERT_TRUE(cms);
  STACK_OF(X509)* certs = CMS_get1_certs(cms.get());
  EXPECT_EQ(certs != nullptr && sk_X509_num(certs) == 1, c.expectCertificate);
  sk_X509_pop_free(certs, X509_free);
  CMS_SignerInfo* info = sk_CMS_SignerInfo_value(CMS_get0_SignerInfos(cms.get()), 0);
  int timeIndex = CMS_signed_get_attr_by_NID(info, NID_pkcs9_signingTime, -1);
  EXPECT_EQ(timeIndex >= 0, c.expectSigningTime);
  if (timeIndex >= 0) {
    X509_ATTRIBUTE* attribute = CMS_signed_get_attr(info, timeIndex);
    ASN1_TYPE* value = X509_ATTRIBUTE_get0_type(attribute, 0);
    ASN1_TIME* signedAt = value->value.utctime;
    int days = 0, seconds = 0;
    ASN1_TIME* expected = ASN1_TIME_set(nullptr, stamp);
    ASN1_TIME_diff(&days, &seconds, expected, signedAt);
    ASN1_TIME_free(expected);
    EXPECT_EQ(days, 0);
    EXPECT_EQ(seconds, 0);
  }
  EXPECT_EQ(CMS_signed_get_attr_by_NID(info, NID_SMIMECapabilities, -1) >= 0, c.expectCapabilities);

  // Without the certificate inside, openssl needs it given.
  DravikTest_SetTime(0);
  std::string content;
  CliResult verified =
      opensslVerify(bytes, data, false, &content, c.expectCertificate ? "" : signer.certPem());
  EXPECT_EQ(verified.exitCode, 0) << verified.output;
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SigningSettings,
    ::testing::Values(SettingsCase{"Defaults", 1, 1, 0, true, true, true},
                      SettingsCase{"WithoutCertificate", 0, 1, 0, false, true, true},
                      SettingsCase{"WithoutSignedAttributes", 1, 0, 0, true, false, false},
                      SettingsCase{"TokenFlagLeavesCapabilitiesOut", 1, 1, DRAVIK_PKCS7_NO_SMIME_CAPABILITIES, true,
                                   true, false},
                      SettingsCase{"UnknownFlagBitsHaveNoEffect", 1, 1, 0x10000, true, true, true}),
    [](const ::testing::TestParamInfo<SettingsCase>& info) { return std::string(info.param.name); });

// Failures of the signing calls, each with the code it must give.
TEST_F(Signing, RefusesToSignWithoutSignerKeyOrValidArguments) {
  const Identity& signer = Pki::get().user(KeyKind::Gost256);
  std::string cert = signer.certPem();
  uint32_t length = static_cast<uint32_t>(cert.size());
  DravikSignContext* empty = GetSignCTX();
  DravikSignContext* keyless = GetSignCTX();
  ASSERT_NE(empty, nullptr);
  ASSERT_EQ(AddSigner(keyless, DRAVIK_SOURCE_BYTES, cert.data(), &length), 0);  // no key loaded
  char* output = reinterpret_cast<char*>(&length);  // must be reset to NULL
  uint32_t outputLength = 99;
  const char data[] = "x";

  struct Case {
    const char* what;
    DravikSignContext* context;
    const void* data;
    uint32_t length;
    int mode;
    int expected;
  } cases[] = {
      {"no signer", empty, data, 1, DRAVIK_SIGN_ATTACHED, DRAVIK_E_NO_SIGNER},
      {"no private key", keyless, data, 1, DRAVIK_SIGN_ATTACHED, DRAVIK_E_KEY_NOT_LOADED},
      {"unknown mode", keyless, data, 1, 2, DRAVIK_E_PARAMETER},
      {"NULL data with a length", keyless, nullptr, 1, DRAVIK_SIGN_ATTACHED, DRAVIK_E_NULL_PARAM},
      {"NULL context", nullptr, data, 1, DRAVIK_SIGN_ATTACHED, DRAVIK_E_NULL_PARAM},
      {"released context", reinterpret_cast<DravikSignContext*>(&outputLength), data, 1, DRAVIK_SIGN_ATTACHED,
       DRAVIK_E_NULL_PARAM},
  };
  for (const Case& c : cases) {
    output = reinterpret_cast<char*>(&length);
    outputLength = 99;
    EXPECT_EQ(SignBufferEx(c.context, c.data, c.length, &output, &outputLength, c.mode), c.expected) << c.what;
    EXPECT_EQ(GetDravikLastError(), c.expected) << c.what;
    EXPECT_EQ(output, nullptr) << c.what;
    EXPECT_EQ(outputLength, 0u) << c.what;
  }
  EXPECT_EQ(SignBufferEx(keyless, data, 1, nullptr, &outputLength, 0), DRAVIK_E_NULL_PARAM);
  FreeSignCTX(empty);
  FreeSignCTX(keyless);
}

TEST_F(Signing, EmptyDataSignsAndAnotherSignerReplacesTheFirst) {
  const Identity& first = Pki::get().user(KeyKind::Gost256);
  const Identity& second = Pki::get().user(KeyKind::Gost512);
  std::string where1 = containerFor(first, "one");
  std::string where2 = containerFor(second, "two");
  std::string cert1 = first.certPem(), cert2 = second.certPem();
  uint32_t length1 = static_cast<uint32_t>(cert1.size()), length2 = static_cast<uint32_t>(cert2.size());
  ASSERT_EQ(AddPSEPrivateKeyFromBufferEx(where1.c_str(), nullptr, cert1.data(), length1, 0), 0);
  ASSERT_EQ(AddPSEPrivateKeyFromBufferEx(where2.c_str(), nullptr, cert2.data(), length2, 0), 0);
  DravikSignContext* context = GetSignCTX();
  ASSERT_EQ(AddSigner(context, DRAVIK_SOURCE_BYTES, cert1.data(), &length1), 0);
  ASSERT_EQ(AddSigner(context, DRAVIK_SOURCE_BYTES, cert2.data(), &length2), 0);
  ASSERT_EQ(SetOutputFormat(DRAVIK_FORMAT_DER), 0);
  char* output = nullptr;
  uint32_t outputLength = 0;
  ASSERT_EQ(SignBufferEx(context, nullptr, 0, &output, &outputLength, DRAVIK_SIGN_DETACHED), 0);
  std::string bytes = takeBuffer(output, outputLength);
  FreeSignCTX(context);

  std::string content;
  CliResult verified = opensslVerify(bytes, "", true, &content);
  EXPECT_EQ(verified.exitCode, 0) << verified.output;
  std::shared_ptr<CMS_ContentInfo> cms = parse(bytes);
  CMS_SignerInfo* info = sk_CMS_SignerInfo_value(CMS_get0_SignerInfos(cms.get()), 0);
  EXPECT_EQ(CMS_SignerInfo_cert_cmp(info, second.cert.get()), 0);
  EXPECT_NE(CMS_SignerInfo_cert_cmp(info, first.cert.get()), 0);
}

TEST_F(Signing, SignerNamedByFileSignsLikeOneGivenAsBytes) {
  const Identity& signer = Pki::get().user(KeyKind::Gost512);
  std::string where = containerFor(signer);
  writeFile(path("signer.der"), signer.certDer());
  std::string der = signer.certDer();
  ASSERT_EQ(AddPSEPrivateKeyFromBufferEx(where.c_str(), nullptr, der.data(), static_cast<uint32_t>(der.size()), 0),
            0);
  DravikSignContext* context = GetSignCTX();
  std::string file = pathText("signer.der");
  ASSERT_EQ(AddSigner(context, DRAVIK_SOURCE_NAME, file.c_str(), nullptr), 0);
  char* output = nullptr;
  uint32_t outputLength = 0;
  EXPECT_EQ(SignBufferEx(context, "abc", 3, &output, &outputLength, DRAVIK_SIGN_ATTACHED), 0);
  EXPECT_GT(outputLength, 0u);
  BufferFree(output);
  std::string missing = pathText("missing.der");
  EXPECT_EQ(AddSigner(context, DRAVIK_SOURCE_NAME, missing.c_str(), nullptr), DRAVIK_E_CERT_READ);
  EXPECT_EQ(AddSigner(context, 7, der.data(), nullptr), DRAVIK_E_PARAMETER);
  FreeSignCTX(context);
}

TEST_F(Signing, ThreadsSigningAtOnceEachGetAValidSignature) {
  const Identity& signer = Pki::get().user(KeyKind::Gost256);
  std::string where = containerFor(signer);
  std::string cert = signer.certPem();
  ASSERT_EQ(AddPSEPrivateKeyFromBufferEx(where.c_str(), nullptr, cert.data(), static_cast<uint32_t>(cert.size()), 0),
            0);
  ASSERT_EQ(SetOutputFormat(DRAVIK_FORMAT_DER), 0);
  std::vector<std::string> signatures(4);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < signatures.size(); ++i) {
    threads.emplace_back([&, i] {
      for (int round = 0; round < 5; ++round) {
        DravikSignContext* context = GetSignCTX();
        uint32_t length = static_cast<uint32_t>(cert.size());
        std::string data = "thread " + std::to_string(i);
        char* output = nullptr;
        uint32_t outputLength = 0;
        if (AddSigner(context, DRAVIK_SOURCE_BYTES, cert.data(), &length) == 0 &&
            SignBufferEx(context, data.data(), static_cast<uint32_t>(data.size()), &output, &outputLength,
                         DRAVIK_SIGN_DETACHED) == 0)
          signatures[i] = std::string(output, outputLength);
        BufferFree(output);
        FreeSignCTX(context);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t i = 0; i < signatures.size(); ++i) {
    ASSERT_FALSE(signatures[i].empty()) << i;
    std::string content;
    CliResult verified = opensslVerify(signatures[i], "thread " + std::to_string(i), true, &content);
    EXPECT_EQ(verified.exitCode, 0) << verified.output;
  }
}

TEST_F(Signing, InjectedFailuresLeaveNothingHeld) {
  const Identity& signer = Pki::get().user(KeyKind::Gost256);
  std::string where = containerFor(signer);
  std::string cert = signer.certPem();
  uint32_t length = static_cast<uint32_t>(cert.size());
  ASSERT_EQ(AddPSEPrivateKeyFromBufferEx(where.c_str(), nullptr, cert.data(), length, 0), 0);

  ASSERT_EQ(DravikTest_ForceResult("GetSignCTX", 1, DRAVIK_E_MEMORY), 0);
  EXPECT_EQ(GetSignCTX(), nullptr);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_MEMORY);

  DravikSignContext* context = GetSignCTX();
  ASSERT_NE(context, nullptr);
  ASSERT_EQ(DravikTest_ForceResult("AddSigner", 1, DRAVIK_E_VERIFY_UNTRUSTED_ISSUER), 0);
  EXPECT_EQ(AddSigner(context, DRAVIK_SOURCE_BYTES, cert.data(), &length), DRAVIK_E_VERIFY_UNTRUSTED_ISSUER);
  ASSERT_EQ(AddSigner(context, DRAVIK_SOURCE_BYTES, cert.data(), &length), 0);
  ASSERT_EQ(DravikTest_ForceResult("SignBufferEx", 1, DRAVIK_E_SIGN_FINAL), 0);
  char* output = nullptr;
  uint32_t outputLength = 0;
  EXPECT_EQ(SignBufferEx(context, "abc", 3, &output, &outputLength, 0), DRAVIK_E_SIGN_FINAL);
  BufferFree(output);
  FreeSignCTX(context);
  EXPECT_EQ(DravikTest_LiveContexts(), 0u);
  EXPECT_EQ(DravikTest_LiveBuffers(), 0u);
}

}  // namespace
}  // namespace dravik_test
