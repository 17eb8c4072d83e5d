// Each system control's state machine for the messages it answers, and what its parent hears.
#include <algorithm>
#include "DesktopFixture.h"

namespace {

using win32test::DesktopTest;

struct Heard {
  UINT message;
  UINT code;  // WM_COMMAND notification or WM_NOTIFY code
  HWND from;
  int item = -1;
  UINT newState = 0;
  UINT oldState = 0;
};

std::vector<Heard>& heard() {
  static std::vector<Heard> list;
  return list;
}

LRESULT CALLBACK parentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) heard().push_back(Heard{message, HIWORD(wParam), reinterpret_cast<HWND>(lParam)});
  if (message == WM_NOTIFY) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    Heard h{message, header->code, header->hwndFrom};
    if (header->code == LVN_ITEMCHANGED) {
      auto* list = reinterpret_cast<NMLISTVIEW*>(lParam);
      h.item = list->iItem;
      h.newState = list->uNewState;
      h.oldState = list->uOldState;
    }
    if (header->code == TVN_ITEMEXPANDINGW || header->code == TVN_ITEMEXPANDEDW ||
        header->code == TVN_SELCHANGEDW)
      h.item = static_cast<int>(reinterpret_cast<NMTREEVIEWW*>(lParam)->action);
    heard().push_back(h);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

std::vector<UINT> codes(UINT message) {
  std::vector<UINT> result;
  for (const auto& h : heard())
    if (h.message == message) result.push_back(h.code);
  return result;
}

class Controls : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    static bool registered = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = parentProc;
      wc.lpszClassName = L"ControlParent";
      return RegisterClassExW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    parent_ = keep(CreateWindowExW(0, L"ControlParent", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr,
                                   nullptr, nullptr, nullptr));
    heard().clear();
  }
  HWND make(const wchar_t* cls, DWORD style, const wchar_t* text = L"", int id = 100) {
    HWND hwnd = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 10, 10, 100, 20, parent_,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
    heard().clear();
    return hwnd;
  }
  HWND parent_ = nullptr;
};

struct ButtonCase {
  const char* name;
  DWORD style;
  int clicks;
  LRESULT check;
};

class ButtonClicks : public Controls, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(ButtonClicks, ClickNotifiesAndAutomaticBoxesToggle) {
  const ButtonCase& c = GetParam();
  HWND button = make(L"BUTTON", c.style, L"Box");
  for (int i = 0; i < c.clicks; ++i) SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_EQ(c.check, SendMessageW(button, BM_GETCHECK, 0, 0));
  EXPECT_EQ(std::vector<UINT>(static_cast<size_t>(c.clicks), BN_CLICKED), codes(WM_COMMAND));
  EXPECT_EQ(button, GetFocus());
}

INSTANTIATE_TEST_SUITE_P(Styles, ButtonClicks,
                         ::testing::Values(ButtonCase{"push", BS_PUSHBUTTON, 1, BST_UNCHECKED},
                                           ButtonCase{"manual_box", BS_CHECKBOX, 1, BST_UNCHECKED},
                                           ButtonCase{"auto_box_once", BS_AUTOCHECKBOX, 1, BST_CHECKED},
                                           ButtonCase{"auto_box_twice", BS_AUTOCHECKBOX, 2, BST_UNCHECKED},
                                           ButtonCase{"auto_three_state", BS_AUTO3STATE, 2, BST_INDETERMINATE}),
                         [](const ::testing::TestParamInfo<ButtonCase>& info) { return info.param.name; });

