// Keyboard state, focus, activation and the cursor.
#include "core.h"

using namespace win32::detail;
using win32::desktop::record;

namespace {

const uintptr_t kCursorBase = 0x7F000;

bool systemCursor(ULONG_PTR id) {
  return id == 32512 || id == 32513 || id == 32514 || id == 32515 || id == 32649;
}

}  // namespace

namespace win32 {
namespace desktop {

void setKeyDown(int virtualKey, bool down) {
  if (virtualKey < 0 || virtualKey > 255) return;
  int generic = 0;  // the generic modifier key follows its left and right forms
  if (virtualKey == VK_LSHIFT || virtualKey == VK_RSHIFT) generic = VK_SHIFT;
  if (virtualKey == VK_LCONTROL || virtualKey == VK_RCONTROL) generic = VK_CONTROL;
  if (virtualKey == VK_LMENU || virtualKey == VK_RMENU) generic = VK_MENU;
  Guard guard(desktopMutex());
  for (int vk : {virtualKey, generic}) {
    if (!vk) continue;
    unsigned char& key = state().keys[vk];
    if (down && !(key & 0x80)) key ^= 0x01;  // each press flips the toggle state
    key = static_cast<unsigned char>(down ? (key | 0x80) : (key & ~0x80));
  }
}

void releaseKeys() {
  Guard guard(desktopMutex());
  for (auto& key : state().keys) key = 0;
}

}  // namespace desktop
}  // namespace win32

SHORT GetKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 255) return 0;
  Guard guard(desktopMutex());
  unsigned char key = state().keys[virtualKey];
  return static_cast<SHORT>(((key & 0x80) ? 0x8000 : 0) | (key & 0x01));
}

SHORT GetAsyncKeyState(int virtualKey) {
  return static_cast<SHORT>(GetKeyState(virtualKey) & 0x8000);
}

HWND SetFocus(HWND hwnd) {
  auto queue = currentQueue();
  if (hwnd) {
    auto window = findWindow(hwnd);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    if (window->thread != queue->thread) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
  }
  HWND previous;
  {
    Guard guard(desktopMutex());
    previous = queue->focus;
    if (previous == hwnd) return previous;
    queue->focus = hwnd;
  }
  record("SetFocus", handleText(hwnd));
  if (previous && IsWindow(previous))
    SendMessageW(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd && IsWindow(hwnd))
    SendMessageW(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  SetLastError(ERROR_SUCCESS);
  return previous;
}

HWND GetFocus() {
  auto queue = currentQueue();
  Guard guard(desktopMutex());
  return queue->focus;
}

HWND GetActiveWindow() {
  auto queue = currentQueue();
  Guard guard(desktopMutex());
  return queue->active;
}

HWND SetActiveWindow(HWND hwnd) {
  auto queue = currentQueue();
  Guard guard(desktopMutex());
  HWND previous = queue->active;
  queue->active = hwnd;
  return previous;
}

HWND GetForegroundWindow() {
  Guard guard(desktopMutex());
  return state().foreground;
}

BOOL SetForegroundWindow(HWND hwnd) {
  HWND root = GetAncestor(hwnd, GA_ROOT);
  if (!root) return FALSE;
  {
    Guard guard(desktopMutex());
    state().foreground = root;
  }
  SetActiveWindow(root);
  record("SetForegroundWindow", handleText(root));
  return TRUE;
}

BOOL LockWindowUpdate(HWND hwnd) {
  if (hwnd && !IsWindow(hwnd)) return FALSE;
  record("LockWindowUpdate", handleText(hwnd));
  return TRUE;
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name) {
  if (instance || !IS_INTRESOURCE(name) || !systemCursor(reinterpret_cast<ULONG_PTR>(name))) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HCURSOR>(kCursorBase + reinterpret_cast<ULONG_PTR>(name));
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous;
  {
    Guard guard(desktopMutex());
    previous = state().cursor;
    state().cursor = cursor;
  }
  record("SetCursor", handleText(cursor));
  return previous;
}

HCURSOR GetCursor() {
  Guard guard(desktopMutex());
  return state().cursor;
}
