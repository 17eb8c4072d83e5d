// The plug-in object: factory, events, the library's set-up and its
// callbacks answered through the dialogs.
#include "ApiFixture.h"

#include <cstring>

#include "PluginCore/PluginWindow.h"

namespace velon_test {
namespace {

TEST_F(ApiTest, FactoryEventsAndTitles)
{
    EXPECT_EQ(getPluginFactory(), getPluginFactory());
    EXPECT_NE(nullptr, std::dynamic_pointer_cast<Velon>(getPluginFactory()->createPlugin("")));
    PB::MouseDownEvent down(PB::MouseButtonEvent::MouseButton_Left, 0, 0, 0);
    PB::AttachedEvent attached;
    EXPECT_FALSE(plugin->HandleEvent(&down, nullptr));
    EXPECT_FALSE(plugin->HandleEvent(&attached, nullptr));
    EXPECT_FALSE(plugin->isWindowless());
    EXPECT_EQ(L"Enter password - Orvanta Signature Plugin", Velon::set_title("Enter password"));
}

TEST_F(ApiTest, LibrarySettingsAndItsUsersAreCounted)
{
    uint32_t flags = 0;
    DravikTest_JournalClear();
    ASSERT_EQ(0, GetPKCS7Flags(&flags));
    const DravikJournalEntry entry = journal("GetPKCS7Flags").at(0);
    EXPECT_EQ(DRAVIK_FORMAT_PEM, entry.outputFormat);
    EXPECT_EQ(5, entry.inputCodePage);
    EXPECT_EQ(5, entry.outputCodePage);
    EXPECT_EQ(1, entry.insertCertificate);
    EXPECT_EQ(1, entry.insertSigningTime);
    EXPECT_EQ(6u, entry.requestFlags);

    // An instance that never became ready gives back nothing it did not take.
    getPluginFactory()->createPlugin("application/x-velon")->shutdown();
    EXPECT_EQ(0, GetPKCS7Flags(&flags));
    plugin->shutdown();
    plugin->shutdown();
    EXPECT_EQ(DRAVIK_E_NOT_INITIALISED, GetPKCS7Flags(&flags));
}

TEST_F(ApiTest, OutputFormatThatCannotBeSetFailsTheSetUp)
{
    DravikTest_ForceResult("SetOutputFormat", 1, DRAVIK_E_PARAMETER);
    try {
        plugin->onPluginReady();
        FAIL() << "no error";
    } catch (const PB::script_error& e) {
        EXPECT_STREQ("Error of setting PEM as output data format, error: 207", e.what());
    }
}

struct StrengthCase {
    std::wstring password;
    bool strong;
};

class PasswordStrength : public ::testing::TestWithParam<StrengthCase> {};

TEST_P(PasswordStrength, FourClassesAndSixCharacters)
{
    const StrengthCase& c = GetParam();
    EXPECT_EQ(c.strong, Velon::check_pass(static_cast<int>(c.password.size()), c.password)) << c.password.size();
}

INSTANTIATE_TEST_SUITE_P(Passwords, PasswordStrength,
                         ::testing::Values(StrengthCase{L"Ab1!cd", true}, StrengthCase{L"ab1!cd", false},
                                           StrengthCase{L"AB1!CD", false}, StrengthCase{L"Abx!cd", false},
                                           StrengthCase{L"Ab1xcd", false}, StrengthCase{L"Ab1!c", false},
                                           StrengthCase{L"xxxxxxxxAb1 ", true}));

// One password callback, the user's answer, and what the library gets.
struct PromptCase {
    const char* name;
    int (*prompt)(char*, int);
    const wchar_t* typed;  // null: cancelled
    int size;
    int result;
    std::wstring shown;           // title | second line
    const char* kept = nullptr;  // what the field kept of typed (UTF-8), when not all of it
};

int tokenPin(char* buffer, int size)
{
    return Velon::TokenPINCallback(buffer, size, 1, nullptr);
}

class Prompts : public ApiTest, public ::testing::WithParamInterface<PromptCase> {};

TEST_P(Prompts, AnsweredThroughTheDialog)
{
    const PromptCase& c = GetParam();
    std::vector<std::wstring> seen;
    win32::desktop::ScopedHandler handler(answer_password(c.typed, &seen));
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(c.result, c.prompt(buffer, c.size));
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(c.shown, seen[0]);
    if (c.result > 0) {
        EXPECT_EQ(c.kept ? std::string(c.kept) : PB::wstring_to_utf8(c.typed), std::string(buffer, c.result));
    }
    EXPECT_EQ('#', buffer[c.size]) << "written past the buffer";
}

INSTANTIATE_TEST_SUITE_P(
    Callbacks, Prompts,
    ::testing::Values(
        PromptCase{"key", &Velon::KeyPasswordCallback, L"s3cret", 16, 6, L"Enter password - Orvanta Signature Plugin|"},
        PromptCase{"pse_cancelled", &Velon::PsePasswordCallback, nullptr, 16, -1,
                   L"Enter password - Orvanta Signature Plugin|"},
        PromptCase{"pin", &tokenPin, L"1234", 16, 4, L"Enter PIN - Orvanta Signature Plugin|"},
        // Two characters, four bytes: the field took only what fits the buffer.
        PromptCase{"too_long_in_utf8", &Velon::KeyPasswordCallback, L"\u00e9\u00e9", 3, 2,
                   L"Enter password - Orvanta Signature Plugin|", "\xC3\xA9"}),
    [](const ::testing::TestParamInfo<PromptCase>& info) { return std::string(info.param.name); });

TEST_F(ApiTest, NewPasswordMustMatchAndWeakOnesAreConfirmed)
{
    std::vector<std::wstring> boxes;
    int round = 0;
    win32::desktop::ScopedHandler handler([&](User& user) {
        if (user.depth() == 2) {
            boxes.push_back(user.title());
            user.click(Control::byText(boxes.size() == 1 ? L"Ok" : L"Yes"));
            return;
        }
        ++round;
        user.type(Control::byClass(L"EDIT"), L"weakpass");
        user.type(Control::byClass(L"EDIT", 1), L"weakpas");
        user.press(VK_RETURN);  // mismatch: told, still open
        EXPECT_TRUE(user.isOpen());
        user.type(Control::byClass(L"EDIT", 1), L"s");
        user.press(VK_RETURN);  // weak: confirmed with Yes
    });
    char buffer[32] = {};
    EXPECT_EQ(8, Velon::KeyNewPasswordCallback(buffer, sizeof buffer));
    EXPECT_EQ("weakpass", std::string(buffer, 8));
    EXPECT_EQ(1, round);
    EXPECT_EQ((std::vector<std::wstring>{L"Error - Orvanta Signature Plugin", L"Weakly password - Orvanta Signature Plugin"}),
              boxes);
}

struct RetryCase {
    const char* name;
    int (*callback)(int);
    int code;
    bool retry;
    int result;
    bool asked;
};

class Retries : public ApiTest, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(Retries, OnlyTheirOwnCode)
{
    const RetryCase& c = GetParam();
    bool asked = false;
    win32::desktop::ScopedHandler handler([&](User& user) {
        asked = true;
        user.click(Control::byText(c.retry ? L"Retry" : L"Cancel"));
    });
    EXPECT_EQ(c.result, c.callback(c.code));
    EXPECT_EQ(c.asked, asked);
}

int deviceRequest(int token)
{
    return Velon::DeviceRequestCallback(token ? "ETOKEN0:" : "/media/usb", 1);
}

INSTANTIATE_TEST_SUITE_P(
    Callbacks, Retries,
    ::testing::Values(RetryCase{"key_retry", &Velon::PrivateKeyErrorCallback, 107, true, 1, true},
                      RetryCase{"key_cancel", &Velon::PrivateKeyErrorCallback, 107, false, 0, true},
                      RetryCase{"key_other_code", &Velon::PrivateKeyErrorCallback, 169, true, 0, false},
                      RetryCase{"pse_retry", &Velon::PseErrorCallback, 169, true, 1, true},
                      RetryCase{"pse_other_code", &Velon::PseErrorCallback, 107, true, 0, false},
                      RetryCase{"token_retry", &deviceRequest, 1, true, 1, true},
                      RetryCase{"disk_cancel", &deviceRequest, 0, false, 0, true}),
    [](const ::testing::TestParamInfo<RetryCase>& info) { return std::string(info.param.name); });

TEST_F(ApiTest, DeviceRequestNamesTokenOrDisk)
{
    std::vector<std::wstring> seen;
    win32::desktop::ScopedHandler handler(
        [&](User& user) { seen.push_back(user.title() + L"|" + user.text(Control::byClass(L"STATIC", 1))); });
    Velon::DeviceRequestCallback("etoken3:", 1);
    Velon::DeviceRequestCallback(nullptr, 1);
    EXPECT_EQ((std::vector<std::wstring>{L"Token is not present - Orvanta Signature Plugin|Please insert the token "
                                         L"for\netoken3:",
                                         L"Disk is not present - Orvanta Signature Plugin|Please insert the disk for\n"}),
              seen);
}

}  // namespace
}  // namespace velon_test
