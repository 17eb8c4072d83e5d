// Certificates: listing a folder, properties, reading and writing (files
// and tokens) and verification, with the real library.
#include "ApiFixture.h"

#include <boost/filesystem/operations.hpp>

#include "../platform/dravik/pki.h"

namespace velon_test {
namespace {

using dravik_test::KeyKind;
using dravik_test::Pki;

class Certificates : public ApiTest {
protected:
    void SetUp() override
    {
        ApiTest::SetUp();
        user = Pki::get().user(KeyKind::Gost256).certPem();
        initialise();
    }

    Outcome list(const std::string& folder, bool leaveOutCA, bool walk)
    {
        return call("getCertificates", {folder, leaveOutCA, walk});
    }

    static std::vector<std::string> texts(const Outcome& outcome)
    {
        std::vector<std::string> all;
        for (const PB::variant& v : outcome.value.cast<PB::VariantList>())
            all.push_back(v.cast<std::string>());
        return all;
    }

    std::string user;
};

TEST_F(Certificates, ListingKeepsCertificatesInWalkOrder)
{
    const std::string ca = Pki::get().ca().certPem();
    const std::string other = Pki::get().expired().certPem();
    put("certs/a.pem", user);
    put("certs/b.cer", Pki::get().ca().certDer());
    put("certs/notes.txt", "not a certificate");
    put("certs/sub/c.pem", other);
    const std::string folder = dir.file("certs");
    DravikTest_JournalClear();
    EXPECT_EQ((std::vector<std::string>{user, ca}), texts(list(folder, false, false)));
    EXPECT_EQ((std::vector<std::string>{user}), texts(list(folder, true, false)));
    EXPECT_EQ((std::vector<std::string>{user, other}), texts(list(folder, true, true)));
    EXPECT_TRUE(texts(list(dir.file("missing"), false, true)).empty());
    const auto walks = journal("CADB_by_dir");
    ASSERT_EQ(4u, walks.size());
    EXPECT_NE(std::string::npos, std::string(walks[0].arguments).find("flags=0x40"));
    EXPECT_NE(std::string::npos, std::string(walks[2].arguments).find("flags=0x41"));

    auto fresh = std::make_shared<VelonAPI>(plugin, host);
    bool rejected = false;
    fresh->getCertificates(folder, false, false).done(nullptr, [&](std::exception_ptr e) {
        rejected = test::messageOf(e) == "Initialisation error in initPlugin()";
    });
    EXPECT_TRUE(rejected);
}

struct PropertyCase {
    const char* property;
    const char* expected;  // "error: ..." for a failure
};

class Properties : public Certificates, public ::testing::WithParamInterface<PropertyCase> {};

TEST_P(Properties, OneLibraryCallEach)
{
    const PropertyCase& c = GetParam();
    std::string expected = c.expected;
    if (expected == "<serial>")
        expected = Pki::get().user(KeyKind::Gost256).serialHex();
    EXPECT_EQ(expected, call("getCertificateProperty", {user, c.property}).text());
}

INSTANTIATE_TEST_SUITE_P(Names, Properties,
                         ::testing::Values(PropertyCase{"subject", "CN=User GOST 256,O=Orvanta Test,C=RU"},
                                           PropertyCase{"ISSUER", "CN=Orvanta Test CA,O=Orvanta Test,C=RU"},
                                           PropertyCase{"SerialNumber", "<serial>"},
                                           PropertyCase{"version", "3"},
                                           PropertyCase{" subject", "error: No such certificate property"},
                                           PropertyCase{"", "error: No such certificate property"}));

TEST_F(Certificates, PropertiesOfWhatIsNoCertificate)
{
    EXPECT_EQ("error: Certificate decoding error", call("getCertificateProperty", {"garbage", "notafter"}).text());
    EXPECT_EQ("error: Certificate decoding error", call("getCertificateProperty", {"garbage", "version"}).text());
    EXPECT_EQ(40u, call("getCertificateProperty", {user, "thumbprint"}).text().size());
}

TEST_F(Certificates, WrittenToFilesAndReadBackAsPem)
{
    EXPECT_EQ("0", call("writeCertificate", {user, 7, dir.file("new/user.der"), "ASN.1"}).text());
    EXPECT_EQ(Pki::get().user(KeyKind::Gost256).certDer(), dir.read("new/user.der"));
    EXPECT_EQ(user, call("readCertificate", {dir.file("new/user.der")}).text());
    dir.write("old.pem", "old contents that are longer than the certificate" + std::string(2000, '.'));
    EXPECT_EQ("0", call("writeCertificate", {user, 0, dir.file("old.pem"), "Pem"}).text());
    EXPECT_EQ(user, dir.read("old.pem"));

    EXPECT_EQ("error: Wrong format of certificate. Only ASN.1 or PEM are accepted",
              call("writeCertificate", {user, 0, dir.file("x.cer"), "base64"}).text());
    EXPECT_FALSE(dir.exists("x.cer"));
    EXPECT_EQ("error: Certificate decoding error", call("writeCertificate", {"junk", 0, dir.file("x.cer"), "pem"}).text());
    EXPECT_EQ("error: Failed to open file", call("writeCertificate", {user, 0, dir.file("a/b/c.cer"), "pem"}).text());
    dir.write("plain.txt", "text");
    EXPECT_EQ("error: Certificate decoding error", call("readCertificate", {dir.file("plain.txt")}).text());
    EXPECT_EQ(std::vector<std::string>{"Dravik::DK_GetCertificateContext: Error 186"},
              logged("ERROR", "VelonAPI::readCertificate"));
}

TEST_F(Certificates, WrittenToTokensThroughATemporaryFileThatDoesNotStay)
{
    put("tmp/.keep", "");
    ::setenv("TMPDIR", dir.file("tmp").c_str(), 1);
    ASSERT_EQ(0, DravikTest_InsertToken("etoken0:", "Work", "0001", "slot 0", ""));
    // On a token the format is never looked at.
    EXPECT_EQ("0", call("writeCertificate", {user, 0, "etoken0:", "bogus"}).text());
    EXPECT_EQ("error: File with this name already exists", call("writeCertificate", {user, 0, "etoken0:", ""}).text());
    EXPECT_EQ("0", call("writeCertificate", {user, 1, "etoken0:", ""}).text());
    EXPECT_EQ("error: Certificate decoding error", call("writeCertificate", {"junk", 1, "etoken0:", ""}).text());
    const auto left = std::distance(boost::filesystem::directory_iterator(dir.file("tmp")),
                                    boost::filesystem::directory_iterator());
    EXPECT_EQ(1, left) << "only .keep remains";
    ::unsetenv("TMPDIR");
}

// Without the folder for temporary files, or a file in it, nothing is
// converted or copied to the token.
TEST_F(Certificates, TokenWritesNeedATemporaryFile)
{
    ASSERT_EQ(0, DravikTest_InsertToken("etoken0:", "Work", "0001", "slot 0", ""));
    const struct {
        const char* what;
        std::string folder;
        const char* text;
    } cases[] = {
        {"folder name longer than the buffer", "/" + std::string(300, 'x'),
         "Failed to get path for directory of temporary files"},
        {"folder that does not exist", dir.file("missing"), "Failed to create temporary file"},
    };
    for (const auto& c : cases) {
        ::setenv("TMPDIR", c.folder.c_str(), 1);
        log->clear();
        DravikTest_JournalClear();
        EXPECT_EQ(std::string("error: ") + c.text, call("writeCertificate", {user, 0, "etoken0:", ""}).text()) << c.what;
        EXPECT_EQ(std::vector<std::string>{c.text}, logged("ERROR", "VelonAPI::writeCertificateOnToken")) << c.what;
        EXPECT_TRUE(journal("ConvertEncodedObject").empty()) << c.what;
        EXPECT_TRUE(journal("CopyCertificate").empty()) << c.what;
    }
    ::unsetenv("TMPDIR");
}

// When the signer is refused and the flags cannot be written back either,
// the page learns of the write-back, whose failure changes later calls.
TEST_F(Certificates, VerificationWhoseFlagsCannotBeWrittenBack)
{
    SetCertificateVerifyFlags(0x1000);
    DravikTest_ForceResult("AddSigner", 1, 10);
    DravikTest_ForceResult("SetCertificateVerifyFlags", 2, DRAVIK_E_PARAMETER);
    EXPECT_EQ("error: Specified parameter was not found", call("verifyCertificate", {user, true}).text());
    EXPECT_EQ(std::vector<std::string>{"Dravik::SetCertificateVerifyFlags: Error 207"},
              logged("ERROR", "VelonAPI::verifyCertificate"));
    EXPECT_EQ(0u, DravikTest_LiveContexts());
    uint32_t flags = 0;
    GetCertificateVerifyFlags(&flags);
    EXPECT_EQ(0x10E0u, flags);
}

struct VerifyCase {
    const char* name;
    const dravik_test::Identity& (*who)();
    bool chain;
    bool der;
    const char* expected;
};

const dravik_test::Identity& userIdentity()
{
    return Pki::get().user(KeyKind::Gost256);
}
const dravik_test::Identity& revokedIdentity()
{
    return Pki::get().revoked();
}
const dravik_test::Identity& expiredIdentity()
{
    return Pki::get().expired();
}

class Verification : public Certificates, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(Verification, WidensTheFlagsForTheCallOnly)
{
    const VerifyCase& c = GetParam();
    dir.write("ca.pem", Pki::get().ca().certPem());
    dir.write("crl.pem", Pki::get().crlPem());
    ASSERT_EQ(0, AddCAs(dir.file("ca.pem").c_str()));
    ASSERT_EQ(0, AddCRLs(dir.file("crl.pem").c_str()));
    SetCertificateVerifyFlags(0x1000);
    DravikTest_JournalClear();
    const std::string certificate = c.der ? c.who().certDer() : c.who().certPem();
    EXPECT_EQ(c.expected, call("verifyCertificate", {certificate, c.chain}).text());
    uint32_t flags = 0;
    GetCertificateVerifyFlags(&flags);
    EXPECT_EQ(0x1000u, flags);
    ASSERT_EQ(1u, journal("AddSigner").size());
    EXPECT_EQ(c.chain ? 0x10E0u : 0x1300u, journal("AddSigner")[0].verifyFlags);
}

INSTANTIATE_TEST_SUITE_P(
    Certificates, Verification,
    ::testing::Values(VerifyCase{"valid_chain", &userIdentity, true, false, "0"},
                      VerifyCase{"valid_partial", &userIdentity, false, false, "0"},
                      VerifyCase{"revoked", &revokedIdentity, true, false, "error: Certificate is canceled"},
                      VerifyCase{"expired", &expiredIdentity, false, false, "error: Certificate expired"},
                      // Binary data ends at its first zero byte.
                      VerifyCase{"der_cut_at_zero", &userIdentity, true, true, "error: Certificate decoding error"}),
    [](const ::testing::TestParamInfo<VerifyCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velon_test
