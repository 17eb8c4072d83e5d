// Modal dialogs from in-memory templates, answered through the desktop, or cancelled because
// nobody answered.
#include "DesktopFixture.h"

#include <win32/answers.h>

#include <functional>
#include <sstream>
#include <stdexcept>

namespace {

using win32::desktop::Control;
using win32::desktop::User;
using win32test::DesktopTest;
using win32test::TemplateBuilder;

const int kPasswordField = 100;

std::wstring readPassword;
bool okSeen = false;

INT_PTR CALLBACK passwordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      readPassword.clear();
      okSeen = false;
      return TRUE;  // the focus goes to the first tab stop, the password field
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        wchar_t text[64];
        GetDlgItemTextW(dialog, kPasswordField, text, 64);
        readPassword = text;
        okSeen = true;
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

TemplateBuilder passwordTemplate() {
  TemplateBuilder builder(WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_SETFONT, 200, 80, L"Sign in");
  builder.font(8, L"MS Shell Dlg")
      .item(L"STATIC", -1, SS_LEFT, 7, 7, 100, 8, L"&Password:")
      .item(L"EDIT", kPasswordField, ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 20, 186, 14, L"")
      .item(L"BUTTON", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 90, 60, 50, 14, L"OK")
      .item(L"BUTTON", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 143, 60, 50, 14, L"Cancel");
  return builder;
}

INT_PTR runPasswordDialog(HWND owner = nullptr) {
  TemplateBuilder builder = passwordTemplate();
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), builder.get(), owner, passwordProc, 0);
}

struct AnswerCase {
  const char* name;
  std::function<void(User&)> answer;  // empty: nobody answers
  INT_PTR result;
  bool ok;
  std::wstring password;
};

class PasswordDialog : public DesktopTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(PasswordDialog, AnsweredOrCancelled) {
  const AnswerCase& c = GetParam();
  win32::desktop::ScopedHandler handler(c.answer);
  EXPECT_EQ(c.result, runPasswordDialog());
  EXPECT_EQ(c.ok, okSeen);
  EXPECT_EQ(c.password, readPassword);
  EXPECT_EQ(1u, journalCount("DialogBoxIndirectParamW", "Sign in"));
  EXPECT_EQ(nullptr, FindWindowExW(nullptr, nullptr, L"#32770", L"Sign in"));  // the dialog is gone
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PasswordDialog,
    ::testing::Values(
        AnswerCase{"type_then_ok",
                   [](User& user) {
                     EXPECT_TRUE(user.type(Control::byId(kPasswordField), L"secret"));
                     EXPECT_TRUE(user.click(Control::byText(L"OK")));
                   },
                   IDOK, true, L"secret"},
        AnswerCase{"type_then_enter",
                   [](User& user) {
                     user.type(Control::byClass(L"edit"), L"p\x00E4ss");
                     user.press(VK_RETURN);
                   },
                   IDOK, true, L"p\x00E4ss"},
        AnswerCase{"type_then_escape",
                   [](User& user) {
                     user.type(Control::byId(kPasswordField), L"never read");
                     user.press(VK_ESCAPE);
                   },
                   IDCANCEL, false, L""},
        AnswerCase{"corrected_typing",
                   [](User& user) {
                     user.type(Control::byId(kPasswordField), L"wrong");
                     user.clear(Control::byId(kPasswordField));
                     user.type(Control::byId(kPasswordField), L"right");
                     user.click(Control::byId(IDOK));
                   },
                   IDOK, true, L"right"},
        AnswerCase{"title_bar_close", [](User& user) { user.close(); }, IDCANCEL, false, L""},
        AnswerCase{"looks_but_does_nothing",
                   [](User& user) { EXPECT_EQ(L"Sign in", user.title()); },
                   IDCANCEL, false, L""},
        AnswerCase{"handler_throws", [](User&) { throw std::runtime_error("lost"); }, IDCANCEL, false, L""},
        AnswerCase{"nobody", nullptr, IDCANCEL, false, L""}),
    [](const ::testing::TestParamInfo<AnswerCase>& info) { return info.param.name; });

