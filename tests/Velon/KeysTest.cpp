// Key passwords, the signer-certificate switch, key lookup and key
// containers with the real library, the user played through the desktop.
#include "ApiFixture.h"

#include "../platform/dravik/pki.h"

namespace velon_test {
namespace {

using dravik_test::KeyKind;
using dravik_test::Pki;

class Keys : public ApiTest {
protected:
    void SetUp() override
    {
        ApiTest::SetUp();
        certificate = Pki::get().user(KeyKind::Gost256).certPem();
        container(key, "old");
        container(openKey, "");
        ASSERT_EQ(0, DravikTest_InsertToken("etoken0:", "Work", "1", "slot", ""));
        initialise();
        DravikTest_JournalClear();
    }

    void container(const std::string& where, const char* password)
    {
        const std::string pem = Pki::get().user(KeyKind::Gost256).keyPem();
        ASSERT_EQ(0, DravikTest_CreateContainer(where.c_str(), password));
        ASSERT_EQ(0, DravikTest_StoreKey(where.c_str(), password, pem.data(), static_cast<uint32_t>(pem.size())));
    }

    // Answers every password dialog with password and counts them; null
    // cancels.
    static win32::desktop::Handler typing(const wchar_t* password, int* asked)
    {
        return [password, asked](User& user) {
            ++*asked;
            if (!password)
                return;
            user.type(Control::byClass(L"EDIT"), password);
            user.press(VK_RETURN);
        };
    }

    Outcome sign(const std::string& with) { return call("sign", {"abc", with, certificate, true}); }

