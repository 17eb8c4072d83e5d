// Signing in one call and in a session, with the real library: signatures
// that openssl accepts, the password dialog, SmartToken flags and every
// failure of building the signing context.
#include "ApiFixture.h"

#include <algorithm>
#include <cstring>

#include "../platform/dravik/openssl_cli.h"
#include "../platform/dravik/pki.h"

namespace velon_test {
namespace {

using dravik_test::KeyKind;
using dravik_test::Pki;

const char* const kSmartKey = "pkcs110:\\smarttoken\\work";

class Signing : public ApiTest {
protected:
    void SetUp() override
    {
        ApiTest::SetUp();
        certificate = Pki::get().user(KeyKind::Gost256).certPem();
        makeContainer(key, "pw");
        makeContainer(openKey, "");
        initialise();
        DravikTest_JournalClear();
    }

    void makeContainer(const std::string& where, const char* password)
    {
        const std::string pem = Pki::get().user(KeyKind::Gost256).keyPem();
        ASSERT_EQ(0, DravikTest_CreateContainer(where.c_str(), password));
        ASSERT_EQ(0, DravikTest_StoreKey(where.c_str(), password, pem.data(), static_cast<uint32_t>(pem.size())));
    }

    void makeSmartToken()
    {
        ASSERT_EQ(0, DravikTest_InsertToken("pkcs110:\\smarttoken", "Smart", "0001", "slot 0", ""));
        makeContainer(kSmartKey, "");
    }

    static uint32_t pkcs7Flags()
    {
        uint32_t flags = 0;
        GetPKCS7Flags(&flags);
        return flags;
    }

    // openssl's verdict on a PEM signature, and the content it recovers.
    dravik_test::CliResult verify(const std::string& signature, const std::string& data, bool detached,
                                  std::string* content)
    {
        dir.write("sig.pem", signature);
        dir.write("ca.pem", Pki::get().ca().certPem());
        dir.write("data.bin", data);
        std::vector<std::string> args = {"cms",     "-verify",         "-binary",          "-inform",
                                         "PEM",     "-in",             dir.file("sig.pem"), "-CAfile",
                                         dir.file("ca.pem"), "-out", dir.file("out.bin")};
        if (detached)
            args.insert(args.end(), {"-content", dir.file("data.bin")});
        dravik_test::CliResult result = dravik_test::runOpenssl(dir.path().string(), args);
        *content = dir.exists("out.bin") ? dir.read("out.bin") : "";
        return result;
    }