TEST_F(Controls, ButtonStateAndDialogCodes) {
  HWND box = make(L"BUTTON", BS_CHECKBOX, L"Box");
  SendMessageW(box, BM_SETCHECK, BST_INDETERMINATE, 0);  // a two-state box cannot be indeterminate
  EXPECT_EQ(BST_CHECKED, SendMessageW(box, BM_GETCHECK, 0, 0));
  HWND push = make(L"BUTTON", BS_PUSHBUTTON, L"OK");
  SendMessageW(push, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(BST_UNCHECKED, SendMessageW(push, BM_GETCHECK, 0, 0));
  EXPECT_EQ(DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON, SendMessageW(push, WM_GETDLGCODE, 0, 0));
  EnableWindow(push, FALSE);
  heard().clear();
  SendMessageW(push, BM_CLICK, 0, 0);
  EXPECT_TRUE(codes(WM_COMMAND).empty());
}

struct Keystrokes {
  const char* name;
  DWORD style;
  int limit;
  std::wstring initial;
  std::vector<WPARAM> chars;  // WM_CHAR, or VK_ keys sent as WM_KEYDOWN when above 0xFFFF
  std::wstring text;
  int changes;
};

const WPARAM kKey = 0x10000;

class EditTyping : public Controls, public ::testing::WithParamInterface<Keystrokes> {};

TEST_P(EditTyping, CharactersEditTheText) {
  const Keystrokes& c = GetParam();
  HWND edit = make(L"EDIT", c.style, c.initial.c_str());
  if (c.limit) SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(c.limit), 0);
  SendMessageW(edit, EM_SETSEL, c.initial.size(), static_cast<LPARAM>(c.initial.size()));
  heard().clear();
  for (WPARAM key : c.chars) {
    if (key >= kKey)
      SendMessageW(edit, WM_KEYDOWN, key - kKey, 0);
    else
      SendMessageW(edit, WM_CHAR, key, 1);
  }
  wchar_t text[64];
  GetWindowTextW(edit, text, 64);
  EXPECT_EQ(c.text, text);
  auto notes = codes(WM_COMMAND);
  EXPECT_EQ(c.changes, std::count(notes.begin(), notes.end(), static_cast<UINT>(EN_CHANGE)));
}

INSTANTIATE_TEST_SUITE_P(
    Fields, EditTyping,
    ::testing::Values(Keystrokes{"typing", ES_AUTOHSCROLL, 0, L"", {'a', 'b', 'c'}, L"abc", 3},
                      Keystrokes{"backspace", 0, 0, L"ab", {8, 8, 8}, L"", 2},
                      Keystrokes{"control_chars_ignored", 0, 0, L"", {'\r', '\t', 27, 'x'}, L"x", 1},
                      Keystrokes{"limit", 0, 2, L"", {'1', '2', '3'}, L"12", 2},
                      Keystrokes{"read_only", ES_READONLY, 0, L"fixed", {'x', 8}, L"fixed", 0},
                      Keystrokes{"numbers_only", ES_NUMBER, 0, L"", {'1', 'a', '2'}, L"12", 2},
                      Keystrokes{"upper_case", ES_UPPERCASE, 0, L"", {'q', 0x0439}, L"Q\x0419", 2},
                      Keystrokes{"password", ES_PASSWORD, 0, L"", {'p', 'w'}, L"pw", 2},
                      Keystrokes{"caret_moves", 0, 0, L"ac", {kKey + VK_LEFT, 'b', kKey + VK_HOME, kKey + VK_DELETE}, L"bc", 2}),
    [](const ::testing::TestParamInfo<Keystrokes>& info) { return info.param.name; });

TEST_F(Controls, EditMessages) {
  HWND edit = make(L"EDIT", ES_PASSWORD, L"");
  EXPECT_EQ(0x25CF, SendMessageW(edit, EM_GETPASSWORDCHAR, 0, 0));
  EXPECT_EQ(32767, SendMessageW(edit, EM_GETLIMITTEXT, 0, 0));
  SendMessageW(edit, EM_LIMITTEXT, 0, 0);
  EXPECT_EQ(0x7FFFFFFE, SendMessageW(edit, EM_GETLIMITTEXT, 0, 0));
  SetWindowTextW(edit, L"hello");
  SendMessageW(edit, EM_SETSEL, 1, 3);
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(1u, start);
  EXPECT_EQ(3u, end);
  SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"EL"));
  wchar_t text[16];
  GetWindowTextW(edit, text, 16);
  EXPECT_EQ(std::wstring(L"hELlo"), text);
  SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
  EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
  SendMessageW(edit, EM_SETREADONLY, FALSE, 0);
  EXPECT_FALSE(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS, SendMessageW(edit, WM_GETDLGCODE, 0, 0));
}