TEST_F(DesktopTest, NobodyAnsweringIsRecorded) {
  EXPECT_EQ(IDCANCEL, runPasswordDialog());
  EXPECT_EQ(1u, journalCount("modal.unanswered", "Sign in"));
  EXPECT_EQ(1u, journalCount("modal.cancel", "Sign in"));
  EXPECT_EQ(0u, journalCount("modal.forced"));
}

INT_PTR CALLBACK stubbornProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG || message == WM_COMMAND;  // never ends itself
}

TEST_F(DesktopTest, DialogThatRefusesToCloseIsEndedAnyway) {
  TemplateBuilder builder = passwordTemplate();
  EXPECT_EQ(IDCANCEL, DialogBoxIndirectParamW(nullptr, builder.get(), nullptr, stubbornProc, 0));
  EXPECT_EQ(1u, journalCount("modal.forced", "Sign in"));
}

TEST_F(DesktopTest, OwnerIsDisabledWhileTheDialogRuns) {
  HWND owner = keep(CreateWindowExW(0, win32test::recordingClass(), L"page", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                    800, 600, nullptr, nullptr, nullptr, nullptr));
  SetForegroundWindow(owner);
  bool ownerEnabled = true;
  HWND foreground = nullptr;
  win32::desktop::ScopedHandler handler([&](User& user) {
    ownerEnabled = IsWindowEnabled(owner) != 0;
    foreground = GetForegroundWindow();
    EXPECT_EQ(owner, GetParent(user.window()));
    EXPECT_EQ(1, user.depth());
    user.press(VK_ESCAPE);
  });
  EXPECT_EQ(IDCANCEL, runPasswordDialog(owner));
  EXPECT_FALSE(ownerEnabled);
  EXPECT_NE(owner, foreground);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(owner, GetForegroundWindow());
}

// A dialog built as the widget toolkit builds them: a template without items, every control
// created in WM_INITDIALOG in pixels, buttons without identifiers.
struct ToolkitDialog {
  HWND ok = nullptr;
  HWND cancel = nullptr;
  RECT client{};
  RECT window{};
  std::vector<int> commands;
};
ToolkitDialog toolkit;

INT_PTR CALLBACK toolkitProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetWindowTextW(dialog, L"Check site - Orvanta Signature Plugin");
    toolkit.ok = CreateWindowExW(0, L"BUTTON", L"Continue", 0x50810000, 200, 100, 80, 30, dialog, nullptr, nullptr, nullptr);
    toolkit.cancel = CreateWindowExW(0, L"BUTTON", L"Cancel", 0x50810000, 300, 100, 80, 30, dialog, nullptr, nullptr, nullptr);
    GetClientRect(dialog, &toolkit.client);
    GetWindowRect(dialog, &toolkit.window);
    SetFocus(toolkit.cancel);
    SetForegroundWindow(dialog);
    return FALSE;
  }
  if (message == WM_COMMAND) {
    toolkit.commands.push_back(LOWORD(wParam));
    if (LOWORD(wParam) == IDOK) EndDialog(dialog, 1);
    if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
    return TRUE;
  }
  return FALSE;
}

std::vector<unsigned char> toolkitTemplate(int width, int height) {
  LONG units = GetDialogBaseUnits();
  std::vector<unsigned char> bytes(24, 0);
  DWORD style = 0x90C00800, exStyle = WS_EX_TOPMOST;
  short cx = static_cast<short>(MulDiv(width, 4, LOWORD(units)));
  short cy = static_cast<short>(MulDiv(height, 8, HIWORD(units)));
  std::memcpy(&bytes[0], &style, 4);
  std::memcpy(&bytes[4], &exStyle, 4);
  std::memcpy(&bytes[14], &cx, 2);
  std::memcpy(&bytes[16], &cy, 2);
  return bytes;
}

