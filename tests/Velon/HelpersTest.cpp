// The API's helpers: Base64, files, code pages, key paths, error texts and
// the trace lines that must never carry secrets.
#include "ApiFixture.h"

#include <sys/stat.h>

namespace velon_test {
namespace {

std::string times(const std::string& text, int count)
{
    std::string all;
    while (count-- > 0)
        all += text;
    return all;
}

struct Base64Case {
    std::string bytes;
    std::string text;
};

class Base64 : public ApiTest, public ::testing::WithParamInterface<Base64Case> {};

TEST_P(Base64, EncodesAndDecodesAcrossLineBreaks)
{
    const Base64Case& c = GetParam();
    EXPECT_EQ(c.text, VelonAPI::bin_to_base64(c.bytes));
    std::string broken = c.text;
    for (std::size_t at = broken.size(); at > 0; at -= std::min<std::size_t>(at, 3))
        broken.insert(at, "\r\n");
    const Outcome decoded = call("base64_to_bin", {broken});
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_EQ(c.bytes, decoded.value.cast<std::string>());
}

INSTANTIATE_TEST_SUITE_P(Data, Base64,
                         ::testing::Values(Base64Case{"", ""}, Base64Case{"f", "Zg=="}, Base64Case{"fo", "Zm8="},
                                           Base64Case{"foo", "Zm9v"}, Base64Case{std::string("\0\xff\0\x10", 4), "AP8AEA=="},
                                           Base64Case{std::string(60, 'x'), times("eHh4", 20)}));

TEST_F(ApiTest, Base64CleaningAndCorruption)
{
    EXPECT_EQ("ab c=\x7f", call("clear_base64", {std::string("a\tb\r\n \x80\xff" "c=\x7f")}).text());
    EXPECT_EQ("error: Base-64 buffer size corruption", call("base64_to_bin", {"Zm9 v"}).text());
    EXPECT_EQ("error: Base-64 buffer size corruption", call("base64_to_bin", {"Zm9vZ"}).text());
    EXPECT_EQ("", call("clear_base64", {""}).text());
    EXPECT_EQ(2u, logged("ERROR", "VelonAPI::base64_to_bin").size());
}

// What the signing methods hand the library: decoded straight into a
// library buffer, the same bytes and the same errors as base64_to_bin.
TEST_F(ApiTest, Base64DecodesIntoALibraryBufferAsBase64ToBinDoes)
{
    const std::string texts[] = {
        "",
        "Zg==",
        "Zm8=",
        "Zm9v",
        "AP8AEA==",
        "Zm\r\n9v\tZm9v",       // line breaks and tabs inside groups
        "\r\nZm9vZg=\r\n=\r\n",   // padding split by a line break
        "Zm9v\x80\xffZm8=",       // bytes above 0x7F are dropped
        "Zm9 v",                  // a space stays and counts
        "Zm9vZ",                  // five characters: corrupt
        "Zm9=Zg==",               // "=" inside: only the last two shorten
        "====",
        "!!!!@@@@",               // outside the alphabet, yet four by four
        times("eHh4", 64) + "eA==",
    };
    for (const std::string& text : texts) {
        const Outcome expected = call("base64_to_bin", {text});
        uint32_t length = 0;
        try {
            const velon::LibraryBuffer buffer = VelonAPI::base64_to_library_buffer(text, &length);
            ASSERT_TRUE(expected.ok) << text << ": " << expected.error;
            EXPECT_EQ(expected.value.cast<std::string>(), std::string(buffer.get(), length)) << text;
        } catch (const PB::script_error& e) {
            EXPECT_EQ(expected.text(), std::string("error: ") + e.what()) << text;
        }
    }
}

TEST_F(ApiTest, FilesAreReadWholeAndOnlyForAnInitialisedPage)
{
    const std::string bytes("a\0b\0\xff", 5);
    dir.write("data.bin", bytes);
    dir.write("empty.bin", "");
    EXPECT_EQ("error: Initialisation error in initPlugin()", call("file_buffer", {dir.file("data.bin")}).text());
    initialise();
    EXPECT_EQ(bytes, call("file_buffer", {dir.file("data.bin")}).value.cast<std::string>());
    EXPECT_EQ("", call("file_buffer", {dir.file("empty.bin")}).text());
    for (const std::string& missing : {dir.file("none"), dir.path().string()})
        EXPECT_EQ("error: Failed to open file", call("file_buffer", {missing}).text()) << missing;
    EXPECT_EQ("true", call("fileExists", {dir.file("data.bin")}).text());
    EXPECT_EQ("false", call("fileExists", {dir.file("none")}).text());
    dir.write("\xd1\x84.bin", "x");  // a non-ASCII name arrives as its UTF-8 bytes
    EXPECT_EQ("x", call("file_buffer", {dir.file("\xd1\x84.bin")}).text());
}

// What the page names as a file is read only when it is a regular file, by
// the name the page gave: a FIFO would block, a device never end, and a NUL
// would cut the name short and name another file.
struct NamedFileCase {
    const char* name;
    const char* method;
    std::string path;  // "$" stands for the test folder
    const char* error;
};

void PrintTo(const NamedFileCase& c, std::ostream* os)
{
    *os << c.name;
}

class NamedFiles : public ApiTest, public ::testing::WithParamInterface<NamedFileCase> {
protected:
    void SetUp() override
    {
        ApiTest::SetUp();
        dir.write("data.bin", "bytes");
        ASSERT_EQ(0, ::mkfifo(dir.file("fifo").c_str(), 0600));
        initialise();
    }
};

TEST_P(NamedFiles, AreReadOnlyWhenRegularAndNamedWhole)
{
    std::string path = GetParam().path;
    if (path.compare(0, 1, "$") == 0)
        path = dir.path().string() + path.substr(1);
    const Outcome outcome = call(GetParam().method, {path});
    EXPECT_EQ(std::string("error: ") + GetParam().error, outcome.text());
}

const std::string kNul(1, '\0');

INSTANTIATE_TEST_SUITE_P(
    Paths, NamedFiles,
    ::testing::Values(
        NamedFileCase{"fifo", "file_buffer", "$/fifo", "Failed to open file"},
        NamedFileCase{"endlessDevice", "file_buffer", "/dev/zero", "Failed to open file"},
        NamedFileCase{"folder", "file_buffer", "$", "Failed to open file"},
        NamedFileCase{"cutShort", "file_buffer", "$/data.bin" + kNul + ".pem", "Failed to open file"},
        NamedFileCase{"requestFromAFifo", "readCertRequest", "$/fifo", "Failed to open file"},
        NamedFileCase{"existsCutShort", "fileExists", "$/data.bin" + kNul + "x", "Failed to open file"},
        NamedFileCase{"certificateCutShort", "readCertificate", "$/data.bin" + kNul + "x", "Failed to open file"},
        NamedFileCase{"trustedFromADevice", "loadTrustedCertificates", "/dev/zero", "CA Certificate adding error"},
        NamedFileCase{"crlsFromADevice", "loadCRLs", "/dev/urandom", "Reading Certificate Revocation List error"},
        NamedFileCase{"untrustedFromAFifo", "loadUntrustedCertificates", "$/fifo", "Certificate reading error"},
        NamedFileCase{"trustedCutShort", "loadTrustedCertificates", "$/data.bin" + kNul + "x",
                      "Failed to open file"},
        NamedFileCase{"containerCutShort", "keyContainerExists", "$/data.bin" + kNul + "x", "Failed to open file"},
        NamedFileCase{"tokenCutShort", "tokenLogout", "etoken0:" + kNul + "x", "Failed to open file"}),
    [](const ::testing::TestParamInfo<NamedFileCase>& info) { return std::string(info.param.name); });

TEST(CodePage, RoundTripsAndPassesTokenPaths)
{
    for (const std::string& text : {std::string(""), std::string("C:/keys/\xd0\xba\xd0\xbb\xd1\x8e\xd1\x87"),
                                    std::string("a\0b", 3), std::string("pkcs11")})
        EXPECT_EQ(text, VelonAPI::system_cp_to_utf8(VelonAPI::utf8_to_system_cp(text)));
    const std::string token("pkcs110:\\\xff\xfe");  // not UTF-8, yet untouched
    EXPECT_EQ(token, VelonAPI::utf8_to_system_cp(token));
    EXPECT_EQ(token, VelonAPI::system_cp_to_utf8(token));
    EXPECT_THROW(VelonAPI::utf8_to_system_cp("PKCS110:\\\xff"), std::exception);
}

TEST(KeyPaths, SmartTokenPaths)
{
    const std::pair<const char*, bool> cases[] = {
        {"pkcs110:\\smarttoken", true}, {"pkcs119:\\smarttoken\\k", true}, {"smarttoken pkcs11", false},
        {"PKCS110:\\SMARTTOKEN", false}, {"", false},   {"pkcs110:\\rtPKCS11ECP", false}};
    for (const auto& c : cases)
        EXPECT_EQ(c.second, VelonAPI::is_smarttoken_path(c.first)) << c.first;
}

TEST(ErrorTexts, LibraryFailuresNameFunctionAndCode)
{
    EXPECT_EQ("Dravik::SignBufferEx: Error 107", VelonAPI::make_error_string("SignBufferEx", 107));
    EXPECT_EQ("Dravik::AddSigner: Error -3", VelonAPI::make_error_string("AddSigner", -3));
}

TEST_F(ApiTest, LibraryErrorsAreLocalisedOnThePageAndEnglishInTheLog)
{
    Configuration::messages["ru"] = {{"err_dravik_000", "Неизвестная ошибка"}, {"err_dravik_184", "Отменено"}};
    Configuration::language = "ru";
    const std::pair<int, const char*> cases[] = {{184, "Отменено"}, {99999, "Неизвестная ошибка"}};
    for (const auto& c : cases) {
        try {
            VelonAPI::fail_with_library("VelonAPI::sign", "SignBufferEx", c.first);
        } catch (const PB::script_error& e) {
            EXPECT_STREQ(c.second, e.what());
        }
    }
    EXPECT_EQ((std::vector<std::string>{"Dravik::SignBufferEx: Error 184", "Dravik::SignBufferEx: Error 99999"}),
              logged("ERROR", "VelonAPI::sign"));
}

// Whatever a method is given, its secrets never reach the log.
TEST_F(ApiTest, TraceLinesMaskSecrets)
{
    initialise();
    const std::string secret = "TOPSECRET";
    call("sign", {secret, "/keys/k", secret, true});
    call("signBinaryData", {secret, "/keys/k", secret});
    call("signInit", {"/keys/k", secret});
    call("signInContext", {secret, false});
    call("getCertificateProperty", {secret, "Subject"});
    call("verifyCertificate", {secret, true});
    call("writeCertificate", {secret, 0, dir.file("c.pem"), "pem"});
    call("base64_to_bin", {secret});
    call("clear_base64", {secret});
    VelonAPI::utf8_to_system_cp(secret);
    for (const test::LogLine& line : log->lines())
        EXPECT_EQ(std::string::npos, line.message.find(secret)) << line.function << ": " << line.message;
    EXPECT_EQ(std::vector<std::string>{"VelonAPI::sign(*content*, /keys/k, *certificate*, 1)"},
              logged("TRACE", "VelonAPI::sign"));
    EXPECT_EQ(std::vector<std::string>{"VelonAPI::getCertificateProperty(*certificate*, Subject)"},
              logged("TRACE", "VelonAPI::getCertificateProperty"));
}

}  // namespace
}  // namespace velon_test