TEST_F(Controls, ComboBoxListAndSelection) {
  HWND combo = make(L"COMBOBOX", CBS_DROPDOWNLIST);
  const wchar_t* texts[] = {L"All files (*.*)", L"Certificates", L"Keys"};
  for (int i = 0; i < 3; ++i) {
    LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i]));
    EXPECT_EQ(i, index);
    SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), i * 10);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  EXPECT_EQ(2, SendMessageW(combo, CB_GETCURSEL, 0, 0));  // the last added is selected
  EXPECT_EQ(20, SendMessageW(combo, CB_GETITEMDATA, 2, 0));
  EXPECT_TRUE(codes(WM_COMMAND).empty());  // the application's own choices are not announced
  EXPECT_EQ(1, SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"certificates")));
  EXPECT_EQ(CB_ERR, SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Cert")));
  EXPECT_EQ(1, SendMessageW(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Cert")));
  wchar_t text[32];
  EXPECT_EQ(4, SendMessageW(combo, CB_GETLBTEXT, 2, reinterpret_cast<LPARAM>(text)));
  EXPECT_EQ(std::wstring(L"Keys"), text);
  GetWindowTextW(combo, text, 32);
  EXPECT_EQ(std::wstring(L"Keys"), text);
  EXPECT_EQ(CB_ERR, SendMessageW(combo, CB_SETCURSEL, 7, 0));
  EXPECT_EQ(CB_ERR, SendMessageW(combo, CB_GETCURSEL, 0, 0));
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  SendMessageW(combo, WM_KEYDOWN, VK_DOWN, 0);  // the user moves the selection
  EXPECT_EQ(1, SendMessageW(combo, CB_GETCURSEL, 0, 0));
  EXPECT_EQ(std::vector<UINT>{CBN_SELCHANGE}, codes(WM_COMMAND));
  EXPECT_EQ(2, SendMessageW(combo, CB_DELETESTRING, 0, 0));
  EXPECT_EQ(0, SendMessageW(combo, CB_GETCURSEL, 0, 0));
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(0, SendMessageW(combo, CB_GETCOUNT, 0, 0));
}

TEST_F(Controls, SortedComboBox) {
  HWND combo = make(L"COMBOBOX", CBS_DROPDOWNLIST | CBS_SORT);
  for (const wchar_t* text : {L"b", L"C", L"a"}) SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  wchar_t text[4];
  const wchar_t* expected[] = {L"a", L"b", L"C"};
  for (int i = 0; i < 3; ++i) {
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::wstring(expected[i]), text);
  }
}

int insertItem(HWND list, int index, const wchar_t* text, int image, LPARAM param) {
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = index;
  item.pszText = const_cast<LPWSTR>(text);
  item.iImage = image;
  item.lParam = param;
  return static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

TEST_F(Controls, ListViewItemsAndSelectionNotifications) {
  HWND list = make(L"SysListView32", LVS_LIST | LVS_SHAREIMAGELISTS);
  HIMAGELIST images = ImageList_Create(16, 16, ILC_MASK, 6, 0);
  EXPECT_EQ(0, SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images)));
  EXPECT_EQ(reinterpret_cast<LRESULT>(images), SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
  for (int i = 0; i < 3; ++i) {
    int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(i, insertItem(list, count, i == 0 ? L"File system" : i == 1 ? L"eToken 0" : L"ruToken 0", 6 - i, 100 + i));
  }
  wchar_t text[32];
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = 1;
  item.pszText = text;
  item.cchTextMax = 32;
  ASSERT_TRUE(SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  EXPECT_EQ(std::wstring(L"eToken 0"), text);
  EXPECT_EQ(5, item.iImage);
  EXPECT_EQ(101, item.lParam);
  heard().clear();
  LVITEMW state{};
  state.state = state.stateMask = LVIS_SELECTED;
  SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
  SendMessageW(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&state));
  EXPECT_EQ(0, SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  EXPECT_EQ(2, SendMessageW(list, LVM_GETNEXTITEM, 0, LVNI_SELECTED));
  std::vector<int> changed;
  for (const auto& h : heard())
    if (h.code == LVN_ITEMCHANGED) changed.push_back(h.item);
  EXPECT_EQ((std::vector<int>{0, 2}), changed);
  heard().clear();
  EXPECT_TRUE(SendMessageW(list, LVM_DELETEALLITEMS, 0, 0));
  EXPECT_EQ(0, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  auto notes = codes(WM_NOTIFY);
  EXPECT_EQ(1, std::count(notes.begin(), notes.end(), LVN_DELETEALLITEMS));
  EXPECT_EQ(3, std::count(notes.begin(), notes.end(), LVN_DELETEITEM));
  DestroyWindow(list);
  ImageList_Destroy(images);
}

TEST_F(Controls, SingleSelectionListDeselectsTheOthers) {
  HWND list = make(L"SysListView32", LVS_LIST | LVS_SINGLESEL);
  insertItem(list, 0, L"a", 0, 0);
  insertItem(list, 1, L"b", 0, 0);
  LVITEMW state{};
  state.state = state.stateMask = LVIS_SELECTED;
  SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
  heard().clear();
  SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
  ASSERT_EQ(2u, heard().size() / 2);  // changing and changed for each item
  std::vector<std::pair<int, UINT>> changed;
  for (const auto& h : heard())
    if (h.code == LVN_ITEMCHANGED) changed.emplace_back(h.item, h.newState);
  EXPECT_EQ((std::vector<std::pair<int, UINT>>{{0, 0u}, {1, static_cast<UINT>(LVIS_SELECTED)}}), changed);
}

HTREEITEM insertTree(HWND tree, HTREEITEM parent, HTREEITEM after, const wchar_t* text) {
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  insert.item.pszText = const_cast<LPWSTR>(text);
  insert.item.iImage = 9;
  insert.item.iSelectedImage = 10;
  return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::wstring itemText(HWND tree, HTREEITEM item) {
  wchar_t text[128] = {};
  TVITEMW info{};
  info.mask = TVIF_TEXT;
  info.hItem = item;
  info.pszText = text;
  info.cchTextMax = 128;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
  return text;
}

TEST_F(Controls, TreeViewOrderAndNavigation) {
  HWND tree = make(L"SysTreeView32", TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
  HTREEITEM root = insertTree(tree, TVI_ROOT, TVI_LAST, L"D:\\");
  for (const wchar_t* name : {L"beta", L"Alpha", L"gamma"}) insertTree(tree, root, TVI_SORT, name);
  insertTree(tree, root, TVI_FIRST, L"first");
  std::vector<std::wstring> names;
  for (HTREEITEM child = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
       child; child = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
    names.push_back(itemText(tree, child));
  EXPECT_EQ((std::vector<std::wstring>{L"first", L"Alpha", L"beta", L"gamma"}), names);
  EXPECT_EQ(5, SendMessageW(tree, TVM_GETCOUNT, 0, 0));
  EXPECT_EQ(reinterpret_cast<LRESULT>(root), SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  HTREEITEM first = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
  EXPECT_EQ(reinterpret_cast<LRESULT>(root), SendMessageW(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(first)));
  heard().clear();
  EXPECT_TRUE(SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)));
  EXPECT_EQ(0, SendMessageW(tree, TVM_GETCOUNT, 0, 0));
  auto notes = codes(WM_NOTIFY);
  EXPECT_EQ(5, std::count(notes.begin(), notes.end(), TVN_DELETEITEMW));
}

TEST_F(Controls, TreeViewExpansionNotifiesOnceAndSelectionAlways) {
  HWND tree = make(L"SysTreeView32", TVS_HASBUTTONS);
  HTREEITEM root = insertTree(tree, TVI_ROOT, TVI_LAST, L"etoken0:");
  HTREEITEM leaf = insertTree(tree, TVI_ROOT, TVI_LAST, L"empty");
  HTREEITEM child = insertTree(tree, root, TVI_LAST, L"");  // the expand mark
  EXPECT_FALSE(SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(leaf)));  // nothing to open
  heard().clear();
  EXPECT_TRUE(SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root)));
  EXPECT_EQ((std::vector<UINT>{TVN_ITEMEXPANDINGW, TVN_ITEMEXPANDEDW}), codes(WM_NOTIFY));
  SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(root));
  heard().clear();
  EXPECT_TRUE(SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root)));
  EXPECT_TRUE(codes(WM_NOTIFY).empty());  // only the first expansion by the application is announced
  TVITEMW state{};
  state.mask = TVIF_STATE;
  state.hItem = root;
  state.stateMask = TVIS_EXPANDED | TVIS_EXPANDEDONCE;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&state));
  EXPECT_EQ(static_cast<UINT>(TVIS_EXPANDED | TVIS_EXPANDEDONCE), state.state);
  EXPECT_TRUE(SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child)));
  EXPECT_EQ((std::vector<UINT>{TVN_SELCHANGINGW, TVN_SELCHANGEDW}), codes(WM_NOTIFY));
  EXPECT_EQ(reinterpret_cast<LRESULT>(child), SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  heard().clear();
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(child));
  EXPECT_TRUE(codes(WM_NOTIFY).empty());  // already selected
  SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(root));
  EXPECT_EQ(0, SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  EXPECT_EQ(1, SendMessageW(tree, TVM_GETCOUNT, 0, 0));
}

