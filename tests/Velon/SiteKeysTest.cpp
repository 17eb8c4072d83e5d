// Keys and tokens the user unlocks for one site are not used for another
// site's call without asking: pages of two granted sites in one process.
#include "ApiFixture.h"

#include <functional>
#include <map>

#include "../platform/dravik/pki.h"
#include "Velon/KeyUnlocks.h"

namespace velon_test {
namespace {

using dravik_test::KeyKind;
using dravik_test::Pki;

const char* const kBank = "https://bank.example";
const char* const kShop = "https://shop.example";
const char* const kTokenKey = "etoken0:\\work";

class SiteKeys : public ApiTest {
protected:
    void SetUp() override
    {
        ApiTest::SetUp();
        Configuration::trusted_sites = {kBank, kShop};
        certificate = Pki::get().user(KeyKind::Gost256).certPem();
        makeContainer(key, "pw");
        ASSERT_EQ(0, DravikTest_InsertToken("etoken0:", "Work", "0001", "slot 0", "1234"));
        makeContainer(kTokenKey, "");
    }

    void TearDown() override
    {
        pages.clear();
        ApiTest::TearDown();
    }

    void makeContainer(const std::string& where, const char* password)
    {
        const std::string pem = Pki::get().user(KeyKind::Gost256).keyPem();
        ASSERT_EQ(0, DravikTest_CreateContainer(where.c_str(), password));
        ASSERT_EQ(0, DravikTest_StoreKey(where.c_str(), password, pem.data(), static_cast<uint32_t>(pem.size())));
    }

    // The API object of a page of site, made and initialised on the first visit.
    void visit(const std::string& site)
    {
        location->props["href"] = site + "/pay";
        std::shared_ptr<VelonAPI>& page = pages[site];
        if (!page) {
            page = std::make_shared<VelonAPI>(plugin, host);
            api = page;
            initialise();
        }
        api = page;
    }

