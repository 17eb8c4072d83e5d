// Sending and posting, within a thread and across threads; painting; the keyboard state.
#include "DesktopFixture.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <future>
#include <thread>

namespace {

using win32test::DesktopTest;
using win32test::recordingClass;
using win32test::seenMessages;
using win32test::seenOf;

class Queues : public DesktopTest {};

TEST_F(Queues, PostedMessagesComeInOrderThenQuit) {
  HWND hwnd = keep(CreateWindowExW(0, recordingClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  ASSERT_TRUE(PostMessageW(hwnd, WM_USER + 1, 1, 2));
  ASSERT_TRUE(PostMessageW(nullptr, WM_USER + 2, 3, 4));  // a thread message
  PostQuitMessage(5);
  MSG msg;
  ASSERT_EQ(1, GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(hwnd, msg.hwnd);
  EXPECT_EQ(static_cast<UINT>(WM_USER + 1), msg.message);
  EXPECT_EQ(1u, msg.wParam);
  ASSERT_EQ(1, GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(nullptr, msg.hwnd);
  EXPECT_EQ(0, GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(5u, msg.wParam);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Queues, FiltersAndPeekWithoutRemoving) {
  HWND a = keep(CreateWindowExW(0, recordingClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  HWND b = keep(CreateWindowExW(0, recordingClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  PostMessageW(a, WM_USER, 0, 0);
  PostMessageW(b, WM_APP, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(static_cast<UINT>(WM_APP), msg.message);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE));
  EXPECT_EQ(b, msg.hwnd);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(a, msg.hwnd);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Queues, GetMessageGivesUpAfterTheWaitLimit) {
  win32::desktop::Settings settings;
  settings.messageWaitLimitMs = 20;
  win32::desktop::setSettings(settings);
  MSG msg;
  EXPECT_EQ(-1, GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), GetLastError());
}

// The pattern of the message window: a heap-allocated call posted from another thread runs
// once, on the thread that owns the window.
struct PostedCall {
  void (*function)(void*);
  void* data;
};
std::atomic<int> callsRun{0};
DWORD callThread = 0;
void* callData = nullptr;
void runCall(void* data) {
  ++callsRun;
  callThread = GetCurrentThreadId();
  callData = data;
}
LRESULT CALLBACK callWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 1) {
    std::unique_ptr<PostedCall> call(reinterpret_cast<PostedCall*>(wParam));
    call->function(call->data);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(Queues, CallPostedFromAnotherThreadRunsOnceOnTheOwner) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = callWindowProc;
  wc.lpszClassName = L"CallWindow";
  RegisterClassExW(&wc);
  HWND hwnd = keep(CreateWindowExW(0, L"CallWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  int payload = 0;
  std::thread poster([&] {
    auto* call = new PostedCall{runCall, &payload};
    if (!PostMessageW(hwnd, WM_USER + 1, reinterpret_cast<WPARAM>(call), 0)) delete call;
  });
  poster.join();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    EXPECT_EQ(0, DispatchMessageW(&msg));
  }
  EXPECT_EQ(1, callsRun.load());
  EXPECT_EQ(GetCurrentThreadId(), callThread);
  EXPECT_EQ(&payload, callData);
}

TEST_F(Queues, SendFromAnotherThreadIsDeliveredOnTheOwner) {
  seenMessages().clear();
  HWND hwnd = keep(CreateWindowExW(0, recordingClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  std::promise<LRESULT> answered;
  auto answer = answered.get_future();
  std::thread sender([&] {
    answered.set_value(SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x")));
    PostMessageW(hwnd, WM_APP, 0, 0);  // tells the owner's loop that the call came back
  });
  // The owner pumps (each wait bounded by the wait limit) until the sender is done.
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_APP) DispatchMessageW(&msg);
  sender.join();
  EXPECT_EQ(TRUE, answer.get());
  ASSERT_FALSE(seenMessages().empty());
  EXPECT_EQ(static_cast<UINT>(WM_SETTEXT), seenMessages().back().message);
  EXPECT_EQ(GetCurrentThreadId(), seenMessages().back().thread);
}

TEST_F(Queues, SendToAThreadThatNeverPumpsTimesOut) {
  win32::desktop::Settings settings;
  settings.sendTimeoutMs = 30;
  win32::desktop::setSettings(settings);
  HWND hwnd = keep(CreateWindowExW(0, recordingClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  LRESULT result = 1;
  DWORD error = 0;
  std::thread sender([&] {
    result = SendMessageW(hwnd, WM_USER, 0, 0);
    error = GetLastError();
  });
  sender.join();
  EXPECT_EQ(0, result);
  EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), error);
  // The abandoned call is not delivered later.
  seenMessages().clear();
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_TRUE(seenOf(hwnd).empty());
}

TEST_F(Queues, OnlyTheOwnerDestroysAWindow) {
  HWND hwnd = keep(CreateWindowExW(0, recordingClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  BOOL destroyed = TRUE;
  DWORD error = 0;
  std::thread other([&] {
    destroyed = DestroyWindow(hwnd);
    error = GetLastError();
  });
  other.join();
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), error);
  EXPECT_TRUE(IsWindow(hwnd));
}

TEST_F(Queues, WindowsOfAnEndedThreadAreDestroyed) {
  HWND hwnd = nullptr;
  std::thread creator([&] {
    hwnd = CreateWindowExW(0, recordingClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  });
  creator.join();
  EXPECT_NE(nullptr, hwnd);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Queues, InvalidateProducesOnePaintForVisibleWindows) {
  seenMessages().clear();
  HWND shown = keep(CreateWindowExW(0, recordingClass(), L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                    nullptr, nullptr));
  HWND hidden = keep(CreateWindowExW(0, recordingClass(), L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                                     nullptr));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
  ASSERT_TRUE(InvalidateRect(shown, nullptr, TRUE));
  ASSERT_TRUE(InvalidateRect(hidden, nullptr, TRUE));
  int paints = 0;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_PAINT) {
      ++paints;
      EXPECT_EQ(shown, msg.hwnd);
    }
    DispatchMessageW(&msg);
  }
  EXPECT_EQ(1, paints);
  // Default processing validated the window and erased its background first.
  auto seen = seenOf(shown);
  auto paint = std::find(seen.begin(), seen.end(), static_cast<UINT>(WM_PAINT));
  ASSERT_NE(seen.end(), paint);
  EXPECT_NE(seen.end(), std::find(paint, seen.end(), static_cast<UINT>(WM_ERASEBKGND)));
  RECT update;
  EXPECT_FALSE(GetUpdateRect(shown, &update, FALSE));
  EXPECT_TRUE(GetUpdateRect(hidden, &update, FALSE));
  EXPECT_EQ(50, update.right);
}

TEST_F(Queues, KeyStateFollowsTheDesktop) {
  struct Case {
    std::vector<int> held;
    int key;
    bool down;
  };
  const Case cases[] = {{{VK_SHIFT}, VK_SHIFT, true},
                        {{VK_LCONTROL}, VK_CONTROL, true},
                        {{VK_SHIFT}, VK_MENU, false},
                        {{}, VK_SHIFT, false}};
  for (const auto& c : cases) {
    win32::desktop::releaseKeys();
    for (int key : c.held) win32::desktop::setKeyDown(key, true);
    EXPECT_EQ(c.down, (GetKeyState(c.key) & 0x8000) != 0) << c.key;
  }
  win32::desktop::releaseKeys();
  win32::desktop::setKeyDown(VK_CAPITAL, true);
  win32::desktop::setKeyDown(VK_CAPITAL, false);
  EXPECT_EQ(1, GetKeyState(VK_CAPITAL) & 1);  // toggled, not down
}

TEST_F(Queues, TranslateMakesCharactersFromKeys) {
  HWND hwnd = keep(CreateWindowExW(0, recordingClass(), L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
  struct Case {
    WPARAM key;
    bool shift;
    wchar_t expected;
  };
  const Case cases[] = {{'A', false, L'a'}, {'A', true, L'A'}, {'7', false, L'7'}, {VK_SPACE, false, L' '},
                        {VK_F1, false, 0}};
  for (const auto& c : cases) {
    win32::desktop::setKeyDown(VK_SHIFT, c.shift);
    MSG key{hwnd, WM_KEYDOWN, c.key, 1, 0, {0, 0}};
    TranslateMessage(&key);
    MSG msg;
    bool got = PeekMessageW(&msg, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE) != 0;
    EXPECT_EQ(c.expected != 0, got) << c.key;
    if (got) {
      EXPECT_EQ(static_cast<WPARAM>(c.expected), msg.wParam);
    }
  }
}

}  // namespace
