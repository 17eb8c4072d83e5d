// Classes, windows, window data and geometry.
#include "DesktopFixture.h"

#include <string>

namespace {

using win32test::DesktopTest;
using win32test::recordingClass;
using win32test::seenMessages;
using win32test::seenOf;

class Windows : public DesktopTest {};

WNDCLASSEXW plainClass(const wchar_t* name, WNDPROC proc = DefWindowProcW) {
  WNDCLASSEXW wc{};
  wc.cbSize = WNDCLASSEXW_SIZE_32BIT;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = name;
  return wc;
}

std::string systemText(DWORD code) {
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                 nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string result = text ? text : "";
  LocalFree(text);
  return result;
}

TEST_F(Windows, RegisteringAClassTwiceFailsWithItsSystemText) {
  WNDCLASSEXW wc = plainClass(L"TwiceRegistered");
  ATOM atom = RegisterClassExW(&wc);
  ASSERT_NE(0, atom);
  wc.lpszClassName = L"twiceregistered";  // class names ignore case
  EXPECT_EQ(0, RegisterClassExW(&wc));
  DWORD error = GetLastError();
  EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS), error);
  EXPECT_EQ("Could not register window class, error:" + std::to_string(error),
            "Could not register window class, error:1410");
  EXPECT_EQ("Class already exists.\r\n", systemText(error));
  EXPECT_TRUE(UnregisterClassW(MAKEINTATOM(atom), nullptr));
  EXPECT_FALSE(UnregisterClassW(L"TwiceRegistered", nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST), GetLastError());
}

// Two modules (instance handles) may each register a class of one name; a
// window finds its own module's class, and a module unregisters only its own.
LRESULT CALLBACK firstModuleProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return m == WM_USER ? 1 : DefWindowProcW(h, m, w, l);
}
LRESULT CALLBACK secondModuleProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  return m == WM_USER ? 2 : DefWindowProcW(h, m, w, l);
}

TEST_F(Windows, EachModuleHasItsOwnClassOfAName) {
  static int firstImage, secondImage;
  const struct {
    HINSTANCE instance;
    WNDPROC proc;
    LRESULT answer;
  } modules[] = {
      {reinterpret_cast<HINSTANCE>(&firstImage), &firstModuleProc, 1},
      {reinterpret_cast<HINSTANCE>(&secondImage), &secondModuleProc, 2},
  };
  for (const auto& module : modules) {
    WNDCLASSEXW wc = plainClass(L"SharedName", module.proc);
    wc.hInstance = module.instance;
    EXPECT_NE(0, RegisterClassExW(&wc));
    EXPECT_EQ(0, RegisterClassExW(&wc));  // the same module twice
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS), GetLastError());
  }
  for (const auto& module : modules) {
    HWND hwnd =
        CreateWindowExW(0, L"SharedName", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module.instance, nullptr);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(module.answer, SendMessageW(hwnd, WM_USER, 0, 0));
    WNDCLASSEXW info{};
    EXPECT_NE(0, GetClassInfoExW(module.instance, L"SharedName", &info));
    EXPECT_EQ(module.proc, info.lpfnWndProc);
    DestroyWindow(hwnd);
  }
  EXPECT_TRUE(UnregisterClassW(L"SharedName", modules[0].instance));
  HWND left =
      CreateWindowExW(0, L"SharedName", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, modules[1].instance, nullptr);
  ASSERT_NE(nullptr, left);
  EXPECT_EQ(2, SendMessageW(left, WM_USER, 0, 0));
  DestroyWindow(left);
  EXPECT_TRUE(UnregisterClassW(L"SharedName", modules[1].instance));
  EXPECT_FALSE(UnregisterClassW(L"SharedName", modules[1].instance));
}

TEST_F(Windows, ClassWithWindowsCannotBeUnregistered) {
  WNDCLASSEXW wc = plainClass(L"Busy");
  ASSERT_NE(0, RegisterClassExW(&wc));
  HWND hwnd = CreateWindowExW(0, L"Busy", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, hwnd);
  EXPECT_FALSE(UnregisterClassW(L"Busy", nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS), GetLastError());
  DestroyWindow(hwnd);
  EXPECT_TRUE(UnregisterClassW(L"Busy", nullptr));
}

TEST_F(Windows, BadRegistrationsAndCreations) {
  WNDCLASSEXW wc = plainClass(L"Sized");
  wc.cbSize = 12;
  EXPECT_EQ(0, RegisterClassExW(&wc));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
  EXPECT_EQ(nullptr, CreateWindowExW(0, L"NoSuchClass", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS), GetLastError());
  EXPECT_EQ(nullptr, CreateWindowExW(0, recordingClass(), L"", WS_CHILD, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_TLW_WITH_WSCHILD), GetLastError());
}

