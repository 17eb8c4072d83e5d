// Who may use the API: trusted-site rules, the site-check dialog, initPlugin
// and the guard of the other methods.
#include "ApiFixture.h"

#include <cstring>
#include <utility>

namespace velon_test {
namespace {

struct RuleCase {
    std::string url;
    std::vector<std::string> rules;
    int trusted;
};

void PrintTo(const RuleCase& c, std::ostream* os)
{
    *os << c.url;
}

class SiteRules : public ::testing::TestWithParam<RuleCase> {
protected:
    void SetUp() override { ConfigurationTesting::reset(); }
    void TearDown() override { ConfigurationTesting::reset(); }
};

TEST_P(SiteRules, CoverOrNot)
{
    Configuration::trusted_sites = GetParam().rules;
    EXPECT_EQ(GetParam().trusted, Configuration::is_host_trusted(GetParam().url)) << GetParam().url;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SiteRules,
    ::testing::Values(
        RuleCase{"not a url", {}, 0},  // no rules: nothing is read
        RuleCase{"https://bank.example/pay", {"https://bank.example"}, 1},
        RuleCase{"http://bank.example/pay", {"https://bank.example"}, 0},
        RuleCase{"http://bank.example:81/x", {"bank.example:443/any/path"}, 1},
        RuleCase{"https://bank.example", {"*.bank.example"}, 1},
        RuleCase{"https://www.bank.example", {"*.bank.example"}, 1},
        // A wildcard covers subdomains only, not hosts that merely end alike.
        RuleCase{"https://evilbank.example", {"*.bank.example"}, 0},
        RuleCase{"https://bank.exampla", {"*.bank.example"}, 0},
        RuleCase{"https://sub.localhost", {"*.localhost"}, 0},
        RuleCase{"https://localhost", {"*.localhost"}, 1},
        RuleCase{"http://10.0.0.7/", {"10.0.0.7"}, 1},
        RuleCase{"http://10.0.0.07/", {"10.0.0.7"}, 0},
        RuleCase{"http://10.0.0.7/", {"*.0.0.7"}, 0},
        RuleCase{"file:///c:/pages/sign.html?a#b", {"file:///c:/pages/sign.html?a#b"}, 1},
        RuleCase{"file:///c:/pages/sign.html", {"file:///c:/pages/sign.html?a#b"}, 0},
        RuleCase{"https://bank.example/ with blank", {"bank.example"}, -1},
        // User information would make another host look like a trusted one.
        RuleCase{"https://bank.example:x@evil.example/", {"bank.example"}, -1},
        RuleCase{"https://bank.example@evil.example/", {"bank.example"}, -1},
        RuleCase{"https://bank.example/", {"bad rule", "bank.example"}, 1},
        // The host ends where a browser ends it: a backslash separates like a
        // slash, a query or a fragment ends the host.
        RuleCase{"https://evil.example\\.bank.example/", {"*.bank.example"}, 0},
        RuleCase{"https://evil.example?.bank.example", {"*.bank.example"}, 0},
        RuleCase{"https://evil.example#.bank.example", {"*.bank.example"}, 0},
        RuleCase{"evil.example\\.bank.example", {"*.bank.example"}, 0},
        RuleCase{"https://www.bank.example\\pay", {"*.bank.example"}, 1},
        RuleCase{"https://bank.example?x=1#y", {"https://bank.example"}, 1},
        RuleCase{"https://bank.example:8443?x", {"bank.example"}, 1},
        // A blank after a long run of text in a rule or an address makes it
        // unreadable, not a reason to fail.
        RuleCase{"https://bank.example/", {"https://intranet.bank.example/sign page", "bank.example"}, 1},
        RuleCase{"https://bank.example/", {std::string(200, 'a') + " "}, 0},
        RuleCase{"https://bank.example/sign?payee=Orvanta Bank", {"bank.example"}, -1}));

// The page, the user's answer and what initPlugin and a later call see.
struct InitCase {
    const char* name;
    const char* page;
    win32::desktop::Handler answer;  // empty: nobody answers
    const char* initError;           // empty: resolves
    const char* laterError;          // of fileExists afterwards; empty: passes
    std::size_t dialogs;             // site-check dialogs shown
};

class Init : public ApiTest, public ::testing::WithParamInterface<InitCase> {};

TEST_P(Init, DecidesAccess)
{
    const InitCase& c = GetParam();
    location->props["href"] = std::string(c.page);
    std::vector<std::wstring> asked;
    win32::desktop::ScopedHandler handler([&](User& user) {
        asked.push_back(user.title() + L"|" + user.text(Control::byClass(L"STATIC", 1)));
        if (c.answer)
            c.answer(user);
    });
    const Outcome init = call("initPlugin");
    EXPECT_EQ(std::string(c.initError), init.ok ? "" : init.error);
    const Outcome later = call("fileExists", {dir.file("none")});
    EXPECT_EQ(std::string(c.laterError), later.ok ? "" : later.error);
    ASSERT_EQ(c.dialogs, asked.size());
    if (c.dialogs == 1) {
        EXPECT_EQ(L"Access control - Orvanta Signature Plugin|This website would like to access to your digital "
                  L"signature keys to make a signature on your behalf:\n\n\n\nhttps://shop.example\n\n",
                  asked[0]);
    }
    // Asked once per object: a second initPlugin repeats the decision.
    const Outcome again = call("initPlugin");
    EXPECT_EQ(init.ok, again.ok);
    EXPECT_EQ(c.dialogs, asked.size());
}

const char* const kRefused = "Orvanta Signature Plugin is not allowed to be loaded on this page";

INSTANTIATE_TEST_SUITE_P(
    Answers, Init,
    ::testing::Values(InitCase{"trusted", kPage, nullptr, "", "", 0},
                      InitCase{"continued", "https://shop.example:8443/cart?x=1",
                               [](User& u) { u.click(Control::byText(L"Continue")); }, "", "", 1},
                      InitCase{"cancelled", "https://shop.example/", [](User& u) { u.click(Control::byText(L"Cancel")); },
                               kRefused, kRefused, 1},
                      InitCase{"unanswered", "https://shop.example/", nullptr, kRefused, kRefused, 1},
                      InitCase{"unreadable", "https://shop.example/a b", nullptr, "Failed to parse page URL",
                               "Initialisation error in initPlugin()", 0}),
    [](const ::testing::TestParamInfo<InitCase>& info) { return std::string(info.param.name); });

TEST_F(ApiTest, RememberedSiteIsWrittenToTheConfiguration)
{
    dir.write("Velon.conf", R"({"plugin.trusted_sites": ["https://bank.example"]})");
    ASSERT_EQ("mes_success", Configuration::load_conf(dir.file("libnpVelon.so")));
    location->props["href"] = std::string("https://shop.example:8443/cart/?x=1");
    win32::desktop::queueAnswer([](User& user) {
        EXPECT_TRUE(user.check(Control::byText(L"Always allow this website to access")));
        user.click(Control::byText(L"Continue"));
    });
    ASSERT_TRUE(call("initPlugin").ok);
    EXPECT_NE(std::string::npos, dir.read("Velon.conf").find("\"https://shop.example\""));
    EXPECT_EQ(1, Configuration::is_host_trusted("https://shop.example/other"));
}

TEST_F(ApiTest, GuardStopsEveryMethodBeforeInitPlugin)
{
    DravikTest_JournalClear();
    const std::vector<std::pair<const char*, PB::VariantList>> calls = {
        {"fileExists", {"a"}}, {"file_buffer", {"a"}}, {"isToken", {"etoken0:"}},
        {"sign", {"a", "b", "c", true}}, {"readCertificate", {"a"}}, {"getCMC", {"a", "b", "c"}},
        {"generateKeyPair", {"a", true}}, {"setCertReqAttrsAsCert", {"a"}}, {"keyContainerExists", {"a"}},
        {"loadCRLs", {"a"}}, {"readCertRequest", {"a"}}};
    for (const auto& c : calls)
        EXPECT_EQ("Initialisation error in initPlugin()", call(c.first, c.second).error) << c.first;
    EXPECT_EQ(calls.size(), logged("ERROR", "VelonAPI::check_initPlugin").size());
    EXPECT_EQ(0u, DravikTest_JournalSize()) << "no library call before the guard";
    EXPECT_EQ("1.3.0.1", call("getVersion").text());
    EXPECT_EQ("0", call("get_error").text());
}

TEST_F(ApiTest, TheFiftyMethodsAndNoOthers)
{
    std::vector<std::string> names;
    api->getMemberNames(names);
    EXPECT_EQ(55u, names.size());  // and toString, value, valid, getAttribute, setAttribute
    EXPECT_FALSE(api->hasMethod("bin_to_base64"));
}

TEST_F(ApiTest, FirstInitialisationSetsUpTheLogFileAndReadsTheConfiguration)
{
    log.reset();  // the framework's appender alone
    dir.write("Velon.conf", R"({"plugin.loglevel": 1, "plugin.trusted_sites": ["bank.example"]})");
    initialise();
    EXPECT_EQ(2u, logger().getAllAppenders().size());
    EXPECT_EQ(log4cplus::TRACE_LOG_LEVEL, logger().getLogLevel());
    EXPECT_NE(std::string::npos, dir.read("Velon.log").find("INFO: "));
    EXPECT_NE(std::string::npos, dir.read("Velon.log").find("Log level is TRACE"));

    // Another instance of the process reuses both.
    dir.write("Velon.conf", R"({"plugin.loglevel": 16, "plugin.trusted_sites": ["other.example"]})");
    auto second = std::make_shared<VelonAPI>(plugin, host);
    bool settled = false;
    second->initPlugin().done([&](PB::variant) { settled = true; });
    EXPECT_TRUE(settled);
    EXPECT_EQ(2u, logger().getAllAppenders().size());
    EXPECT_EQ(log4cplus::TRACE_LOG_LEVEL, logger().getLogLevel());
}

TEST_F(ApiTest, InitialisationSetsTheRequestDefaults)
{
    DravikTest_JournalClear();
    initialise();
    ASSERT_EQ(1u, journal("SetBasicConstraints").size());
    EXPECT_STREQ("ca=0, critical=1", journal("SetBasicConstraints")[0].arguments);
    const auto usages = journal("AddExtendedKeyUsage");
    ASSERT_EQ(2u, usages.size());
    EXPECT_NE(nullptr, std::strstr(usages[0].arguments, "1.3.6.1.5.5.7.3.4"));
    EXPECT_NE(nullptr, std::strstr(usages[1].arguments, "1.3.6.1.5.5.7.3.2"));
}

}  // namespace
}  // namespace velon_test

namespace velon_test {
namespace {

// The page's address may arrive after the object or the plug-in has gone.
TEST_F(ApiTest, LateAddressFindsNothingToUseAfterFree)
{
    location->answerLater = true;
    auto orphan = std::make_shared<VelonAPI>(std::shared_ptr<Velon>(), host);
    auto dropped = std::make_shared<VelonAPI>(plugin, host);
    std::vector<std::string> errors;
    for (auto* api : {&orphan, &dropped})
        (*api)->initPlugin().done(nullptr, [&](std::exception_ptr e) { errors.push_back(test::messageOf(e)); });
    dropped.reset();
    location->answer();
    EXPECT_EQ((std::vector<std::string>{"The plugin is invalid", "The plugin is invalid"}), errors);
}

}  // namespace
}  // namespace velon_test
