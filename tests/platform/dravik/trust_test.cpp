// Trust material and certificate checks: every verification flag against
// certificates in every state, through AddSigner as callers check them.
#include <sys/stat.h>

#include <fstream>

#include "fixture.h"
#include "pki.h"

namespace dravik_test {
namespace {

class Trust : public DravikFixture {
 protected:
  void loadCaAndCrl() {
    writeFile(path("ca.pem"), Pki::get().ca().certPem());
    writeFile(path("ca.crl"), Pki::get().crlPem());
    ASSERT_EQ(AddCAs(pathText("ca.pem").c_str()), 0);
    ASSERT_EQ(AddCRLs(pathText("ca.crl").c_str()), 0);
  }

  static int check(const Identity& who, uint32_t flags) {
    EXPECT_EQ(SetCertificateVerifyFlags(flags), 0);
    std::string der = who.certDer();
    uint32_t length = static_cast<uint32_t>(der.size());
    DravikSignContext* context = GetSignCTX();
    int result = AddSigner(context, DRAVIK_SOURCE_BYTES, der.data(), &length);
    FreeSignCTX(context);
    return result;
  }
};

enum class Who { User, Gost512User, Expired, NotYetValid, Revoked, Stranger, NoSigningUsage, CaItself };

const Identity& identity(Who who) {
  Pki& pki = Pki::get();
  switch (who) {
    case Who::User:
      return pki.user(KeyKind::Gost256);
    case Who::Gost512User:
      return pki.user(KeyKind::Gost512);
    case Who::Expired:
      return pki.expired();
    case Who::NotYetValid:
      return pki.notYetValid();
    case Who::Revoked:
      return pki.revoked();
    case Who::Stranger:
      return pki.stranger();
    case Who::NoSigningUsage:
      return pki.noSigningUsage();
    default:
      return pki.ca();
  }
}

struct VerifyCase {
  const char* name;
  Who who;
  uint32_t flags;
  int expected;
};

void PrintTo(const VerifyCase& c, std::ostream* out) { *out << c.name; }

class Verification : public Trust, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(Verification, FlagsDecideWhatIsChecked) {
  const VerifyCase& c = GetParam();
  loadCaAndCrl();
  EXPECT_EQ(check(identity(c.who), c.flags), c.expected);
  EXPECT_EQ(GetDravikLastError(), c.expected);
}

constexpr uint32_t kTime = DRAVIK_VERIFY_TIME;
constexpr uint32_t kChain = DRAVIK_VERIFY_CHAIN;
constexpr uint32_t kFull = DRAVIK_VERIFY_CHAIN | DRAVIK_VERIFY_CRL | DRAVIK_VERIFY_CRL_ALL;           // 0xE0
constexpr uint32_t kLight = DRAVIK_VERIFY_PARTIAL_CHAIN | DRAVIK_VERIFY_KEY_USAGE;                    // 0x300
static_assert(kFull == 0xE0 && kLight == 0x300, "the sets the plug-in passes");

INSTANTIATE_TEST_SUITE_P(
    Certificates, Verification,
    ::testing::Values(
        VerifyCase{"ValidWithoutChecks", Who::User, 0, 0}, VerifyCase{"ValidTime", Who::User, kTime, 0},
        VerifyCase{"ValidChain", Who::User, kChain, 0}, VerifyCase{"ValidFull", Who::User, kFull, 0},
        VerifyCase{"ValidLight", Who::Gost512User, kLight, 0},
        VerifyCase{"ExpiredUnchecked", Who::Expired, 0, 0},
        VerifyCase{"ExpiredTime", Who::Expired, kTime, DRAVIK_E_VERIFY_EXPIRED},
        VerifyCase{"ExpiredChain", Who::Expired, kChain, DRAVIK_E_VERIFY_EXPIRED},
        VerifyCase{"ExpiredFull", Who::Expired, kFull, DRAVIK_E_VERIFY_EXPIRED},
        VerifyCase{"ExpiredLight", Who::Expired, kLight, DRAVIK_E_VERIFY_EXPIRED},
        VerifyCase{"NotYetValidTime", Who::NotYetValid, kTime, DRAVIK_E_VERIFY_NOT_YET_VALID},
        VerifyCase{"NotYetValidChain", Who::NotYetValid, kChain, DRAVIK_E_VERIFY_NOT_YET_VALID},
        VerifyCase{"RevokedWithoutCrlCheck", Who::Revoked, kChain, 0},
        VerifyCase{"RevokedCrl", Who::Revoked, DRAVIK_VERIFY_CRL, DRAVIK_E_VERIFY_REVOKED},
        VerifyCase{"RevokedFull", Who::Revoked, kFull, DRAVIK_E_VERIFY_REVOKED},
        VerifyCase{"RevokedLight", Who::Revoked, kLight, 0},
        VerifyCase{"UntrustedTime", Who::Stranger, kTime, 0},
        VerifyCase{"UntrustedChain", Who::Stranger, kChain, DRAVIK_E_VERIFY_UNTRUSTED_ISSUER},
        VerifyCase{"UntrustedFull", Who::Stranger, kFull, DRAVIK_E_VERIFY_UNTRUSTED_ISSUER},
        VerifyCase{"UntrustedLight", Who::Stranger, kLight, DRAVIK_E_VERIFY_UNTRUSTED_ISSUER},
        VerifyCase{"NoSigningUsageChain", Who::NoSigningUsage, kChain, 0},
        VerifyCase{"NoSigningUsageKeyUsage", Who::NoSigningUsage, DRAVIK_VERIFY_KEY_USAGE, DRAVIK_E_VERIFY_KEY_USAGE},
        VerifyCase{"TrustedCaItself", Who::CaItself, kFull, 0}),
    [](const ::testing::TestParamInfo<VerifyCase>& info) { return std::string(info.param.name); });

TEST_F(Trust, UntrustedSelfSignedCertificateIsNamedSo) {
  loadCaAndCrl();
  CertificateShape shape;
  shape.commonName = "Lonely";
  Identity lonely = makeIdentity(shape, nullptr);
  EXPECT_EQ(check(lonely, kChain), DRAVIK_E_VERIFY_SELF_SIGNED);
}

TEST_F(Trust, CrlCheckWithoutAnyCrlReportsTheMissingList) {
  writeFile(path("ca.pem"), Pki::get().ca().certPem());
  ASSERT_EQ(AddCAs(pathText("ca.pem").c_str()), 0);
  EXPECT_EQ(check(Pki::get().user(KeyKind::Gost256), DRAVIK_VERIFY_CRL), DRAVIK_E_VERIFY_NO_CRL);
  EXPECT_EQ(check(Pki::get().user(KeyKind::Gost256), kChain), 0);
}

TEST_F(Trust, VerificationTimeComesFromTheTestClock) {
  loadCaAndCrl();
  const Identity& user = Pki::get().user(KeyKind::Gost256);
  DravikTest_SetTime(static_cast<int64_t>(std::time(nullptr)) + 400 * 86400L);
  EXPECT_EQ(check(user, kTime), DRAVIK_E_VERIFY_EXPIRED);
  DravikTest_SetTime(static_cast<int64_t>(std::time(nullptr)) - 10 * 86400L);
  EXPECT_EQ(check(user, kTime), DRAVIK_E_VERIFY_NOT_YET_VALID);
  DravikTest_SetTime(0);
  EXPECT_EQ(check(user, kTime), 0);
}

TEST_F(Trust, IntermediatesComeFromUntrustedCertificatesOrEndAPartialChain) {
  CertificateShape subShape;
  subShape.commonName = "Sub CA";
  subShape.ca = true;
  subShape.keyUsage = "critical,keyCertSign,cRLSign";
  Identity sub = makeIdentity(subShape, &Pki::get().ca());
  CertificateShape leafShape;
  leafShape.commonName = "Leaf";
  leafShape.kind = KeyKind::Gost512;
  Identity leaf = makeIdentity(leafShape, &sub);
  writeFile(path("sub.pem"), sub.certPem());
  writeFile(path("root.pem"), Pki::get().ca().certPem());

  ASSERT_EQ(AddCAs(pathText("sub.pem").c_str()), 0);
  EXPECT_EQ(check(leaf, kChain), DRAVIK_E_VERIFY_NO_ISSUER);
  EXPECT_EQ(check(leaf, DRAVIK_VERIFY_PARTIAL_CHAIN), 0);
  DravikTest_Reset();
  ASSERT_EQ(PKCS7Init(home().c_str(), 0), 0);
  ASSERT_EQ(AddCAs(pathText("root.pem").c_str()), 0);
  EXPECT_EQ(check(leaf, kChain), DRAVIK_E_VERIFY_UNTRUSTED_ISSUER);
  ASSERT_EQ(AddCertificates(pathText("sub.pem").c_str()), 0);
  EXPECT_EQ(check(leaf, kChain), 0);
}

TEST_F(Trust, IssuerThatIsNoCaIsRefused) {
  const Identity& user = Pki::get().user(KeyKind::Gost256);
  CertificateShape shape;
  shape.commonName = "Issued By A User";
  Identity child = makeIdentity(shape, &user);
  writeFile(path("root.pem"), Pki::get().ca().certPem());
  writeFile(path("user.pem"), user.certPem());
  ASSERT_EQ(AddCAs(pathText("root.pem").c_str()), 0);
  ASSERT_EQ(AddCertificates(pathText("user.pem").c_str()), 0);
  EXPECT_EQ(check(child, kChain), DRAVIK_E_VERIFY_NOT_CA);
}

TEST_F(Trust, LoadingTakesFilesAndFoldersInEveryEncoding) {
  Pki& pki = Pki::get();
  std::string bundle = pki.ca().certPem() + pki.user(KeyKind::Gost256).certPem();
  std::string der = pki.ca().certDer();
  writeFile(path("bundle.pem"), bundle);
  writeFile(path("ca.der"), der);
  writeFile(path("ca.b64"), pki.ca().certPem().substr(28, pki.ca().certPem().size() - 28 - 26));
  writeFile(path("folder/a.pem"), pki.ca().certPem());
  writeFile(path("folder/readme.txt"), "not a certificate");
  writeFile(path("folder/list.crl"), pki.crlPem());
  writeFile(path("nothing/readme.txt"), "nothing here");
  writeFile(path("junk.pem"), "-----BEGIN CERTIFICATE-----\nAAAA\n-----END CERTIFICATE-----\n");

  struct Case {
    const char* what;
    int (*load)(const char*);
    std::string where;
    int expected;
  } cases[] = {
      {"a PEM bundle", AddCAs, pathText("bundle.pem"), 0},
      {"a DER file", AddCAs, pathText("ca.der"), 0},
      {"a Base64 file", AddCAs, pathText("ca.b64"), 0},
      {"a folder", AddCAs, pathText("folder"), 0},
      {"untrusted from a bundle", AddCertificates, pathText("bundle.pem"), 0},
      {"CRLs from a folder", AddCRLs, pathText("folder"), 0},
      {"a missing path", AddCAs, pathText("missing"), DRAVIK_E_CA_FILE_MISSING},
      {"missing untrusted", AddCertificates, pathText("missing"), DRAVIK_E_CA_FILE_MISSING},
      {"missing CRLs", AddCRLs, pathText("missing"), DRAVIK_E_CA_FILE_MISSING},
      {"a folder without certificates", AddCAs, pathText("nothing"), DRAVIK_E_CA_ADD},
      {"a broken PEM", AddCAs, pathText("junk.pem"), DRAVIK_E_CA_ADD},
      {"untrusted, none there", AddCertificates, pathText("nothing"), DRAVIK_E_CERT_READ},
      {"CRLs, none there", AddCRLs, pathText("bundle.pem"), DRAVIK_E_CRL_READ},
  };
  for (const Case& c : cases) EXPECT_EQ(c.load(c.where.c_str()), c.expected) << c.what;
  EXPECT_EQ(AddCAs(nullptr), DRAVIK_E_NULL_PARAM);
  EXPECT_EQ(AddCRLs(nullptr), DRAVIK_E_NULL_PARAM);
  EXPECT_EQ(check(pki.user(KeyKind::Gost256), kFull), 0);
}

// Only regular files are read, and only up to a size no certificate or CRL
// comes near: a FIFO would block for good, a device or a huge file would
// fill memory.
TEST_F(Trust, FilesThatAreNoRegularFilesOrTooLargeAreNotRead) {
  Pki& pki = Pki::get();
  ASSERT_EQ(::mkfifo(pathText("fifo.pem").c_str(), 0600), 0);
  {
    std::ofstream huge(path("huge.pem"), std::ios::binary);
    huge << pki.ca().certPem();
  }
  std::filesystem::resize_file(path("huge.pem"), (64u << 20) + 1);
  writeFile(path("mixed/a.pem"), pki.ca().certPem());
  ASSERT_EQ(::mkfifo(pathText("mixed/b.pem").c_str(), 0600), 0);
  writeFile(path("mixed/c.crl"), pki.crlPem());

  struct Case {
    const char* what;
    int (*load)(const char*);
    std::string where;
    int expected;
  } cases[] = {
      {"CAs from a FIFO", AddCAs, pathText("fifo.pem"), DRAVIK_E_CA_ADD},
      {"untrusted from a FIFO", AddCertificates, pathText("fifo.pem"), DRAVIK_E_CERT_READ},
      {"CRLs from a FIFO", AddCRLs, pathText("fifo.pem"), DRAVIK_E_CRL_READ},
      {"CAs from an endless device", AddCAs, "/dev/zero", DRAVIK_E_CA_ADD},
      {"CRLs from an endless device", AddCRLs, "/dev/urandom", DRAVIK_E_CRL_READ},
      {"CAs from a file beyond the bound", AddCAs, pathText("huge.pem"), DRAVIK_E_CA_ADD},
      {"CAs from a folder with a FIFO", AddCAs, pathText("mixed"), 0},
      {"CRLs from a folder with a FIFO", AddCRLs, pathText("mixed"), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(c.load(c.where.c_str()), c.expected) << c.what;

  DravikCertificateContext* context = DK_GetCertificateContext(DRAVIK_SOURCE_NAME, pathText("fifo.pem").c_str(), 0);
  EXPECT_EQ(context, nullptr);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_CERT_READ);
  DravikRequestContext* request = DK_GetRequestContext(DRAVIK_SOURCE_NAME, "/dev/zero", 0);
  EXPECT_EQ(request, nullptr);
  EXPECT_EQ(GetDravikLastError(), DRAVIK_E_REQUEST_READ);
  std::string cert = pki.user(KeyKind::Gost256).certPem();
  EXPECT_EQ(AddPSEPrivateKeyFromBufferEx(pathText("fifo.pem").c_str(), nullptr, cert.data(),
                                         static_cast<uint32_t>(cert.size()), 0),
            DRAVIK_E_CONTAINER);
}

TEST_F(Trust, TrustMaterialEndsWithTheLastFinal) {
  loadCaAndCrl();
  ASSERT_EQ(PKCS7Init(nullptr, 0), 0);  // a second user of the library
  ASSERT_EQ(PKCS7Final(), 0);
  EXPECT_EQ(check(Pki::get().user(KeyKind::Gost256), kChain), 0);
  ASSERT_EQ(PKCS7Final(), 0);
  ASSERT_EQ(PKCS7Init(home().c_str(), 0), 0);
  EXPECT_EQ(check(Pki::get().user(KeyKind::Gost256), kChain), DRAVIK_E_VERIFY_UNTRUSTED_ISSUER);
}

}  // namespace
}  // namespace dravik_test
