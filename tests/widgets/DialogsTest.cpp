// The plug-in's small dialogs played through the desktop: answers, results,
// focus, layout and the close hook.
#include "WidgetFixture.h"

#include "widgets/TCheckSiteDialog.h"
#include "widgets/TConfirmDialog.h"
#include "widgets/TEnterPasswordDialog.h"
#include "widgets/TInfoDialog.h"
#include "widgets/TNewPasswordDialog.h"
#include "widgets/TProgressDialog.h"

namespace widgets_test {
namespace {

using Answer = std::function<void(User&)>;

const Control kPasswordField = Control::byClass(L"EDIT");
const Control kConfirmField = Control::byClass(L"EDIT", 1);

struct PasswordCase {
    const char* name;
    Answer answer;  // empty: nobody answers
    int result;
    std::wstring password;
};

class EnterPassword : public WidgetTest, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(EnterPassword, AnsweredOrCancelled) {
    const PasswordCase& c = GetParam();
    TEnterPasswordDialog dialog;
    dialog.title = L"Enter password - Orvanta Signature Plugin";
    dialog.labelText = L"Enter password for private key";
    dialog.text = L"/keys/user.key";
    dialog.focusButton = 1;
    dialog.maxLength = 8;
    win32::desktop::ScopedHandler handler(c.answer);
    EXPECT_EQ(c.result, dialog.run());
    EXPECT_EQ(c.result, dialog.result);
    EXPECT_EQ(c.password, dialog.getPassword());
    EXPECT_EQ(static_cast<int>(c.password.size()), dialog.passwordLength);
}

void typeThenOk(User& u) {
    u.type(kPasswordField, L"s\u00e9cret");
    u.click(Control::byText(L"Ok"));
}
void typeThenEnter(User& u) {
    u.type(kPasswordField, L"1234");
    u.press(VK_RETURN);
}
void typeTooMuch(User& u) {
    u.type(kPasswordField, L"0123456789");
    u.press(VK_RETURN);
}
// Two bytes each in UTF-8: only four fit in eight bytes.
void typeTooManyBytes(User& u) {
    u.type(kPasswordField, L"\u00e9\u00e9\u00e9\u00e9\u00e9");
    u.press(VK_RETURN);
}
void typeThenEscape(User& u) {
    u.type(kPasswordField, L"1234");
    u.press(VK_ESCAPE);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, EnterPassword,
    ::testing::Values(PasswordCase{"ok", typeThenOk, 1, L"s\u00e9cret"},
                      PasswordCase{"enter", typeThenEnter, 1, L"1234"},
                      PasswordCase{"limited", typeTooMuch, 1, L"01234567"},
                      PasswordCase{"limited_in_bytes", typeTooManyBytes, 1, L"\u00e9\u00e9\u00e9\u00e9"},
                      PasswordCase{"escape_leaves_it_unread", typeThenEscape, 0, L""},
                      PasswordCase{"cancel", [](User& u) { u.click(Control::byText(L"Cancel")); }, 0, L""},
                      PasswordCase{"title_bar", [](User& u) { u.close(); }, 0, L""},
                      PasswordCase{"nobody", nullptr, 0, L""}),
    [](const ::testing::TestParamInfo<PasswordCase>& info) { return info.param.name; });

TEST_F(WidgetTest, PasswordDialogLayout) {
    TEnterPasswordDialog dialog;
    dialog.text = std::wstring(60, L'x');  // 480 pixels: wider than the default content
    dialog.focusButton = 1;
    win32::desktop::ScopedHandler handler([&](User& user) {
        EXPECT_EQ(L"Dialog", user.title());
        EXPECT_EQ(dialog.passwordEdit->win32()->getHwnd(), GetFocus());  // the field takes the focus last
        RECT ok = placeOf(user.find(Control::byText(L"Ok")));
        RECT cancel = placeOf(user.find(Control::byText(L"Cancel")));
        RECT client = clientOf(user.window());
        EXPECT_EQ(62 + 480 + 15, client.right);
        EXPECT_EQ(ok.right - ok.left, cancel.right - cancel.left);
        EXPECT_EQ(15, cancel.left - ok.right);
        EXPECT_EQ(15, client.right - cancel.right);
        EXPECT_EQ(15, client.bottom - cancel.bottom);
        EXPECT_EQ(323, dialog.passwordEdit->getWidth());  // the field keeps the default content width
    });
    dialog.run();
}

struct ConfirmCase {
    const char* name;
    Answer answer;
    int result;
};

class Confirm : public WidgetTest, public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(Confirm, FirstButtonOrEnterConfirms) {
    TConfirmDialog dialog;
    dialog.setTitle(L"Token is not present");
    dialog.setText(L"Please insert the token for\n" + std::wstring(80, L'e'));
    dialog.setButtonText(1, L"Retry");
    dialog.setButtonText(0, L"Cancel");
    win32::desktop::ScopedHandler handler(GetParam().answer);
    EXPECT_EQ(GetParam().result, dialog.run());
}

INSTANTIATE_TEST_SUITE_P(Answers, Confirm,
                         ::testing::Values(ConfirmCase{"retry", [](User& u) { u.click(Control::byText(L"Retry")); }, 1},
                                           ConfirmCase{"cancel", [](User& u) { u.click(Control::byText(L"Cancel")); }, 0},
                                           ConfirmCase{"enter", [](User& u) { u.press(VK_RETURN); }, 1},
                                           ConfirmCase{"escape", [](User& u) { u.press(VK_ESCAPE); }, 0},
                                           ConfirmCase{"nobody", nullptr, 0}),
                         [](const ::testing::TestParamInfo<ConfirmCase>& info) { return info.param.name; });

TEST_F(WidgetTest, ConfirmWrapsAndInfoWidens) {
    TConfirmDialog confirm;
    std::wstring words;
    for (int i = 0; i < 30; ++i) words += L"wrapping ";
    confirm.setText(words);
    RECT confirmClient{};
    win32::desktop::queueAnswer([&](User& user) {
        confirmClient = clientOf(user.window());
        EXPECT_NE(user.find(Control::byText(L"Ok")), GetFocus());  // focusButton -1: no button has it
        EXPECT_NE(user.find(Control::byText(L"Cancel")), GetFocus());
        user.press(VK_ESCAPE);
    });
    EXPECT_EQ(0, confirm.run());
    EXPECT_EQ(400, confirmClient.right);  // the text wraps; the dialog grows downwards
    EXPECT_EQ(confirm.height, confirmClient.bottom);
    EXPECT_GE(confirm.height, 3 * 16 + 30 + 15 + 30);

    TInfoDialog info;
    info.setText(std::wstring(70, L'i'));
    RECT infoClient{};
    win32::desktop::queueAnswer([&](User& user) {
        infoClient = clientOf(user.window());
        user.press(VK_ESCAPE);
    });
    EXPECT_EQ(1, info.run(nullptr, L"icon-error"));  // every way out answers 1
    EXPECT_EQ(62 + 70 * 8 + 15, infoClient.right);
    EXPECT_EQ(16 + 30 + 15 + 30, infoClient.bottom);
    EXPECT_EQ(1, TInfoDialog().run(nullptr, L"icon-info"));  // nobody answers: closed all the same
}

struct SiteCase {
    const char* name;
    Answer answer;
    int result;
    bool remember;
};

class CheckSite : public WidgetTest, public ::testing::WithParamInterface<SiteCase> {};

TEST_P(CheckSite, ResultAndRememberFlag) {
    const SiteCase& c = GetParam();
    TCheckSiteDialog dialog;
    dialog.okText = L"Continue";
    dialog.cancelText = L"Cancel";
    dialog.focusButton = 0;
    dialog.text = L"This website would like to access...\n\nhttps://example.org\n\n";
    dialog.checkBoxText = L"Always allow this website to access";
    win32::desktop::ScopedHandler handler([&](User& user) {
        EXPECT_EQ(user.find(Control::byText(L"Cancel")), GetFocus());
        EXPECT_FALSE(user.isChecked(Control::byText(dialog.checkBoxText)));
        c.answer(user);
    });
    EXPECT_EQ(c.result, dialog.run());
    EXPECT_EQ(c.remember, dialog.rememberSite);
}

const Control kBox = Control::byText(L"Always allow this website to access");

void tickThenContinue(User& u) {
    u.check(kBox);
    u.click(Control::byText(L"Continue"));
}
void tickUntickThenEnter(User& u) {
    u.check(kBox);
    u.check(kBox, false);
    u.press(VK_RETURN);
}
void tickThenEscape(User& u) {
    u.check(kBox);
    u.press(VK_ESCAPE);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CheckSite,
    ::testing::Values(SiteCase{"continue", [](User& u) { u.click(Control::byText(L"Continue")); }, 1, false},
                      SiteCase{"ticked_then_continue", tickThenContinue, 1, true},
                      SiteCase{"ticked_and_unticked", tickUntickThenEnter, 1, false},
                      SiteCase{"enter_with_cancel_focused", [](User& u) { u.press(VK_RETURN); }, 1, false},
                      SiteCase{"ticked_then_escape", tickThenEscape, 0, true},
                      SiteCase{"looks_only", [](User&) {}, 0, false}),
    [](const ::testing::TestParamInfo<SiteCase>& info) { return info.param.name; });

TEST_F(WidgetTest, RememberFlagSetBeforehandLeavesTheBoxUnticked) {
    TCheckSiteDialog dialog;
    dialog.checkBoxText = L"Remember";
    dialog.text = L"https://" + std::wstring(120, L's') + L".example.org";  // wraps within the text width
    EXPECT_TRUE(dialog.setRememberSite(true));
    bool ticked = true;
    RECT client{};
    win32::desktop::ScopedHandler handler([&](User& user) {
        ticked = user.isChecked(Control::byText(L"Remember"));
        client = clientOf(user.window());
    });
    EXPECT_EQ(0, dialog.run());
    EXPECT_FALSE(ticked);
    EXPECT_EQ(500, client.right);
    EXPECT_TRUE(dialog.rememberSite);
}

// The close hook as the plug-in uses it: different passwords are refused
// with a message of their own, the dialog staying open.
int hookCalls = 0;
bool samePasswords(TDialog* dialog) {
    ++hookCalls;
    auto* passwords = static_cast<TNewPasswordDialog*>(dialog);
    if (passwords->result != 1 || passwords->password == passwords->confirmPassword) return true;
    TInfoDialog mismatch;
    mismatch.setTitle(L"Error");
    mismatch.setText(L"Passwords don't match try again");
    mismatch.run(nullptr, L"icon-error");
    return false;
}

TEST_F(WidgetTest, NewPasswordHookKeepsTheDialogOpen) {
    hookCalls = 0;
    TNewPasswordDialog dialog;
    dialog.hook = &samePasswords;
    dialog.labelText = L"Enter new password for private key";
    dialog.confirmLabelText = L"Confirm password:";
    std::wstring firstAfterRefusal;
    bool openAfterRefusal = false;
    int nestedDepth = 0;
    win32::desktop::ScopedHandler handler([&](User& user) {
        if (user.depth() == 2) {  // the hook's message
            nestedDepth = 2;
            EXPECT_EQ(L"Error", user.title());
            user.press(VK_RETURN);
            return;
        }
        user.type(kPasswordField, L"Secret#1");
        user.type(kConfirmField, L"Secret#2");
        user.click(Control::byText(L"Ok"));
        openAfterRefusal = user.isOpen();
        firstAfterRefusal = user.text(kPasswordField);
        EXPECT_EQ(1, dialog.result);  // set before the hook was asked
        user.click(Control::byText(L"Cancel"));
    });
    EXPECT_EQ(0, dialog.run());
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(L"Secret#1", firstAfterRefusal);
    EXPECT_EQ(2, nestedDepth);
    EXPECT_EQ(2, hookCalls);

    TNewPasswordDialog again;
    again.hook = &samePasswords;
    win32::desktop::queueAnswer([](User& user) {
        user.type(kPasswordField, L"Secret#1");
        user.type(kConfirmField, L"Secret#1");
        user.press(VK_RETURN);
    });
    EXPECT_EQ(1, again.run());
    EXPECT_EQ(L"Secret#1", again.getPassword());
    EXPECT_EQ(8, again.getConfirmPasswordLength());
}

TEST_F(WidgetTest, NewPasswordFieldsTakeNoMoreBytesThanTheLimit) {
    TNewPasswordDialog dialog;
    dialog.maxLength = 7;  // "Пароль" is twelve bytes; "Пар" six, "Пар1" seven
    win32::desktop::queueAnswer([](User& user) {
        user.type(kPasswordField, L"\u041f\u0430\u04401\u043e\u043b\u044c");
        user.type(kConfirmField, L"\u041f\u0430\u04401\u043e\u043b\u044c");
        user.press(VK_RETURN);
    });
    EXPECT_EQ(1, dialog.run());
    EXPECT_EQ(L"\u041f\u0430\u04401", dialog.getPassword());
    EXPECT_EQ(L"\u041f\u0430\u04401", dialog.getConfirmPassword());
}

// Every dialog of the toolkit is shown from the same in-memory template: a
// popup with a caption and no system menu, centred and topmost, its size
// given in dialog units.
TEST_F(WidgetTest, DialogTemplate) {
    const LONG units = GetDialogBaseUnits();
    const int baseWidth = LOWORD(units);
    const int baseHeight = HIWORD(units);
    ASSERT_NE(4, baseWidth) << "pixels and dialog units would not differ";
    HostDialog plain;  // builds nothing: the window keeps the template's size
    TInfoDialog info;
    TEnterPasswordDialog password;
    const struct {
        const char* name;
        std::function<void()> show;
    } dialogs[] = {
        {"plain", [&] { plain.show(); }},
        {"information", [&] { info.run(nullptr, L"icon-info"); }},
        {"password", [&] { password.run(); }},
    };
    for (const auto& d : dialogs) {
        DWORD style = 0;
        DWORD exStyle = 0;
        RECT client{};
        win32::desktop::queueAnswer([&](User& user) {
            style = static_cast<DWORD>(GetWindowLongW(user.window(), GWL_STYLE));
            exStyle = static_cast<DWORD>(GetWindowLongW(user.window(), GWL_EXSTYLE));
            client = clientOf(user.window());
            user.press(VK_ESCAPE);
        });
        d.show();
        const DWORD wanted = WS_POPUP | WS_CAPTION | DS_CENTER;
        EXPECT_EQ(wanted, style & wanted) << d.name;
        EXPECT_EQ(0u, style & WS_SYSMENU) << d.name;
        EXPECT_NE(0u, exStyle & WS_EX_TOPMOST) << d.name;
        if (std::string(d.name) == "plain") {
            // 400 by 300 pixels became dialog units, and the dialog manager
            // turned them back into the client area's pixels.
            EXPECT_EQ(MulDiv(MulDiv(400, 4, baseWidth), baseWidth, 4), client.right);
            EXPECT_EQ(MulDiv(MulDiv(300, 8, baseHeight), baseHeight, 8), client.bottom);
        }
    }
    EXPECT_EQ(3u, journalCount("DialogBoxIndirectParamW"));
}

TEST_F(WidgetTest, OwnerIsTheParentsWindowOrTheForegroundWindow) {
    HostDialog host;
    HWND hostWindow = nullptr;
    HWND nestedOwner = nullptr;
    win32::desktop::ScopedHandler handler([&](User& user) {
        if (user.title() != L"Host") {
            nestedOwner = GetParent(user.window());
            return;
        }
        hostWindow = user.window();
        TInfoDialog().run(&host, L"icon-info");
    });
    host.show();
    EXPECT_EQ(hostWindow, nestedOwner);
    HWND page = CreateWindowExW(0, L"STATIC", L"page", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr, nullptr,
                                nullptr, nullptr);
    SetForegroundWindow(page);
    TInfoDialog().run(nullptr, L"icon-info");  // no parent: the foreground window owns it
    EXPECT_EQ(page, nestedOwner);
    TInfoDialog().run(&host, L"icon-info");  // the parent's window is gone: no owner
    EXPECT_EQ(nullptr, nestedOwner);
    DestroyWindow(page);
}

TEST_F(WidgetTest, TwoDialogsShareOneApplication) {
    auto first = std::make_unique<TInfoDialog>();
    TInfoDialog second;
    EXPECT_TRUE(first->ownsApplication);
    EXPECT_FALSE(second.ownsApplication);
    first.reset();
    EXPECT_EQ(nullptr, TApplication::current());
    EXPECT_EQ(1, second.run(nullptr, L"icon-info"));  // still shown, with the process's module
}

TEST(ProgressInput, KeysAndTravelCountAtMostEvery101Milliseconds) {
    using std::chrono::milliseconds;
    TProgressDialog dialog;  // 400 x 300: a diagonal of 500
    TProgressDialog::Clock::time_point start{std::chrono::hours(1)};
    struct Step {
        int ms;
        int a;
        int b;
        int kind;
        bool counted;
    } steps[] = {
        {0, 65, 0, 11, true},     // A
        {50, 66, 0, 11, false},   // too soon
        {101, 65, 0, 11, false},  // A again
        {102, 66, 0, 11, true},   // B
        {300, 100, 0, 7, false},  // travel 100: 400 is not above 500
        {500, 130, 0, 7, true},   // travel 130: 520
        {700, 130, 200, 6, false},  // travel 200: 400 (half move)
        {900, 130, 260, 6, true},   // travel 260: 520
        {1100, 0, 0, 3, false},     // unknown kind
    };
    for (const Step& s : steps)
        EXPECT_EQ(s.counted, dialog.acceptInput(s.a, s.b, s.kind, start + milliseconds(s.ms))) << s.ms;
    for (int key = 0; key < 10; ++key) dialog.acceptInput(200 + key, 0, 11, start + milliseconds(2000 + 200 * key));
    EXPECT_EQ(10u, dialog.lastKeys.size());
    EXPECT_TRUE(dialog.acceptInput(65, 0, 11, start + milliseconds(5000)));  // A was pushed out
}

TEST_F(WidgetTest, ProgressDialogClosesOnlyWithCancel) {
    TProgressDialog dialog;
    win32::desktop::ScopedHandler handler([&](User& user) {
        user.press('A');  // counted: the step grows
        user.press(VK_RETURN);
        EXPECT_TRUE(user.isOpen());
        user.press(VK_ESCAPE);
    });
    dialog.result = 5;
    EXPECT_EQ(0, dialog.run());
    EXPECT_EQ(2, dialog.inputCounter);
}

}  // namespace
}  // namespace widgets_test
