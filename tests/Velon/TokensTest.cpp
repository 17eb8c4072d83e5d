// The token methods over the library's simulated tokens.
#include "ApiFixture.h"

namespace velon_test {
namespace {

class Tokens : public ApiTest {
protected:
    void SetUp() override
    {
        ApiTest::SetUp();
        initialise();
    }

    std::vector<std::string> present()
    {
        std::vector<std::string> paths;
        const Outcome listed = call("getTokensList");
        EXPECT_TRUE(listed.ok) << listed.error;
        for (const PB::variant& v : listed.value.cast<PB::VariantList>())
            paths.push_back(v.cast<std::string>());
        return paths;
    }
};

TEST_F(Tokens, ListedInTableOrderWhenPresent)
{
    EXPECT_TRUE(present().empty());
    ASSERT_EQ(0, DravikTest_InsertToken("pkcs110:\\rtPKCS11ECP", "ECP", "42", "slot A", ""));
    ASSERT_EQ(0, DravikTest_InsertToken("etoken0:", "Work", "0001", "slot 0", ""));
    EXPECT_EQ((std::vector<std::string>{"etoken0:", "pkcs110:\\rtPKCS11ECP"}), present());
    ASSERT_EQ(0, DravikTest_RemoveToken("etoken0:"));
    EXPECT_EQ((std::vector<std::string>{"pkcs110:\\rtPKCS11ECP"}), present());
}

TEST_F(Tokens, ListBeforeInitPluginIsRejectedNotThrown)
{
    auto fresh = std::make_shared<VelonAPI>(plugin, host);
    std::string error;
    fresh->getTokensList().done(nullptr, [&](std::exception_ptr e) { error = test::messageOf(e); });
    EXPECT_EQ("Initialisation error in initPlugin()", error);
}

struct InfoCase {
    const char* device;
    const char* property;
    const char* expected;
};

class TokenInfo : public Tokens, public ::testing::WithParamInterface<InfoCase> {};

TEST_P(TokenInfo, LabelSerialAndSlot)
{
    ASSERT_EQ(0, DravikTest_InsertToken("rutoken3:", "My token", "00FF", "Reader 3", ""));
    EXPECT_EQ(GetParam().expected, call("getTokenInfo", {GetParam().device, GetParam().property}).text());
}

INSTANTIATE_TEST_SUITE_P(Properties, TokenInfo,
                         ::testing::Values(InfoCase{"rutoken3:", "TOKEN_LABEL", "My token"},
                                           InfoCase{"rutoken3:", "TOKEN_SERIAL_NUMBER", "00FF"},
                                           InfoCase{"rutoken3:", "TOKEN_SLOT_NAME", "Reader 3"},
                                           InfoCase{"rutoken3:", "token_label", "error: Unknown parameter name"},
                                           InfoCase{"rutoken4:", "TOKEN_LABEL", ""}));

TEST_F(Tokens, AbsentTokenInfoIsAWarningNotAnError)
{
    call("getTokenInfo", {"etoken9:", "TOKEN_SLOT_NAME"});
    EXPECT_EQ(std::vector<std::string>{"Dravik::GetTokenInfo('etoken9:',DK_TOKEN_SLOT_NAME,...): Error 208"},
              logged("WARN", "VelonAPI::getTokenInfo"));
}

TEST_F(Tokens, PathTestsAndLogout)
{
    ASSERT_EQ(0, DravikTest_InsertToken("etoken1:", "L", "S", "N", ""));
    const std::pair<const char*, const char*> isToken[] = {
        {"file system:", "false"}, {"ETOKEN1:", "true"}, {"etoken1", "false"},
        {"Aktiv Co. ruToken 0:", "true"}, {"pkcs115:\\rtPKCS11ECP", "true"}, {"/home/k", "false"}};
    DravikTest_JournalClear();
    for (const auto& c : isToken)
        EXPECT_EQ(c.second, call("isToken", {c.first}).text()) << c.first;
    EXPECT_EQ(0u, DravikTest_JournalSize()) << "isToken asks the library nothing";

    EXPECT_EQ("true", call("devicePresent", {"etoken1:"}).text());
    EXPECT_EQ("false", call("devicePresent", {"etoken2:"}).text());
    EXPECT_EQ("false", call("devicePresent", {"file system:"}).text());
    EXPECT_EQ("0", call("tokenLogout", {"etoken1:"}).text());
    EXPECT_EQ("error: Failed to logout from token", call("tokenLogout", {"no token"}).text());
}

}  // namespace
}  // namespace velon_test