struct KeyCase {
  const char* name;
  int key;
  INT_PTR result;
  int command;
};

class ToolkitKeys : public DesktopTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ToolkitKeys, EnterAndEscapeWhateverHasTheFocus) {
  const KeyCase& c = GetParam();
  toolkit = ToolkitDialog{};
  win32::desktop::ScopedHandler handler([&](User& user) {
    EXPECT_EQ(toolkit.cancel, GetFocus());
    user.press(c.key);
  });
  auto bytes = toolkitTemplate(400, 300);
  INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(bytes.data()),
                                           nullptr, toolkitProc, 0);
  EXPECT_EQ(c.result, result);
  EXPECT_EQ(std::vector<int>{c.command}, toolkit.commands);
  // The template's size is the client area in pixels; the frame adds a caption and borders.
  EXPECT_EQ(400, toolkit.client.right);
  EXPECT_EQ(300, toolkit.client.bottom);
  EXPECT_EQ(406, toolkit.window.right - toolkit.window.left);
  EXPECT_EQ(329, toolkit.window.bottom - toolkit.window.top);
  EXPECT_EQ((1920 - 406) / 2, toolkit.window.left);  // centred
}

INSTANTIATE_TEST_SUITE_P(Keys, ToolkitKeys,
                         ::testing::Values(KeyCase{"enter", VK_RETURN, 1, IDOK}, KeyCase{"escape", VK_ESCAPE, 0, IDCANCEL}),
                         [](const ::testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

// Choices: a box, a combo entry, a list item and a tree item, read by the dialog on OK.
struct Choices {
  bool ticked = false;
  int comboSelection = -1;
  int listSelection = -1;
  std::wstring treeSelection;
  int expansions = 0;
};
Choices choices;

INT_PTR CALLBACK choicesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      for (const wchar_t* text : {L"All files (*.*)", L"Certificates"})
        SendDlgItemMessageW(dialog, 11, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      SendDlgItemMessageW(dialog, 11, CB_SETCURSEL, 0, 0);
      for (const wchar_t* text : {L"File system", L"eToken 0"}) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(SendDlgItemMessageW(dialog, 12, LVM_GETITEMCOUNT, 0, 0));
        item.pszText = const_cast<LPWSTR>(text);
        SendDlgItemMessageW(dialog, 12, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
      }
      TVINSERTSTRUCTW insert{};
      insert.hParent = TVI_ROOT;
      insert.hInsertAfter = TVI_LAST;
      insert.item.mask = TVIF_TEXT | TVIF_CHILDREN;
      insert.item.pszText = const_cast<LPWSTR>(L"C:\\");
      insert.item.cChildren = 1;  // children come on expansion
      SendDlgItemMessageW(dialog, 13, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
      return TRUE;
    }
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->code == TVN_ITEMEXPANDEDW) {
        ++choices.expansions;
        auto* info = reinterpret_cast<NMTREEVIEWW*>(lParam);
        TVINSERTSTRUCTW insert{};
        insert.hParent = info->itemNew.hItem;
        insert.hInsertAfter = TVI_SORT;
        insert.item.mask = TVIF_TEXT;
        for (const wchar_t* name : {L"Keys", L"Certs"}) {
          insert.item.pszText = const_cast<LPWSTR>(name);
          SendMessageW(header->hwndFrom, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert));
        }
      }
      if (header->code == TVN_SELCHANGEDW) {
        auto* info = reinterpret_cast<NMTREEVIEWW*>(lParam);
        wchar_t text[64] = {};
        TVITEMW item{};
        item.mask = TVIF_TEXT;
        item.hItem = info->itemNew.hItem;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(header->hwndFrom, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        choices.treeSelection = text;
      }
      if (header->code == LVN_ITEMCHANGED) {
        auto* info = reinterpret_cast<NMLISTVIEW*>(lParam);
        if (info->uNewState & LVIS_SELECTED) choices.listSelection = info->iItem;
      }
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == 10 && HIWORD(wParam) == BN_CLICKED) {  // a manual box, toggled here
        LRESULT state = SendDlgItemMessageW(dialog, 10, BM_GETCHECK, 0, 0);
        SendDlgItemMessageW(dialog, 10, BM_SETCHECK, state ? BST_UNCHECKED : BST_CHECKED, 0);
      }
      if (LOWORD(wParam) == 11 && HIWORD(wParam) == CBN_SELCHANGE)
        choices.comboSelection = static_cast<int>(SendDlgItemMessageW(dialog, 11, CB_GETCURSEL, 0, 0));
      if (LOWORD(wParam) == IDOK) {
        choices.ticked = IsDlgButtonChecked(dialog, 10) == BST_CHECKED;
        EndDialog(dialog, IDOK);
      }
      if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

TEST_F(DesktopTest, ChoicesInEveryKindOfControl) {
  TemplateBuilder builder(WS_POPUP | WS_CAPTION, 300, 200, L"Choose");
  builder.item(L"BUTTON", 10, BS_CHECKBOX | WS_TABSTOP, 5, 5, 100, 10, L"&Remember this site")
      .item(L"COMBOBOX", 11, CBS_DROPDOWNLIST | WS_TABSTOP, 5, 20, 100, 50, L"")
      .item(L"SysListView32", 12, LVS_LIST | WS_TABSTOP, 5, 40, 100, 60, L"")
      .item(L"SysTreeView32", 13, TVS_HASBUTTONS | WS_TABSTOP, 110, 40, 100, 60, L"")
      .item(L"BUTTON", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 200, 180, 40, 14, L"OK");
  choices = Choices{};
  std::vector<std::wstring> comboItems;
  win32::desktop::ScopedHandler handler([&](User& user) {
    comboItems = user.items(Control::byClass(L"COMBOBOX"));
    EXPECT_TRUE(user.check(Control::byText(L"Remember this site")));
    EXPECT_TRUE(user.isChecked(Control::byId(10)));
    EXPECT_TRUE(user.select(Control::byId(11), L"Certificates"));
    EXPECT_FALSE(user.select(Control::byId(11), L"No such entry"));
    EXPECT_TRUE(user.select(Control::byClass(L"SysListView32"), L"eToken 0"));
    EXPECT_TRUE(user.select(Control::byId(13), L"C:\\Keys"));
    EXPECT_FALSE(user.click(Control::byText(L"Missing")));
    user.click(Control::byText(L"OK"));
    EXPECT_FALSE(user.isOpen());
    EXPECT_FALSE(user.click(Control::byText(L"OK")));  // the dialog has ended
  });
  ASSERT_EQ(IDOK, DialogBoxIndirectParamW(nullptr, builder.get(), nullptr, choicesProc, 0));
  EXPECT_EQ((std::vector<std::wstring>{L"All files (*.*)", L"Certificates"}), comboItems);
  EXPECT_TRUE(choices.ticked);
  EXPECT_EQ(1, choices.comboSelection);
  EXPECT_EQ(1, choices.listSelection);
  EXPECT_EQ(L"Keys", choices.treeSelection);
  EXPECT_EQ(1, choices.expansions);
}

// A dialog whose OK asks a second question, as a new-password dialog asks for confirmation.
INT_PTR CALLBACK askingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    TemplateBuilder confirm = passwordTemplate();
    INT_PTR answer = DialogBoxIndirectParamW(nullptr, confirm.get(), dialog, passwordProc, 0);
    if (answer == IDOK) EndDialog(dialog, IDOK);  // a refusal keeps the first dialog open
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

TEST_F(DesktopTest, NestedDialogsTakeQueuedAnswersInOrder) {
  std::vector<int> depths;
  win32::desktop::queueAnswer([&](User& user) {
    depths.push_back(user.depth());
    user.click(Control::byText(L"OK"));  // opens the nested question, refused below
    EXPECT_TRUE(user.isOpen());
    user.click(Control::byText(L"OK"));  // asks again, accepted below
  });
  win32::desktop::queueAnswer([&](User& user) {
    depths.push_back(user.depth());
    user.press(VK_ESCAPE);
  });
  win32::desktop::queueAnswer([&](User& user) {
    depths.push_back(user.depth());
    user.type(Control::byId(kPasswordField), L"again");
    user.press(VK_RETURN);
  });
  TemplateBuilder outer = passwordTemplate();
  EXPECT_EQ(IDOK, DialogBoxIndirectParamW(nullptr, outer.get(), nullptr, askingProc, 0));
  EXPECT_EQ((std::vector<int>{1, 2, 2}), depths);
  EXPECT_EQ(0u, win32::desktop::pendingAnswers());
  EXPECT_EQ(L"again", readPassword);
}

TEST_F(DesktopTest, AnswerFileDrivesTheDialogs) {
  std::istringstream script(
      "# a host tool's answers\n"
      "dialog Sign in\n"
      "  type #100 \"from \\\"file\\\"\"\n"
      "  key enter\n"
      "\n"
      "dialog Another title\n"
      "  click \"OK\"\n"
      "dialog\n"
      "  type EDIT[0] rest of the line\n"
      "  click \"OK\"\n");
  win32::desktop::AnswerFileError error;
  auto answers = win32::desktop::parseAnswers(script, &error);
  ASSERT_EQ(3u, answers.size()) << error.message;
  for (auto& answer : answers) win32::desktop::queueAnswer(answer);
  EXPECT_EQ(IDOK, runPasswordDialog());
  EXPECT_EQ(L"from \"file\"", readPassword);
  EXPECT_EQ(IDCANCEL, runPasswordDialog());  // the title does not match: cancelled
  EXPECT_EQ(1u, journalCount("answer.mismatch", "Sign in"));
  EXPECT_EQ(IDOK, runPasswordDialog());
  EXPECT_EQ(L"rest of the line", readPassword);
}

struct ScriptError {
  const char* name;
  const char* script;
  int line;
};

class AnswerFileErrors : public ::testing::TestWithParam<ScriptError> {};

TEST_P(AnswerFileErrors, ReportTheLine) {
  std::istringstream script(GetParam().script);
  win32::desktop::AnswerFileError error;
  EXPECT_TRUE(win32::desktop::parseAnswers(script, &error).empty());
  EXPECT_EQ(GetParam().line, error.line);
  EXPECT_FALSE(error.message.empty());
}

INSTANTIATE_TEST_SUITE_P(Scripts, AnswerFileErrors,
                         ::testing::Values(ScriptError{"action_first", "click #1\n", 1},
                                           ScriptError{"unknown_action", "dialog\nwave #1\n", 2},
                                           ScriptError{"unknown_key", "dialog\nkey hyper\n", 2},
                                           ScriptError{"open_quote", "dialog\n\ntype #1 \"abc\n", 3},
                                           ScriptError{"bad_id", "save\nclick #x\n", 2}),
                         [](const ::testing::TestParamInfo<ScriptError>& info) { return info.param.name; });

TEST_F(DesktopTest, TabMovesAmongTabStops) {
  std::vector<int> focused;
  win32::desktop::ScopedHandler handler([&](User& user) {
    for (int i = 0; i < 3; ++i) {
      focused.push_back(GetDlgCtrlID(GetFocus()));
      user.press(VK_TAB);
    }
    win32::desktop::setKeyDown(VK_SHIFT, true);
    user.press(VK_TAB);
    win32::desktop::setKeyDown(VK_SHIFT, false);
    focused.push_back(GetDlgCtrlID(GetFocus()));
  });
  runPasswordDialog();
  EXPECT_EQ((std::vector<int>{kPasswordField, IDOK, IDCANCEL, IDCANCEL}), focused);
}

}  // namespace