    std::string key = dir.file("user");
    std::string certificate;
    std::map<std::string, std::shared_ptr<VelonAPI>> pages;
};

struct VisitCase {
    const char* name;
    const char* method;  // "sign" or "signInit"
    bool onToken;        // the key lies on a token with a PIN
    std::vector<const char*> sites;
    std::vector<std::size_t> asked;  // the dialogs each visit's call showed
};

void PrintTo(const VisitCase& c, std::ostream* os)
{
    *os << c.name;
}

class Visits : public SiteKeys, public ::testing::WithParamInterface<VisitCase> {};

TEST_P(Visits, AskTheUserForEachSite)
{
    const VisitCase& c = GetParam();
    const std::string path = c.onToken ? kTokenKey : key;
    ASSERT_EQ(c.sites.size(), c.asked.size());
    for (std::size_t i = 0; i < c.sites.size(); ++i) {
        visit(c.sites[i]);
        std::vector<std::wstring> asked;
        win32::desktop::ScopedHandler handler(answer_password(c.onToken ? L"1234" : L"pw", &asked));
        PB::VariantList args{path, certificate};
        if (std::string(c.method) == "sign")
            args = {"text", path, certificate, false};
        const Outcome outcome = call(c.method, args);
        EXPECT_TRUE(outcome.ok) << c.sites[i] << ": " << outcome.error;
        EXPECT_EQ(c.asked[i], asked.size()) << "visit " << i << " (" << c.sites[i] << ")";
        if (std::string(c.method) == "signInit")
            call("signFinal");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sites, Visits,
    ::testing::Values(VisitCase{"sameSite", "sign", false, {kBank, kBank}, {1, 0}},
                      VisitCase{"otherSite", "sign", false, {kBank, kShop}, {1, 1}},
                      VisitCase{"andBack", "sign", false, {kBank, kShop, kShop, kBank}, {1, 1, 0, 1}},
                      VisitCase{"session", "signInit", false, {kBank, kShop, kBank}, {1, 1, 1}},
                      VisitCase{"tokenSameSite", "sign", true, {kBank, kBank}, {1, 0}},
                      VisitCase{"tokenOtherSite", "sign", true, {kBank, kShop, kBank}, {1, 1, 1}}),
    [](const ::testing::TestParamInfo<VisitCase>& info) { return std::string(info.param.name); });

// What site B's calls name: site A's key container and token key, a new
// container of B's own, and a key file on A's token.
struct Material {
    std::string key;
    std::string tokenKey;
    std::string certificate;
    std::string fresh;
    std::string tokenFile;
};

struct SiteCall {
    const char* method;
    std::function<PB::VariantList(const Material&)> args;
};

struct OtherSiteCase {
    const char* name;
    bool onToken;  // what B's calls need: A's token (its PIN) or A's key container (its password)
    std::vector<SiteCall> calls;
    std::size_t asked;  // the dialogs B's calls showed
    const char* failing = nullptr;  // a library call that fails once
};

void PrintTo(const OtherSiteCase& c, std::ostream* os)
{
    *os << c.name;
}

class OtherSiteCalls : public SiteKeys, public ::testing::WithParamInterface<OtherSiteCase> {};

// Site A signs with its token key and its key container; site B's calls
// that hand the same token or container to the library ask the user again,
// and succeed once answered.
TEST_P(OtherSiteCalls, NeverUseTheFirstSitesUnlockUnasked)
{
    const OtherSiteCase& c = GetParam();
    visit(kBank);
    {
        std::vector<std::wstring> asked;
        win32::desktop::ScopedHandler handler(answer_password(L"1234", &asked));
        ASSERT_TRUE(call("sign", {"text", kTokenKey, certificate, false}).ok);
        ASSERT_EQ(1u, asked.size());
    }
    {
        std::vector<std::wstring> asked;
        win32::desktop::ScopedHandler handler(answer_password(L"pw", &asked));
        ASSERT_TRUE(call("sign", {"text", key, certificate, false}).ok);
        ASSERT_EQ(1u, asked.size());
    }

    visit(kShop);
    const Material material{key, kTokenKey, certificate, dir.file("shop"), "etoken0:\\shop.key"};
    if (c.failing)
        DravikTest_ForceResult(c.failing, 1, DRAVIK_E_INTERNAL);
    std::vector<std::wstring> asked;
    win32::desktop::ScopedHandler handler(answer_password(c.onToken ? L"1234" : L"pw", &asked));
    for (const SiteCall& step : c.calls) {
        const Outcome outcome = call(step.method, step.args(material));
        EXPECT_TRUE(outcome.ok) << step.method << ": " << outcome.error;
    }
    EXPECT_EQ(c.asked, asked.size());
}

INSTANTIATE_TEST_SUITE_P(
    Methods, OtherSiteCalls,
    ::testing::Values(
        OtherSiteCase{"generateKeyPairKeyFileOnToken",
                      true,
                      {{"setKeyGenOptions", [](const Material& m) { return PB::VariantList{"", "", "", m.tokenFile}; }},
                       {"generateKeyPair", [](const Material& m) { return PB::VariantList{m.fresh, true}; }}},
                      1},
        OtherSiteCase{"keyContainerExistsOnToken",
                      true,
                      {{"keyContainerExists", [](const Material& m) { return PB::VariantList{m.tokenKey}; }}},
                      1},
        // Not probed with A's unlock, and no error of the library's either.
        OtherSiteCase{"keyContainerExistsWhenForgettingFails",
                      false,
                      {{"keyContainerExists", [](const Material& m) { return PB::VariantList{m.key}; }}},
                      0,
                      "ClearPrivateKeysAt"},
        OtherSiteCase{"copyKeyContainer",
                      false,
                      {{"copyKeyContainer", [](const Material& m) { return PB::VariantList{m.key, m.fresh}; }}},
                      1},
        OtherSiteCase{"copyKeyContainerFromToken",
                      true,
                      {{"copyKeyContainer", [](const Material& m) { return PB::VariantList{m.tokenKey, m.fresh}; }}},
                      1},
        OtherSiteCase{"makeRevocationRequest",
                      false,
                      {{"makeRevocationRequest",
                        [](const Material& m) {
                            return PB::VariantList{m.certificate, 0, "", "", "", m.key, "", false};
                        }}},
                      1},
        OtherSiteCase{"makeRevocationRequestOnToken",
                      true,
                      {{"makeRevocationRequest",
                        [](const Material& m) {
                            return PB::VariantList{m.certificate, 0, "", "", "", m.tokenKey, "", false};
                        }}},
                      1},
        OtherSiteCase{"getPrivateKeyByCertificate",
                      false,
                      {{"getPrivateKeyByCertificate",
                        [](const Material& m) { return PB::VariantList{m.key, m.certificate}; }}},
                      1},
        OtherSiteCase{"getPrivateKeyByCertificateOnToken",
                      true,
                      {{"getPrivateKeyByCertificate",
                        [](const Material& m) { return PB::VariantList{m.tokenKey, m.certificate}; }}},
                      1}),
    [](const ::testing::TestParamInfo<OtherSiteCase>& info) { return std::string(info.param.name); });

// A page probing name after name keeps the record bounded; what leaves it is
// forgotten by the library, not handed to the next site.
TEST_F(SiteKeys, ProbingManyNamesKeepsTheRecordBounded)
{
    visit(kBank);
    std::vector<std::wstring> asked;
    win32::desktop::ScopedHandler handler(answer_password(L"pw", &asked));
    ASSERT_TRUE(call("sign", {"text", key, certificate, false}).ok);
    visit(kShop);
    for (std::size_t i = 0; i < velon::KeyUnlocks::kMostRecorded; ++i)
        ASSERT_EQ("false", call("keyContainerExists", {dir.file("probe" + std::to_string(i))}).text());
    EXPECT_LE(velon::KeyUnlocks::recorded(), velon::KeyUnlocks::kMostRecorded);
    ASSERT_TRUE(call("sign", {"text", key, certificate, false}).ok);
    EXPECT_EQ(2u, asked.size());
}

// The other site's user cancels: its call fails, and the first site's key
// stays its own.
TEST_F(SiteKeys, AnotherSiteCannotSignWithoutThePassword)
{
    visit(kBank);
    {
        win32::desktop::ScopedHandler handler(answer_password(L"pw"));
        ASSERT_TRUE(call("sign", {"text", key, certificate, false}).ok);
    }
    visit(kShop);
    std::vector<std::wstring> asked;
    {
        win32::desktop::ScopedHandler handler(answer_password(nullptr, &asked));
        EXPECT_FALSE(call("sign", {"text", key, certificate, false}).ok);
        EXPECT_FALSE(call("getCMC", {"request", key, certificate}).ok);
        EXPECT_FALSE(call("setNewKeyPassword", {key, true}).ok);
    }
    EXPECT_EQ(3u, asked.size());
}

// clearCachedKeyPasswords still forgets every key, for every site.
TEST_F(SiteKeys, ClearingForgetsForEverySite)
{
    visit(kBank);
    std::vector<std::wstring> asked;
    win32::desktop::ScopedHandler handler(answer_password(L"pw", &asked));
    ASSERT_TRUE(call("sign", {"text", key, certificate, false}).ok);
    visit(kShop);
    ASSERT_TRUE(call("clearCachedKeyPasswords").ok);
    visit(kBank);
    ASSERT_TRUE(call("sign", {"text", key, certificate, false}).ok);
    EXPECT_EQ(2u, asked.size());
}

TEST(KeyUnlocks, TokenOfAPath)
{
    const std::pair<const char*, const char*> cases[] = {
        {"etoken0:", "etoken0:"},
        {"etoken0:\\work", "etoken0:"},
        {"ETOKEN0:\\work", "ETOKEN0:"},
        {"rutoken3:\\a\\b", "rutoken3:"},
        {"pkcs110:\\rtPKCS11ECP\\work\\key01.key", "pkcs110:\\rtPKCS11ECP"},
        {"pkcs110:/rtPKCS11ECP", "pkcs110:/rtPKCS11ECP"},
        {"pkcs110:", "pkcs110:"},
        {"/home/user/keys", ""},
        {"etoken0", ""},
        {"c:\\keys", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, velon::KeyUnlocks::token_of(c.first)) << c.first;
}

}  // namespace
}  // namespace velon_test