TEST_F(Windows, CreationAndDestructionMessagesInOrder) {
  seenMessages().clear();
  HWND parent = CreateWindowExW(0, recordingClass(), L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                nullptr, nullptr, nullptr);
  HWND child = CreateWindowExW(0, recordingClass(), L"child", WS_CHILD, 0, 0, 10, 10, parent,
                               reinterpret_cast<HMENU>(7), nullptr, nullptr);
  ASSERT_TRUE(parent && child);
  EXPECT_EQ((std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}), seenOf(child));
  EXPECT_EQ(7, GetDlgCtrlID(child));
  EXPECT_EQ(parent, GetParent(child));
  seenMessages().clear();
  ASSERT_TRUE(DestroyWindow(parent));
  std::vector<std::pair<HWND, UINT>> order;
  for (const auto& seen : seenMessages())
    if (seen.message == WM_DESTROY || seen.message == WM_NCDESTROY) order.emplace_back(seen.hwnd, seen.message);
  std::vector<std::pair<HWND, UINT>> expected = {
      {parent, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
  EXPECT_EQ(expected, order);
  EXPECT_FALSE(IsWindow(parent));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_FALSE(DestroyWindow(parent));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
}

TEST_F(Windows, MessageOnlyWindowsAreFoundByName) {
  WNDCLASSEXW wc = plainClass(L"PBEventWindowTest");
  ATOM atom = RegisterClassExW(&wc);
  ASSERT_NE(0, atom);
  HWND first = keep(CreateWindowExW(0, MAKEINTATOM(atom), L"PageBridgeEventWindow0", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, GetModuleHandleW(nullptr), nullptr));
  HWND second = keep(CreateWindowExW(0, MAKEINTATOM(atom), L"PageBridgeEventWindow1", WS_VISIBLE, 0, 0, 0, 0,
                                     HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first, FindWindowExW(HWND_MESSAGE, nullptr, L"PBEventWindowTest", L"PageBridgeEventWindow0"));
  EXPECT_EQ(second, FindWindowExW(HWND_MESSAGE, nullptr, nullptr, L"PageBridgeEventWindow1"));
  EXPECT_EQ(nullptr, FindWindowExW(nullptr, nullptr, nullptr, L"PageBridgeEventWindow0"));
  EXPECT_FALSE(IsWindowVisible(second));  // message-only windows are never shown
  EXPECT_EQ(nullptr, GetParent(first));
  DWORD process = 0;
  EXPECT_EQ(GetCurrentThreadId(), GetWindowThreadProcessId(first, &process));
  EXPECT_EQ(GetCurrentProcessId(), process);
}

LRESULT CALLBACK firstProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return 1;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

WNDPROC savedProc = nullptr;
LRESULT CALLBACK secondProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return 10 + CallWindowProcW(savedProc, hwnd, message, wParam, lParam);
  return CallWindowProcW(savedProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK thirdProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER) return 100;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(Windows, SubclassingAndRestoringTheProcedure) {
  WNDCLASSEXW wc = plainClass(L"Subclassed", firstProc);
  ASSERT_NE(0, RegisterClassExW(&wc));
  HWND hwnd = keep(CreateWindowExW(0, L"Subclassed", L"", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(1, SendMessageW(hwnd, WM_USER, 0, 0));
  savedProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(secondProc)));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(firstProc), savedProc);
  EXPECT_EQ(11, SendMessageW(hwnd, WM_USER, 0, 0));
  // Someone else subclasses after us: restoring only when ours is still in place keeps theirs.
  SetWindowLongPtrW(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(thirdProc));
  if (GetWindowLongPtrW(hwnd, GWL_WNDPROC) == reinterpret_cast<LONG_PTR>(secondProc))
    SetWindowLongPtrW(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(savedProc));
  EXPECT_EQ(100, SendMessageW(hwnd, WM_USER, 0, 0));
  SetWindowLongPtrW(hwnd, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(savedProc));
  EXPECT_EQ(1, SendMessageW(hwnd, WM_USER, 0, 0));
  EXPECT_EQ(3u, journalCount("SetWindowLongPtrW", "GWLP_WNDPROC"));
}

TEST_F(Windows, WindowDataByIndex) {
  WNDCLASSEXW wc = plainClass(L"WithExtra");
  wc.cbWndExtra = 16;
  ASSERT_NE(0, RegisterClassExW(&wc));
  HWND hwnd = keep(CreateWindowExW(0, L"WithExtra", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  struct Case {
    int index;
    LONG_PTR value;
  };
  // Styles are 32-bit values, answered sign-extended.
  const Case cases[] = {{GWLP_USERDATA, 0x123456789AB}, {0, -7}, {8, 42},
                        {GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_BORDER)}};
  for (const auto& c : cases) {
    SetWindowLongPtrW(hwnd, c.index, c.value);
    EXPECT_EQ(c.value, GetWindowLongPtrW(hwnd, c.index)) << c.index;
  }
  EXPECT_EQ(0, GetWindowLongPtrW(hwnd, 9));  // beyond the extra bytes
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_INDEX), GetLastError());
  EXPECT_EQ(0, GetWindowLongW(hwnd, GWL_WNDPROC));  // a pointer does not fit a LONG
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_INDEX), GetLastError());
  EXPECT_EQ(static_cast<LONG>(WS_POPUP | WS_BORDER), GetWindowLongW(hwnd, GWL_STYLE));
}