    std::string key = dir.file("user");
    std::string openKey = dir.file("open");
    std::string certificate;
};

struct OneShotCase {
    const char* name;
    const char* method;
    PB::variant content;  // the text, its Base64, or a file name in the test folder
    bool detached;
    std::string signedBytes;
};

class OneShot : public Signing, public ::testing::WithParamInterface<OneShotCase> {};

TEST_P(OneShot, SignatureVerifiesWithOpenssl)
{
    const OneShotCase& c = GetParam();
    dir.write("doc.txt", c.signedBytes);
    std::vector<std::wstring> asked;
    win32::desktop::ScopedHandler handler(answer_password(L"pw", &asked));
    PB::variant content = c.content;
    if (std::string(c.method) == "signFile")
        content = dir.file(c.content.cast<std::string>());
    PB::VariantList args{content, key, certificate};
    if (std::string(c.method) == "sign")
        args.push_back(c.detached);
    const Outcome signature = call(c.method, args);
    ASSERT_TRUE(signature.ok) << signature.error;
    EXPECT_EQ(0u, signature.value.cast<std::string>().find("-----BEGIN CMS-----"));

    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ(L"Enter password - Orvanta Signature Plugin|" + PB::utf8_to_wstring(key), asked[0]);
    const auto signs = journal("SignBufferEx");
    ASSERT_EQ(1u, signs.size());
    const std::string arguments = signs[0].arguments;
    EXPECT_NE(std::string::npos, arguments.find("<" + std::to_string(c.signedBytes.size()) + " bytes>"));
    EXPECT_NE(std::string::npos, arguments.find(c.detached ? "mode=1" : "mode=0"));

    std::string recovered;
    const dravik_test::CliResult verdict =
        verify(signature.value.cast<std::string>(), c.signedBytes, c.detached, &recovered);
    EXPECT_EQ(0, verdict.exitCode) << verdict.output;
    EXPECT_EQ(c.signedBytes, recovered);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, OneShot,
    ::testing::Values(OneShotCase{"text_attached", "sign", "abc", false, std::string("a\0b\0c\0", 6)},
                      OneShotCase{"text_detached", "sign", "\xd0\xaf", true, std::string("\x2f\x04", 2)},
                      OneShotCase{"binary", "signBinaryData", "AP8AEA==", true, std::string("\0\xff\0\x10", 4)},
                      OneShotCase{"file", "signFile", "doc.txt", true, std::string("file\0bytes", 10)}),
    [](const ::testing::TestParamInfo<OneShotCase>& info) { return std::string(info.param.name); });

TEST_F(Signing, CancelledPasswordGivesTheLibrarysText)
{
    win32::desktop::ScopedHandler handler(answer_password(nullptr));
    EXPECT_EQ("error: Process was aborted", call("sign", {"abc", key, certificate, false}).text());
    EXPECT_EQ(std::vector<std::string>{"Dravik::AddPSEPrivateKeyFromBufferEx: Error 184"},
              logged("ERROR", "VelonAPI::get_sign_ctx"));
}

struct ContextFailure {
    const char* function;
    uint32_t nth;
    int code;
    const char* also;  // a second failure, of the flags' write-back; null for none
    const char* page;
    const char* logged;
    uint32_t flagsAfter;
};

class ContextFailures : public Signing, public ::testing::WithParamInterface<ContextFailure> {};

TEST_P(ContextFailures, ReleaseTheContextAndRestoreTheFlags)
{
    const ContextFailure& c = GetParam();
    SetCertificateVerifyFlags(0x1000);  // a bit that checks nothing
    DravikTest_ForceResult(c.function, c.nth, c.code);
    if (c.also)
        DravikTest_ForceResult(c.also, 2, DRAVIK_E_PARAMETER);
    EXPECT_EQ(std::string("error: ") + c.page, call("sign", {"abc", openKey, certificate, false}).text());
    EXPECT_EQ(std::vector<std::string>{c.logged}, logged("ERROR", "VelonAPI::get_sign_ctx"));
    uint32_t flags = 0;
    GetCertificateVerifyFlags(&flags);
    EXPECT_EQ(c.flagsAfter, flags);
    EXPECT_EQ(0u, DravikTest_LiveContexts());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ContextFailures,
    ::testing::Values(
        ContextFailure{"GetSignCTX", 1, 103, nullptr, "Memory allocation error", "Dravik::GetSignCTX: Error 103", 0x1000},
        ContextFailure{"AddPSEPrivateKeyFromBufferEx", 1, 169, nullptr, "Initialization error of CIPF 'Tavrel 3.3'",
                       "Dravik::AddPSEPrivateKeyFromBufferEx: Error 169", 0x1000},
        ContextFailure{"GetCertificateVerifyFlags", 1, 9999, nullptr, "Unknown error code",
                       "Dravik::GetCertificateVerifyFlags: Error 9999", 0x1000},
        ContextFailure{"SetCertificateVerifyFlags", 1, 207, nullptr, "Specified parameter was not found",
                       "Dravik::SetCertificateVerifyFlags: Error 207", 0x1000},
        ContextFailure{"AddSigner", 1, 10, nullptr, "Certificate expired", "Dravik::AddSigner: Error 10", 0x1000},
        ContextFailure{"SetCertificateVerifyFlags", 2, 207, nullptr, "Specified parameter was not found",
                       "Dravik::SetCertificateVerifyFlags: Error 207", 0x1008},
        // Both fail: the log names the write-back, the page learns why the signer was refused.
        ContextFailure{"AddSigner", 1, 10, "SetCertificateVerifyFlags", "Certificate expired",
                       "Dravik::SetCertificateVerifyFlags: Error 207", 0x1008}));

TEST_F(Signing, DataThatCannotBePreparedReleasesEverything)
{
    makeSmartToken();
    const uint32_t before = pkcs7Flags();
    EXPECT_EQ("error: Base-64 buffer size corruption", call("signBinaryData", {"Zm9", kSmartKey, certificate}).text());
    EXPECT_EQ("error: Failed to open file", call("signFile", {dir.file("none"), kSmartKey, certificate}).text());
    DravikTest_ForceResult("SignBufferEx", 1, 119);
    EXPECT_EQ("error: Digital signature finalization procedure error or encryption error",
              call("sign", {"abc", kSmartKey, certificate, true}).text());
    EXPECT_EQ(before, pkcs7Flags());
}

TEST_F(Signing, SmartTokenKeysSignWithTheFlagOnlyWhileTheySign)
{
    makeSmartToken();
    SetPKCS7Flags(0x100);
    ASSERT_TRUE(call("sign", {"abc", kSmartKey, certificate, true}).ok);
    ASSERT_TRUE(call("sign", {"abc", openKey, certificate, true}).ok);
    const auto signs = journal("SignBufferEx");
    ASSERT_EQ(2u, signs.size());
    EXPECT_EQ(0x104u, signs[0].pkcs7Flags);
    EXPECT_EQ(0x100u, signs[1].pkcs7Flags);
    EXPECT_EQ(1u, journal("GetPKCS7Flags").size()) << "other keys leave the flags alone";
    EXPECT_EQ(0x100u, pkcs7Flags());

    // A SmartToken session keeps the bit until it ends; one-shot calls meanwhile leave it on.
    ASSERT_TRUE(call("signInit", {kSmartKey, certificate}).ok);
    EXPECT_EQ(0x104u, pkcs7Flags());
    ASSERT_TRUE(call("sign", {"abc", kSmartKey, certificate, true}).ok);
    EXPECT_EQ(0x104u, pkcs7Flags());
    ASSERT_TRUE(call("signFinal").ok);
    EXPECT_EQ(0x100u, pkcs7Flags());
}

// A SmartToken key's flag calls failing: reading or setting the flags
// fails the call before anything is signed; putting them back failing drops
// the signature. Either way nothing the library handed out is held.
TEST_F(Signing, SmartTokenFlagCallsThatFail)
{
    makeSmartToken();
    const struct {
        const char* function;
        uint32_t nth;
        uint32_t flagsAfter;
        std::size_t signatures;
    } cases[] = {
        {"GetPKCS7Flags", 1, 0x100, 0},
        {"SetPKCS7Flags", 1, 0x100, 0},  // setting the bit
        {"SetPKCS7Flags", 2, 0x104, 1},  // putting the flags back
    };
    for (const auto& c : cases) {
        SetPKCS7Flags(0x100);
        log->clear();
        DravikTest_JournalClear();
        DravikTest_ForceResult(c.function, c.nth, DRAVIK_E_PARAMETER);
        EXPECT_EQ("error: Specified parameter was not found", call("sign", {"abc", kSmartKey, certificate, true}).text())
            << c.function << c.nth;
        EXPECT_EQ(std::vector<std::string>{std::string("Dravik::") + c.function + ": Error 207"},
                  logged("ERROR", "VelonAPI::sign"));
        EXPECT_EQ(c.flagsAfter, pkcs7Flags()) << c.function << c.nth;
        EXPECT_EQ(c.signatures, journal("SignBufferEx").size()) << c.function << c.nth;
        EXPECT_EQ(0u, DravikTest_LiveContexts());
        EXPECT_EQ(0u, DravikTest_LiveBuffers());
    }
}

// signFinal closes the session even when the flags cannot be written back,
// and tells the page so.
TEST_F(Signing, SessionClosesWhenItsFlagsCannotBeWrittenBack)
{
    makeSmartToken();
    SetPKCS7Flags(0x100);
    ASSERT_TRUE(call("signInit", {kSmartKey, certificate}).ok);
    DravikTest_ForceResult("SetPKCS7Flags", 1, DRAVIK_E_PARAMETER);
    EXPECT_EQ("error: Specified parameter was not found", call("signFinal").text());
    EXPECT_EQ(std::vector<std::string>{"Dravik::SetPKCS7Flags: Error 207"}, logged("ERROR", "VelonAPI::signFinal"));
    EXPECT_EQ(0u, DravikTest_LiveContexts());
    EXPECT_EQ("error: Signing context was not initialized yet", call("signInContext", {"abc", true}).text());
    EXPECT_EQ("error: Signing context was not initialized yet", call("signFinal").text());
    EXPECT_EQ(0x104u, pkcs7Flags());  // as the failed write-back left them
}

// A page that goes away with a SmartToken session open (no signFinal) puts
// the process's PKCS#7 flags back: another page's signatures go on without
// the session's bit.
TEST_F(Signing, APageGoneWithItsSmartTokenSessionOpenPutsTheFlagsBack)
{
    makeSmartToken();
    SetPKCS7Flags(0x100);
    auto other = std::static_pointer_cast<Velon>(getPluginFactory()->createPlugin("application/x-velon"));
    other->setHost(host);
    other->setReady();  // a second user of the library
    ASSERT_TRUE(call("signInit", {kSmartKey, certificate}).ok);
    EXPECT_EQ(0x104u, pkcs7Flags());

    plugin->shutdown();  // as the adapters end an instance: shutdown, then the last reference
    plugin.reset();
    api.reset();
    EXPECT_EQ(0x100u, pkcs7Flags());
    EXPECT_EQ(0u, DravikTest_LiveContexts());

    api = std::static_pointer_cast<VelonAPI>(other->getRootJSAPI());
    initialise();
    DravikTest_JournalClear();
    ASSERT_TRUE(call("sign", {"abc", openKey, certificate, true}).ok);
    const auto signs = journal("SignBufferEx");
    ASSERT_EQ(1u, signs.size());
    EXPECT_EQ(0x100u, signs[0].pkcs7Flags);
    plugin = other;
}

// One step of a session and what the page gets.
struct SessionStep {
    const char* method;  // or "gone": the page goes away without signFinal
    PB::VariantList args;
    const char* expected;  // the error, or "ok"
    uint32_t flagsAfter = 0x100;  // the process's PKCS#7 flags
    std::size_t page = 0;  // which page calls: 0 the first, others made on first use
};

TEST_F(Signing, SessionStates)
{
    makeSmartToken();
    SetPKCS7Flags(0x100);
    dir.write("doc.txt", "file bytes");
    const char* const notOpen = "Signing context was not initialized yet";
    const std::vector<SessionStep> steps = {
        {"signFinal", {}, notOpen},
        {"signInContext", {"abc", true}, notOpen},
        {"signFileInContext", {dir.file("doc.txt")}, notOpen},
        {"signInit", {openKey, certificate}, "ok"},
        {"signInit", {key, certificate}, "Signing context was already initialized"},
        {"signInContext", {"abc", false}, "ok"},
        {"signBinaryDataInContext", {"!!!"}, "Base-64 buffer size corruption"},
        {"signBinaryDataInContext", {"Zm9v"}, "ok"},
        {"signFileInContext", {dir.file("doc.txt")}, "ok"},
        {"signFinal", {}, "ok"},
        {"signFinal", {}, notOpen},
        {"signInit", {openKey, certificate}, "ok"},  // left open: the object's end releases it
        // SmartToken sessions of two pages overlap: the bit stays while
        // either is open, however the first one ends.
        {"signInit", {kSmartKey, certificate}, "ok", 0x104, 1},
        {"signInit", {kSmartKey, certificate}, "ok", 0x104, 2},
        {"gone", {}, "ok", 0x104, 1},
        {"signInContext", {"abc", true}, "ok", 0x104, 2},
        {"signFinal", {}, "ok", 0x100, 2},
        {"signInit", {kSmartKey, certificate}, "ok", 0x104, 3},
        {"signInit", {kSmartKey, certificate}, "ok", 0x104, 4},
        {"signFinal", {}, "ok", 0x104, 4},
        {"gone", {}, "ok", 0x100, 3},
    };
    std::vector<std::shared_ptr<VelonAPI>> pages{api};
    for (const SessionStep& step : steps) {
        pages.resize(std::max(pages.size(), step.page + 1));
        if (std::string(step.method) == "gone") {
            pages[step.page].reset();
            api.reset();
        } else {
            api = pages[step.page];
            if (!api) {
                api = pages[step.page] = std::make_shared<VelonAPI>(plugin, host);
                initialise();
            }
            const Outcome outcome = call(step.method, step.args);
            EXPECT_EQ(step.expected, outcome.ok ? "ok" : outcome.error) << step.method << " on page " << step.page;
        }
        EXPECT_EQ(step.flagsAfter, pkcs7Flags()) << step.method << " on page " << step.page;
    }
    api = pages[0];
    EXPECT_EQ(4u, journal("SignBufferEx").size());
    EXPECT_EQ(1u, DravikTest_LiveContexts());
}

}  // namespace
}  // namespace velon_test
