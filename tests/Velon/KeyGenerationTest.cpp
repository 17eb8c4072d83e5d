// Key generation and the request being built, with the real library:
// options as the library receives them, requests that openssl verifies, the
// new-password dialog, SmartToken request flags, key-file names, and every
// failure leaving no temporary file and the flags as they were.
#include "ApiFixture.h"

#include "../platform/dravik/openssl_cli.h"

namespace velon_test {
namespace {

class KeyGeneration : public ApiTest {
protected:
    void SetUp() override
    {
        ApiTest::SetUp();
        put("tmp/.keep", "");
        ::setenv("TMPDIR", dir.file("tmp").c_str(), 1);
        initialise();
        ASSERT_TRUE(call("addCertRequestAttribute", {"CN", "Key Holder"}).ok);
        DravikTest_JournalClear();
    }

    void TearDown() override
    {
        EXPECT_EQ(1, std::distance(boost::filesystem::directory_iterator(dir.file("tmp")),
                                   boost::filesystem::directory_iterator()))
            << "a temporary request file was left";
        ::unsetenv("TMPDIR");
        ApiTest::TearDown();
    }

    // openssl's verdict and text of a request.
    dravik_test::CliResult check(const std::string& request)
    {
        dir.write("check.pem", request);
        return dravik_test::runOpenssl(dir.path().string(), {"req", "-in", dir.file("check.pem"), "-verify", "-noout",
                                                             "-text", "-nameopt", "utf8,sep_comma_plus_space"});
    }

    static std::string arguments(const char* function, std::size_t index = 0)
    {
        const auto entries = journal(function);
        return index < entries.size() ? entries[index].arguments : "<not called>";
    }

