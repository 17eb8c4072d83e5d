// CMC messages and revocation requests with the real library, checked by
// openssl; the process-wide flags they change for the call; the shared
// secret kept out of the log.
#include "ApiFixture.h"

#include "../platform/dravik/openssl_cli.h"
#include "../platform/dravik/pki.h"

namespace velon_test {
namespace {

using dravik_test::KeyKind;
using dravik_test::Pki;

const char* const kSmartKey = "pkcs110:\\smarttoken\\work";

class Cmc : public ApiTest {
protected:
    void SetUp() override
    {
        ApiTest::SetUp();
        container(dir.file("user"), Pki::get().user(KeyKind::Gost256));
        container(dir.file("officer"), Pki::get().user(KeyKind::Gost512));
        ASSERT_EQ(0, DravikTest_InsertToken("pkcs110:\\smarttoken", "Smart", "1", "slot", ""));
        container(kSmartKey, Pki::get().user(KeyKind::Gost256));
        dir.write("ca.pem", Pki::get().ca().certPem());
        initialise();
        DravikTest_JournalClear();
    }

    static void container(const std::string& where, const dravik_test::Identity& who)
    {
        const std::string pem = who.keyPem();
        ASSERT_EQ(0, DravikTest_CreateContainer(where.c_str(), ""));
        ASSERT_EQ(0, DravikTest_StoreKey(where.c_str(), "", pem.data(), static_cast<uint32_t>(pem.size())));
    }

    // openssl verifies a signed message against the test CA; its structure otherwise.
    dravik_test::CliResult openssl(const std::string& message, bool verify, const char* form)
    {
        dir.write("message", message);
        std::vector<std::string> args = {"cms", "-inform", form, "-in", dir.file("message")};
        if (verify)
            args.insert(args.end(), {"-verify", "-binary", "-CAfile", dir.file("ca.pem"), "-out", dir.file("content")});
        else
            args.insert(args.end(), {"-cmsout", "-print"});
        return dravik_test::runOpenssl(dir.path().string(), args);
    }