    std::string key = dir.file("user");
    std::string openKey = dir.file("open");
    std::string certificate;
};

TEST_F(Keys, NewPasswordOpensTheKeyAfterwards)
{
    std::wstring current = L"old";
    const std::wstring fresh = L"N3w#Secret";
    std::vector<std::wstring> titles;
    win32::desktop::ScopedHandler handler([&](User& user) {
        titles.push_back(user.title());
        const bool asksNew = user.find(Control::byClass(L"EDIT", 1)) != nullptr;
        user.type(Control::byClass(L"EDIT"), asksNew ? fresh : current);
        if (asksNew)
            user.type(Control::byClass(L"EDIT", 1), fresh);
        user.press(VK_RETURN);
    });
    // The current password, then the new one; a strong one is not questioned.
    EXPECT_EQ("0", call("setNewKeyPassword", {key, false}).text());
    EXPECT_EQ((std::vector<std::wstring>{L"Enter password - Orvanta Signature Plugin",
                                         L"Enter new password - Orvanta Signature Plugin"}),
              titles);
    EXPECT_EQ("0", call("clearCachedKeyPasswords").text());
    current = fresh;
    EXPECT_TRUE(sign(key).ok);
    EXPECT_EQ(3u, titles.size());

    // An empty password: the key then opens without asking.
    EXPECT_EQ("0", call("setNewKeyPassword", {key, true}).text());
    EXPECT_EQ("0", call("clearCachedKeyPasswords").text());
    EXPECT_TRUE(sign(key).ok);
    EXPECT_EQ(3u, titles.size());
    const auto changes = journal("PSE_ChangePassword");
    ASSERT_EQ(2u, changes.size());
    EXPECT_EQ("path=\"" + key + "\", reserved=0, newPassword=NULL", std::string(changes[0].arguments));
    EXPECT_EQ("path=\"" + key + "\", reserved=0, newPassword=***", std::string(changes[1].arguments));
}

TEST_F(Keys, PasswordsCannotBeSetOnTokensAndCancellingIsAnError)
{
    int asked = 0;
    win32::desktop::ScopedHandler handler(typing(nullptr, &asked));
    EXPECT_EQ("error: Unable to set up password on token", call("setNewKeyPassword", {"etoken0:\\work", true}).text());
    EXPECT_TRUE(journal("PSE_ChangePassword").empty());
    EXPECT_EQ("error: Process was aborted", call("setNewKeyPassword", {openKey, false}).text());
    EXPECT_EQ(1, asked);
    EXPECT_EQ((std::vector<std::string>{"Unable to set up password on token", "Dravik::PSE_ChangePassword: Error 184"}),
              logged("ERROR", "VelonAPI::setNewKeyPassword"));
}

TEST_F(Keys, SignerCertificateIsLeftOutUntilSwitchedBack)
{
    for (bool include : {false, true}) {
        EXPECT_EQ("0", call("setAddSignerCertificate", {include}).text());
        ASSERT_TRUE(sign(openKey).ok);
        EXPECT_EQ(include ? 1 : 0, journal("SignBufferEx").back().insertCertificate);
    }
}

TEST_F(Keys, KeyOfACertificateIsFoundByName)
{
    const std::string other = Pki::get().user(KeyKind::Gost512).certPem();
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{openKey, certificate}, openKey + "/key01.key"},
        {{openKey, other}, "error: There are no keys in accordance with the certificate"},
        {{dir.file("missing"), certificate}, "error: Initialization error of CIPF 'Tavrel 3.3'"},
        {{openKey, "junk"}, "error: Certificate decoding error"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.second, call("getPrivateKeyByCertificate", {c.first[0], c.first[1]}).text());
}

TEST_F(Keys, ProbesAreSilentAndTheDialogsComeBack)
{
    const struct {
        std::string where;
        bool fails;  // the library cannot read the container's keys
        bool expected;
    } cases[] = {{openKey, false, true}, {key, false, true}, {dir.file("missing"), false, false},
                 {dir.file("missing"), true, true}};
    int asked = 0;
    win32::desktop::ScopedHandler handler(typing(L"old", &asked));
    for (const auto& c : cases) {
        DravikTest_JournalClear();
        if (c.fails)
            DravikTest_ForceResult("GetPrivateKeyAlgorithm", 1, DRAVIK_E_KEY_NOT_LOADED);
        EXPECT_EQ(c.expected ? "true" : "false", call("keyContainerExists", {c.where}).text()) << c.where;
        EXPECT_NE(std::string::npos, std::string(journal("GetPrivateKeyAlgorithm")[0].arguments).find("password=***"));
        EXPECT_EQ(0, asked) << "the probe shows no dialog";
    }
    // The plug-in's own callbacks are back: the password is asked for.
    EXPECT_EQ("0", call("clearCachedKeyPasswords").text());
    EXPECT_TRUE(sign(key).ok);
    EXPECT_EQ(1, asked);
}

TEST_F(Keys, CopiesKeepThePasswordAndRefuseToOverwrite)
{
    int asked = 0;
    win32::desktop::ScopedHandler handler(typing(L"old", &asked));
    EXPECT_EQ("0", call("copyKeyContainer", {key, dir.file("copy")}).text());
    EXPECT_EQ(1, asked);
    EXPECT_EQ("error: File with this name already exists", call("copyKeyContainer", {key, dir.file("copy")}).text());
    EXPECT_EQ(std::vector<std::string>{"Dravik::PSE_Copy: Error 195"}, logged("ERROR", "VelonAPI::copyKeyContainer"));
    EXPECT_EQ("0", call("clearCachedKeyPasswords").text());
    EXPECT_TRUE(sign(dir.file("copy")).ok);
    EXPECT_EQ(2, asked);
    DravikTest_ForceResult("ClearPrivateKeys", 1, DRAVIK_E_INTERNAL);
    EXPECT_EQ("error: Internal error", call("clearCachedKeyPasswords").text());
    EXPECT_EQ(std::vector<std::string>{"Dravik::ClearPrivateKeys: Error 212"},
              logged("ERROR", "VelonAPI::clearCachedKeyPasswords"));
}

}  // namespace
}  // namespace velon_test