struct ProgressStep {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT answer;
  int position;
};

TEST_F(Controls, ProgressBarRangeStepAndPosition) {
  HWND bar = make(L"msctls_progress32", WS_BORDER);
  const ProgressStep steps[] = {
      {PBM_SETRANGE, 0, MAKELPARAM(0, 20), MAKELRESULT(0, 100), 0},
      {PBM_SETSTEP, 5, 0, 10, 0},
      {PBM_STEPIT, 0, 0, 0, 5},
      {PBM_SETPOS, 18, 0, 5, 18},
      {PBM_STEPIT, 0, 0, 18, 3},  // past the end it starts over
      {PBM_DELTAPOS, 100, 0, 3, 20},
      {PBM_SETPOS, static_cast<WPARAM>(-4), 0, 20, 0},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(step.answer, SendMessageW(bar, step.message, step.wParam, step.lParam)) << step.message;
    EXPECT_EQ(step.position, SendMessageW(bar, PBM_GETPOS, 0, 0)) << step.message;
  }
  PBRANGE range{};
  EXPECT_EQ(0, SendMessageW(bar, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range)));
  EXPECT_EQ(20, range.iHigh);
}

TEST_F(Controls, IconStaticTakesThePictureSize) {
  HWND icon = make(L"STATIC", SS_ICON);
  HICON question = LoadIconW(nullptr, IDI_QUESTION);
  EXPECT_EQ(0, SendMessageW(icon, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(question)));
  EXPECT_EQ(reinterpret_cast<LRESULT>(question), SendMessageW(icon, STM_GETIMAGE, IMAGE_ICON, 0));
  RECT rect;
  GetWindowRect(icon, &rect);
  EXPECT_EQ(32, rect.right - rect.left);
  EXPECT_EQ(32, rect.bottom - rect.top);
  HWND bitmapHandle = reinterpret_cast<HWND>(CreateBitmap(2, 2, 1, 32, nullptr));
  EXPECT_EQ(0, SendMessageW(icon, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(bitmapHandle)));  // not an icon
  EXPECT_EQ(reinterpret_cast<LRESULT>(question), SendMessageW(icon, STM_GETICON, 0, 0));
  DeleteObject(reinterpret_cast<HGDIOBJ>(bitmapHandle));
  EXPECT_EQ(DLGC_STATIC, SendMessageW(icon, WM_GETDLGCODE, 0, 0));
}

}  // namespace