TEST_F(Windows, TextThroughMessages) {
  HWND hwnd = keep(CreateWindowExW(0, recordingClass(), L"Title", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(5, GetWindowTextLengthW(hwnd));
  wchar_t small[4];
  EXPECT_EQ(3, GetWindowTextW(hwnd, small, 4));
  EXPECT_EQ(std::wstring(L"Tit"), small);
  ASSERT_TRUE(SetWindowTextW(hwnd, L"\x041E\x043A\x043D\x043E"));
  wchar_t text[16];
  EXPECT_EQ(4, GetWindowTextW(hwnd, text, 16));
  EXPECT_EQ(std::wstring(L"\x041E\x043A\x043D\x043E"), text);
}

struct FrameCase {
  const char* name;
  DWORD style;
  DWORD exStyle;
  RECT adjusted;  // of the client rectangle (0, 0, 100, 50)
};

class FrameModel : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameModel, AdjustAndClientAgree) {
  const FrameCase& c = GetParam();
  RECT rect{0, 0, 100, 50};
  ASSERT_TRUE(AdjustWindowRectEx(&rect, c.style, FALSE, c.exStyle));
  EXPECT_EQ(c.adjusted.left, rect.left);
  EXPECT_EQ(c.adjusted.top, rect.top);
  EXPECT_EQ(c.adjusted.right, rect.right);
  EXPECT_EQ(c.adjusted.bottom, rect.bottom);
  HWND hwnd = CreateWindowExW(c.exStyle, recordingClass(), L"", c.style & ~WS_CHILD, 10, 20, rect.right - rect.left,
                              rect.bottom - rect.top, nullptr, nullptr, nullptr, nullptr);
  RECT client;
  GetClientRect(hwnd, &client);
  EXPECT_EQ(100, client.right);
  EXPECT_EQ(50, client.bottom);
  DestroyWindow(hwnd);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, FrameModel,
    ::testing::Values(FrameCase{"bare", WS_POPUP, 0, {0, 0, 100, 50}},
                      FrameCase{"border", WS_POPUP | WS_BORDER, 0, {-1, -1, 101, 51}},
                      FrameCase{"caption", WS_POPUP | WS_CAPTION, 0, {-3, -26, 103, 53}},
                      FrameCase{"sizing", WS_OVERLAPPEDWINDOW, 0, {-4, -27, 104, 54}},
                      FrameCase{"client_edge", WS_POPUP | WS_BORDER, WS_EX_CLIENTEDGE, {-3, -3, 103, 53}},
                      FrameCase{"modal_frame", WS_POPUP, WS_EX_DLGMODALFRAME, {-3, -3, 103, 53}}),
    [](const ::testing::TestParamInfo<FrameCase>& info) { return info.param.name; });

TEST_F(Windows, ScreenAndClientCoordinates) {
  // A bare child whose client origin lies at screen (400, 200).
  HWND top = keep(CreateWindowExW(0, recordingClass(), L"", WS_POPUP | WS_VISIBLE, 300, 100, 600, 400, nullptr,
                                  nullptr, nullptr, nullptr));
  HWND child = CreateWindowExW(0, recordingClass(), L"", WS_CHILD | WS_VISIBLE, 100, 100, 200, 100, top, nullptr,
                               nullptr, nullptr);
  POINT point{500, 300};
  ASSERT_TRUE(ScreenToClient(child, &point));
  EXPECT_EQ(100, point.x);
  EXPECT_EQ(100, point.y);
  RECT rect;
  GetWindowRect(child, &rect);
  EXPECT_EQ(400, rect.left);
  EXPECT_EQ(200, rect.top);
  EXPECT_EQ(600, rect.right);
  EXPECT_EQ(300, rect.bottom);
  ASSERT_TRUE(SetWindowPos(child, nullptr, 0, 0, 50, 60, SWP_NOMOVE | SWP_SHOWWINDOW));
  GetWindowRect(child, &rect);
  EXPECT_EQ(50, rect.right - rect.left);
  EXPECT_EQ(60, rect.bottom - rect.top);
}

TEST_F(Windows, SystemMetricsAreFixed) {
  const std::pair<int, int> metrics[] = {{SM_CXSCREEN, 1920}, {SM_CYSCREEN, 1080}, {SM_CYCAPTION, 23},
                                         {SM_CYVSCROLL, 17},  {SM_CXICON, 32},     {SM_CXSMICON, 16}};
  for (const auto& m : metrics) EXPECT_EQ(m.second, GetSystemMetrics(m.first)) << m.first;
  EXPECT_EQ(MAKELONG(8, 16), GetDialogBaseUnits());
}

}  // namespace