    static uint32_t flagsOf(int (*get)(uint32_t*))
    {
        uint32_t flags = 0;
        get(&flags);
        return flags;
    }
};

TEST_F(Cmc, RequestIsSignedAsAFullPkiRequest)
{
    const struct {
        const char* key;
        bool session;       // a SmartToken session saved earlier flags
        const char* fails;  // a library function made to fail, or null
        uint32_t signedWith;
    } cases[] = {{"user", false, nullptr, 0x200},
                 {kSmartKey, false, nullptr, 0x204},
                 {kSmartKey, true, nullptr, 0x104},
                 {kSmartKey, false, "SetSignEncapsulatedContentType", 0},
                 {kSmartKey, false, "SignBufferEx", 0}};
    const std::string request = Pki::get().requestPem();
    SetPKCS7Flags(0x200);
    for (const auto& c : cases) {
        DravikTest_JournalClear();
        api->pkcs7_flags_saved = c.session;
        api->saved_pkcs7_flags = 0x100;
        if (c.fails)
            DravikTest_ForceResult(c.fails, 1, DRAVIK_E_PARAMETER);
        const std::string key = std::string(c.key) == kSmartKey ? kSmartKey : dir.file(c.key);
        const Outcome message = call("getCMC", {request, key, Pki::get().user(KeyKind::Gost256).certPem()});
        EXPECT_EQ(0x200u, flagsOf(&GetPKCS7Flags)) << "the flags are put back";
        if (c.fails) {
            EXPECT_EQ("error: Specified parameter was not found", message.text());
            continue;
        }
        ASSERT_TRUE(message.ok) << message.error;
        EXPECT_EQ(c.signedWith, journal("SignBufferEx")[0].pkcs7Flags);
        const dravik_test::CliResult printed = openssl(message.value.cast<std::string>(), false, "PEM");
        EXPECT_NE(std::string::npos, printed.output.find("eContentType: id-cct-PKIData")) << printed.output;
        const dravik_test::CliResult verified = openssl(message.value.cast<std::string>(), true, "PEM");
        EXPECT_EQ(0, verified.exitCode) << verified.output;
    }
}

struct RevocationCase {
    const char* name;
    const char* revoked;  // null for the user's certificate
    int code;
    const char* text;
    const char* secret;
    const char* comment;
    const char* keyPath;  // in the test folder, or the SmartToken path
    const char* signCert;  // "officer", "junk" or ""
    bool flag;
    const char* page;  // "signed", "secret" or the error
    uint32_t requestFlags;
    const char* arguments;  // of MakeRevocationRequest from its text on; the error line for a failure
};

class Revocation : public Cmc, public ::testing::WithParamInterface<RevocationCase> {};

TEST_P(Revocation, SignedOrWithASharedSecret)
{
    const RevocationCase& c = GetParam();
    std::string signCert = c.signCert;
    if (signCert == "officer")
        signCert = Pki::get().user(KeyKind::Gost512).certPem();
    const std::string keyPath = std::string(c.keyPath) == kSmartKey ? kSmartKey : dir.file(c.keyPath);
    const std::string revoked = c.revoked ? c.revoked : Pki::get().user(KeyKind::Gost256).certPem();
    SetCertificateRequestFlags(0x106);
    const Outcome outcome =
        call("makeRevocationRequest", {revoked, c.code, c.text, c.secret, c.comment, keyPath, signCert, c.flag});
    const std::string page = c.page;
    EXPECT_EQ(0x106u, flagsOf(&GetCertificateRequestFlags)) << "the flags are put back";
    if (page != "signed" && page != "secret") {
        EXPECT_EQ(page, outcome.error);
        EXPECT_EQ(std::vector<std::string>{c.arguments}, logged("ERROR", "VelonAPI::makeRevocationRequest"));
        return;
    }
    ASSERT_TRUE(outcome.ok) << outcome.error;
    const auto made = journal("MakeRevocationRequest");
    ASSERT_EQ(1u, made.size());
    EXPECT_EQ(c.requestFlags, made[0].requestFlags);
    const std::string arguments = made[0].arguments;
    EXPECT_NE(std::string::npos, arguments.find(c.arguments)) << arguments;
    EXPECT_EQ(page == "secret" ? 0u : 1u, journal("AddPSEPrivateKeyFromBufferEx").size());

    const std::string message = page == "secret" ? api->base64_to_bin(outcome.value.cast<std::string>())
                                                 : outcome.value.cast<std::string>();
    const dravik_test::CliResult printed = openssl(message, false, page == "secret" ? "DER" : "PEM");
    EXPECT_NE(std::string::npos, printed.output.find("eContentType: id-cct-PKIData")) << printed.output;
    if (page == "signed") {
        const dravik_test::CliResult verified = openssl(message, true, "PEM");
        EXPECT_EQ(0, verified.exitCode) << verified.output;
    }
    for (const test::LogLine& line : log->lines())
        EXPECT_EQ(std::string::npos, line.message.find("S3cret")) << line.function;
}

INSTANTIATE_TEST_SUITE_P(
    Requests, Revocation,
    ::testing::Values(
        RevocationCase{"own_key", nullptr, 1, "Key compromise", "", "Lost laptop", "user", "", false, "signed", 0x106,
                       "text=set, secret=NULL, comment=set, signer=NULL"},
        RevocationCase{"officer", nullptr, 5, "", "", "", "officer", "officer", true, "signed", 0x126,
                       "text=NULL, secret=NULL, comment=NULL, signer=set"},
        RevocationCase{"shared_secret", nullptr, 0, "", "S3cret", "Please", "none", "junk", false, "secret", 0x106,
                       "text=NULL, secret=***, comment=set, signer=NULL"},
        RevocationCase{"smarttoken", nullptr, 0, "", "S3cret", "", kSmartKey, "", true, "secret", 0x166,
                       "secret=***, comment=NULL"},
        RevocationCase{"unused_reason", nullptr, 7, "", "S3cret", "", "none", "", false,
                       "Specified parameter was not found", 0, "Dravik::MakeRevocationRequest: Error 207"},
        RevocationCase{"revoked_unreadable", "garbage", 1, "", "s", "", "none", "", true, "Certificate decoding error",
                       0, "Dravik::DK_GetCertificateContext: Error 186"},
        RevocationCase{"signer_unreadable", nullptr, 1, "", "", "", "officer", "junk", false,
                       "Certificate decoding error", 0, "Dravik::DK_GetCertificateContext: Error 186"},
        RevocationCase{"no_container", nullptr, 1, "", "", "", "none", "", false,
                       "Initialization error of CIPF 'Tavrel 3.3'", 0, "Dravik::AddPSEPrivateKeyFromBufferEx: Error 169"}),
    [](const ::testing::TestParamInfo<RevocationCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velon_test