    static uint32_t requestFlags()
    {
        uint32_t flags = 0;
        GetCertificateRequestFlags(&flags);
        return flags;
    }
};

TEST_F(KeyGeneration, OptionsReachTheLibraryAsTheTableSays)
{
    struct Case {
        const char* algorithm;
        const char* paramSet;
        const char* keyLength;
        const char* setName;  // what SetNewKeysAlgorithm receives
        const char* length;   // what SetKeysLength receives
        const char* stored;   // keygen_param_set afterwards
    } cases[] = {
        {"", "", "", "GOST3410-2012-256-XchA-ParamSet", "bits=256", "GOST3410-2012-256-XchA-ParamSet"},
        {"GOST3410-2012-256", "TC26-A", "", "TC26-GOST3410-2012-256-A-ParamSet", "bits=256",
         "TC26-GOST3410-2012-256-A-ParamSet"},
        {"GOST3410-2012-256", "D", "", "", "bits=256", "earlier"},
        {"GOST3410-2012-512", "", "1024", "GOST3410-2012-512-A-ParamSet", "bits=512", "GOST3410-2012-512-A-ParamSet"},
        {"GOST3410-2012-512", "C", "", "GOST3410-2012-512-C-ParamSet", "bits=512", "GOST3410-2012-512-C-ParamSet"},
        {"gost3410-2012-256", "A", "512", "", "bits=512", "earlier"},
        {"RSA", "", "abc", "RSA", "bits=2048", "RSA"},
        {"RSA", "", " 4096 bits", "RSA", "bits=4096", "RSA"},
        {"RSA", "", "-1", "RSA", "bits=2048", "RSA"},
        {"EC", "", "99999999999", "", "<not called>", "earlier"},
    };
    for (const Case& c : cases) {
        api->keygen_param_set = "earlier";
        DravikTest_JournalClear();
        // Accepted whatever the name, so that the length's call shows.
        DravikTest_ForceResult("SetNewKeysAlgorithm", 1, 0);
        EXPECT_EQ("0", call("setKeyGenOptions", {c.algorithm, c.paramSet, c.keyLength, "my.key"}).text());
        EXPECT_EQ(std::string("name=\"") + c.setName + "\"", arguments("SetNewKeysAlgorithm")) << c.algorithm;
        EXPECT_EQ(c.length, arguments("SetKeysLength")) << c.algorithm << c.keyLength;
        EXPECT_EQ(c.stored, api->keygen_param_set);
        EXPECT_EQ("my.key", api->keygen_key_file);
    }
    // The library itself refuses an empty name; the length is not set then.
    DravikTest_JournalClear();
    EXPECT_EQ("error: Wrong generating algorithm setting of asymmetric keys",
              call("setKeyGenOptions", {"GOST3410-2012-256", "D", "", ""}).text());
    EXPECT_EQ(std::vector<std::string>{"Dravik::SetNewKeysAlgorithm: Error 167"},
              logged("ERROR", "VelonAPI::setKeyGenOptions"));
    EXPECT_TRUE(journal("SetKeysLength").empty());
}

struct GostCase {
    const char* name;
    const char* algorithm;
    const char* keyText;  // what openssl says of the key
};

class Gost : public KeyGeneration, public ::testing::WithParamInterface<GostCase> {};

TEST_P(Gost, RequestVerifiesAndCarriesWhatWasBuilt)
{
    const GostCase& c = GetParam();
    const std::vector<std::pair<const char*, PB::VariantList>> building = {
        {"setKeyGenOptions", {c.algorithm, "", "", ""}},
        {"resetCertRequestAttributes", {}},
        {"addCertRequestAttribute", {"CN", "\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd"}},
        {"addCertRequestAttribute", {"INN", "007701234567"}},
        {"addCertRequestPolicy", {"1.2.643.100.113.1"}},
        {"setCertRequestSubjectSignTool", {}},
    };
    for (const auto& step : building)
        ASSERT_EQ("0", call(step.first, step.second).text()) << step.first;

    const Outcome request = call("generateKeyPair", {dir.file("keys"), true});
    ASSERT_TRUE(request.ok) << request.error;
    const dravik_test::CliResult verdict = check(request.value.cast<std::string>());
    EXPECT_EQ(0, verdict.exitCode) << verdict.output;
    for (const char* expected :
         {"verify OK", c.keyText, "Subject: CN=\xd0\x98\xd0\xb2\xd0\xb0\xd0\xbd, INN=007701234567",
          "Policy: Class of Signing Tool KC1", "Signing Tool of Subject", "CA:FALSE",
          "E-mail Protection, TLS Web Client Authentication",
          "Digital Signature, Non Repudiation, Key Encipherment, Data Encipherment, Key Agreement\n"})
        EXPECT_NE(std::string::npos, verdict.output.find(expected)) << expected << "\n" << verdict.output;
    EXPECT_EQ("path=\"" + dir.file("keys") + "\", reserved=0, password=***, createFolders=1", arguments("PSE_Generation"));
    EXPECT_NE(std::string::npos, arguments("NewKeysGenerationEx").find("keyFile=NULL"));

    // Extensions go back to the defaults; the subject is untouched.
    ASSERT_EQ("0", call("resetCertRequestExtensions").text());
    const std::string text = check(call("generateKeyPair", {dir.file("keys"), true}).text()).output;
    EXPECT_EQ(std::string::npos, text.find("Signing Tool of Subject")) << text;
    EXPECT_NE(std::string::npos, text.find("E-mail Protection, TLS Web Client Authentication")) << text;
    EXPECT_NE(std::string::npos, text.find("INN=007701234567")) << text;
}

INSTANTIATE_TEST_SUITE_P(Sizes, Gost,
                         ::testing::Values(GostCase{"Gost256", "GOST3410-2012-256", "CryptoPro-XchA-ParamSet"},
                                           GostCase{"Gost512", "GOST3410-2012-512", "(512 bit) ParamSet A"}),
                         [](const ::testing::TestParamInfo<GostCase>& info) { return std::string(info.param.name); });

TEST_F(KeyGeneration, NewPasswordIsAskedForUnlessEmptyIsWanted)
{
    std::vector<std::wstring> titles;
    win32::desktop::ScopedHandler handler([&](User& user) {
        titles.push_back(user.title());
        if (titles.size() > 1)
            return;  // the second time nobody answers
        user.type(Control::byClass(L"EDIT"), L"Str0ng#Pass");
        user.type(Control::byClass(L"EDIT", 1), L"Str0ng#Pass");
        user.press(VK_RETURN);
    });
    EXPECT_TRUE(call("generateKeyPair", {dir.file("asked"), false}).ok);
    EXPECT_EQ("error: Process was aborted", call("generateKeyPair", {dir.file("cancelled"), false}).text());
    EXPECT_EQ(std::vector<std::string>{"Dravik::PSE_Generation: Error 184 (psePath:" + dir.file("cancelled") + ")"},
              logged("ERROR", "VelonAPI::generateKeyPair"));
    EXPECT_EQ(2u, titles.size());
    EXPECT_EQ(L"Enter new password - Orvanta Signature Plugin", titles[0]);

    // The container's password opens the new key; an existing container is reused.
    EXPECT_TRUE(call("generateKeyPair", {dir.file("asked"), true}).ok);
    EXPECT_EQ(2u, titles.size());
    EXPECT_EQ(DRAVIK_E_KEYS_EXIST, journal("PSE_Generation").back().result);
    EXPECT_TRUE(dir.exists("asked/key02.key"));
}

TEST_F(KeyGeneration, KeyFilesAreNamedInTheContainerUnlessAbsolute)
{
    const std::string container = dir.file("c");
    put("c/keys/rsa00000001.key", "taken");
    struct Case {
        const char* algorithm;
        std::string keyFile;
        std::string expected;  // NewKeysGenerationEx's keyFile argument
        const char* usage;
    } cases[] = {
        {"RSA", "", "\"" + container + "\\keys\\rsa00000002.key\"", "usage=0xf,"},
        {"RSA", "my.key", "\"" + container + "\\my.key\"", "usage=0xf,"},
        {"GOST3410-2012-256", dir.file("elsewhere/abs.key"), "\"" + dir.file("elsewhere/abs.key") + "\"", "usage=0x1f,"},
        {"GOST3410-2012-256", "", "NULL", "usage=0x1f,"},
    };
    for (const Case& c : cases) {
        DravikTest_JournalClear();
        ASSERT_TRUE(call("setKeyGenOptions", {c.algorithm, "", "1024", c.keyFile}).ok);
        EXPECT_TRUE(call("generateKeyPair", {container, true}).ok) << c.expected;
        EXPECT_NE(std::string::npos, arguments("NewKeysGenerationEx").find("keyFile=" + c.expected))
            << arguments("NewKeysGenerationEx");
        EXPECT_NE(std::string::npos, arguments("SetKeyUsage").find(c.usage)) << c.expected;
    }
    EXPECT_TRUE(boost::filesystem::exists(dir.file("elsewhere/abs.key")));
}

TEST_F(KeyGeneration, SmartTokenFlagsAreBackAndNothingIsLeftWhateverFails)
{
    struct Case {
        const char* function;  // made to fail, or null
        int code;
        const char* page;
    } cases[] = {{nullptr, 0, "ok"},
                 {"GetCertificateRequestFlags", 207, "Specified parameter was not found"},
                 {"PSE_Generation", 179, "Generating error of CIPF 'Tavrel 3.3' key container"},
                 {"SetKeyUsage", 9999, "Unknown error code"},
                 {"NewKeysGenerationEx", 149, "Writing Certificate Request to file error"}};
    ASSERT_EQ(0, DravikTest_InsertToken("pkcs110:\\smarttoken", "Smart", "1", "slot", ""));
    SetCertificateRequestFlags(0x106);
    for (const Case& c : cases) {
        DravikTest_JournalClear();
        if (c.function)
            DravikTest_ForceResult(c.function, 1, c.code);
        const Outcome outcome = call("generateKeyPair", {"pkcs110:\\smarttoken\\gen", true});
        EXPECT_EQ(c.page, outcome.ok ? "ok" : outcome.error);
        EXPECT_EQ(0x106u, requestFlags()) << c.page;
        EXPECT_EQ(std::string::npos, arguments("PSE_Generation").find("***")) << "a token gets no password";
        if (!c.function) {
            EXPECT_EQ(0x146u, journal("NewKeysGenerationEx")[0].requestFlags);
        }
    }
    // No temporary file, no generation.
    ::setenv("TMPDIR", dir.file("missing").c_str(), 1);
    EXPECT_EQ("error: Failed to create temporary file", call("generateKeyPair", {dir.file("k"), true}).text());
    ::setenv("TMPDIR", dir.file("tmp").c_str(), 1);
}

}  // namespace
}  // namespace velon_test
