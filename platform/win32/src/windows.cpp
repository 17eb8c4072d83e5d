// Window classes, windows, window data, text and geometry.
#include "core.h"

#include <algorithm>
#include <cstring>

namespace win32 {
namespace detail {

std::shared_ptr<Window> findWindowLocked(HWND hwnd) {
  auto& windows = state().windows;
  auto found = windows.find(hwnd);
  return found == windows.end() ? nullptr : found->second;
}

std::shared_ptr<Window> findWindow(HWND hwnd) {
  if (!hwnd) return nullptr;
  Guard guard(desktopMutex());
  return findWindowLocked(hwnd);
}

std::shared_ptr<WindowClass> findClassLocked(LPCWSTR nameOrAtom, HINSTANCE instance) {
  if (!nameOrAtom) return nullptr;
  auto& classes = state().classes;
  if (IS_INTRESOURCE(nameOrAtom)) {
    ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(nameOrAtom));
    for (auto& entry : classes)
      if (entry.second->atom == atom) return entry.second;
    return nullptr;
  }
  auto range = classes.equal_range(upperAscii(nameOrAtom));
  std::shared_ptr<WindowClass> global, system, other;
  for (auto it = range.first; it != range.second; ++it) {
    const auto& cls = it->second;
    if (cls->system) {
      system = cls;
    } else if (cls->instance == instance) {
      return cls;
    } else if (cls->style & CS_GLOBALCLASS) {
      if (!global) global = cls;
    } else if (!other) {
      other = cls;
    }
  }
  return global ? global : system ? system : other;
}

std::shared_ptr<DialogState> dialogState(HWND hwnd) {
  auto window = findWindow(hwnd);
  if (!window) return nullptr;
  Guard guard(desktopMutex());
  return window->dialog;
}

std::wstring textOf(HWND hwnd) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  return window ? window->text : std::wstring();
}

void storeText(HWND hwnd, const std::wstring& text) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (window) window->text = text;
}

DWORD styleOf(HWND hwnd) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  return window ? window->style : 0;
}

bool fontMessage(ControlState* control, UINT message, WPARAM wParam, LRESULT* result) {
  if (!control) return false;
  if (message == WM_SETFONT) {
    control->font = reinterpret_cast<HFONT>(wParam);
    *result = 0;
    return true;
  }
  if (message == WM_GETFONT) {
    *result = reinterpret_cast<LRESULT>(control->font);
    return true;
  }
  return false;
}

RECT frameInsets(DWORD style, DWORD exStyle) {
  int frame = 0;
  if (style & WS_THICKFRAME)
    frame = GetSystemMetrics(SM_CXSIZEFRAME);
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    frame = GetSystemMetrics(SM_CXFIXEDFRAME);
  else if (style & WS_BORDER)
    frame = GetSystemMetrics(SM_CXBORDER);
  if (exStyle & WS_EX_CLIENTEDGE) frame += GetSystemMetrics(SM_CXEDGE);
  if (exStyle & WS_EX_STATICEDGE) frame += GetSystemMetrics(SM_CXBORDER);
  RECT insets{frame, frame, frame, frame};
  if ((style & WS_CAPTION) == WS_CAPTION) insets.top += GetSystemMetrics(SM_CYCAPTION);
  return insets;
}

RECT screenRectLocked(const Window& window) {
  RECT rect = window.rect;
  if (window.parent) {
    auto parent = findWindowLocked(window.parent);
    if (parent) {
      POINT origin = clientOriginLocked(*parent);
      rect.left += origin.x;
      rect.right += origin.x;
      rect.top += origin.y;
      rect.bottom += origin.y;
    }
  }
  return rect;
}

POINT clientOriginLocked(const Window& window) {
  RECT rect = screenRectLocked(window);
  RECT insets = frameInsets(window.style, window.exStyle);
  return POINT{rect.left + insets.left, rect.top + insets.top};
}

std::vector<HWND> descendants(HWND hwnd) {
  std::vector<HWND> result;
  Guard guard(desktopMutex());
  std::vector<HWND> stack;
  auto root = findWindowLocked(hwnd);
  if (!root) return result;
  std::function<void(const Window&)> walk = [&](const Window& window) {
    for (HWND child : window.children) {
      auto found = findWindowLocked(child);
      if (!found) continue;
      result.push_back(child);
      walk(*found);
    }
  };
  walk(*root);
  return result;
}

}  // namespace detail
}  // namespace win32

using namespace win32::detail;
using win32::desktop::record;

namespace {

HWND newHandleLocked() {
  State& s = state();
  ++s.nextHandle;
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10000 + (s.nextHandle << 4)));
}

bool validClassName(LPCWSTR name) {
  return name && (IS_INTRESOURCE(name) ? reinterpret_cast<ULONG_PTR>(name) != 0 : name[0] != 0);
}

std::string classText(LPCWSTR name) {
  if (!name) return "(null)";
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return toUtf8(name);
}

ATOM registerClass(const WNDCLASSEXW& wc) {
  if (!wc.lpszClassName || IS_INTRESOURCE(wc.lpszClassName) || !wc.lpszClassName[0] ||
      wc.cbClsExtra < 0 || wc.cbWndExtra < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Guard guard(desktopMutex());
  State& s = state();
  std::wstring key = upperAscii(wc.lpszClassName);
  // Taken: a system class of the name, or one of the same module; a global
  // class takes the name from every module.
  bool taken = false;
  auto range = s.classes.equal_range(key);
  for (auto it = range.first; it != range.second; ++it) {
    const auto& cls = it->second;
    if (cls->system || cls->instance == wc.hInstance || ((cls->style | wc.style) & CS_GLOBALCLASS)) taken = true;
  }
  if (taken) {
    guard.unlock();
    record("RegisterClassExW.failed", classText(wc.lpszClassName));
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto cls = std::make_shared<WindowClass>();
  cls->name = wc.lpszClassName;
  cls->atom = s.nextAtom++;
  cls->style = wc.style;
  cls->proc = wc.lpfnWndProc;
  cls->classExtra = wc.cbClsExtra;
  cls->windowExtra = wc.cbWndExtra;
  cls->instance = wc.hInstance;
  cls->icon = wc.hIcon;
  cls->smallIcon = wc.hIconSm;
  cls->cursor = wc.hCursor;
  cls->background = wc.hbrBackground;
  s.classes.emplace(key, cls);
  ATOM atom = cls->atom;
  guard.unlock();
  record("RegisterClassExW", classText(wc.lpszClassName));
  return atom;
}

void destroyTree(HWND hwnd);

void finishDestroy(HWND hwnd) {
  Guard guard(desktopMutex());
  State& s = state();
  auto window = findWindowLocked(hwnd);
  if (!window) return;
  if (window->parent) {
    auto parent = findWindowLocked(window->parent);
    if (parent) {
      auto& siblings = parent->children;
      siblings.erase(std::remove(siblings.begin(), siblings.end(), hwnd), siblings.end());
    }
  }
  if (window->cls) --window->cls->liveWindows;
  auto queue = queueOfLocked(window->thread);
  if (queue) {
    if (queue->focus == hwnd) queue->focus = nullptr;
    if (queue->active == hwnd) queue->active = nullptr;
    auto& timers = queue->timers;
    timers.erase(std::remove_if(timers.begin(), timers.end(),
                                [&](const Timer& t) { return t.hwnd == hwnd; }),
                 timers.end());
  }
  if (s.foreground == hwnd) s.foreground = nullptr;
  s.windows.erase(hwnd);
}

void destroyTree(HWND hwnd) {
  SendMessageW(hwnd, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    Guard guard(desktopMutex());
    auto window = findWindowLocked(hwnd);
    if (window) children = window->children;
  }
  for (HWND child : children) {
    {
      Guard guard(desktopMutex());
      auto window = findWindowLocked(child);
      if (!window || window->destroying) continue;
      window->destroying = true;
    }
    destroyTree(child);
  }
  SendMessageW(hwnd, WM_NCDESTROY, 0, 0);
  finishDestroy(hwnd);
}

LONG_PTR readExtra(const std::vector<unsigned char>& extra, int index, size_t size, bool* ok) {
  *ok = index >= 0 && static_cast<size_t>(index) + size <= extra.size();
  if (!*ok) return 0;
  if (size == sizeof(LONG_PTR)) {
    LONG_PTR value;
    std::memcpy(&value, extra.data() + index, size);
    return value;
  }
  LONG value;
  std::memcpy(&value, extra.data() + index, size);
  return value;
}

void writeExtra(std::vector<unsigned char>& extra, int index, size_t size, LONG_PTR value) {
  if (size == sizeof(LONG_PTR)) {
    std::memcpy(extra.data() + index, &value, size);
  } else {
    LONG narrow = static_cast<LONG>(value);
    std::memcpy(extra.data() + index, &narrow, size);
  }
}

// Reads or writes one window value; returns the previous value.
LONG_PTR windowValue(HWND hwnd, int index, size_t size, bool write, LONG_PTR value) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  bool narrow = size != sizeof(LONG_PTR);
  LONG_PTR previous = 0;
  switch (index) {
    case GWLP_WNDPROC:
    case GWLP_HINSTANCE:
    case GWLP_HWNDPARENT:
      if (narrow) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
      }
      if (index == GWLP_WNDPROC) {
        previous = reinterpret_cast<LONG_PTR>(window->proc);
        if (write) {
          if (window->thread != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
          }
          window->proc = reinterpret_cast<WNDPROC>(value);
          guard.unlock();
          record("SetWindowLongPtrW", "GWLP_WNDPROC " + handleText(hwnd));
        }
      } else if (index == GWLP_HINSTANCE) {
        previous = reinterpret_cast<LONG_PTR>(window->instance);
        if (write) window->instance = reinterpret_cast<HINSTANCE>(value);
      } else {
        previous = reinterpret_cast<LONG_PTR>(window->parent ? window->parent : window->owner);
        if (write && !window->parent) window->owner = reinterpret_cast<HWND>(value);
      }
      break;
    case GWLP_ID:
      previous = static_cast<LONG_PTR>(window->id);
      if (write) window->id = static_cast<UINT_PTR>(value);
      break;
    case GWL_STYLE:
      previous = static_cast<LONG>(window->style);
      if (write) window->style = static_cast<DWORD>(value);
      break;
    case GWL_EXSTYLE:
      previous = static_cast<LONG>(window->exStyle);
      if (write) window->exStyle = static_cast<DWORD>(value);
      break;
    case GWLP_USERDATA:
      previous = narrow ? static_cast<LONG>(window->userData) : window->userData;
      if (write) window->userData = value;
      break;
    default: {
      bool ok;
      previous = readExtra(window->extra, index, size, &ok);
      if (!ok) {
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
      }
      if (write) writeExtra(window->extra, index, size, value);
    }
  }
  if (previous == 0) SetLastError(ERROR_SUCCESS);
  return previous;
}

}  // namespace

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || (wc->cbSize != sizeof(WNDCLASSEXW) && wc->cbSize != WNDCLASSEXW_SIZE_32BIT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return registerClass(*wc);
}

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WNDCLASSEXW ex{};
  ex.cbSize = sizeof(ex);
  ex.style = wc->style;
  ex.lpfnWndProc = wc->lpfnWndProc;
  ex.cbClsExtra = wc->cbClsExtra;
  ex.cbWndExtra = wc->cbWndExtra;
  ex.hInstance = wc->hInstance;
  ex.hIcon = wc->hIcon;
  ex.hCursor = wc->hCursor;
  ex.hbrBackground = wc->hbrBackground;
  ex.lpszMenuName = wc->lpszMenuName;
  ex.lpszClassName = wc->lpszClassName;
  return registerClass(ex);
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance) {
  Guard guard(desktopMutex());
  auto cls = findClassLocked(className, instance);
  if (!cls || cls->system) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (cls->liveWindows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  auto& classes = state().classes;
  for (auto it = classes.begin(); it != classes.end(); ++it) {
    if (it->second == cls) {
      classes.erase(it);
      break;
    }
  }
  guard.unlock();
  record("UnregisterClassW", toUtf8(cls->name));
  return TRUE;
}

BOOL GetClassInfoExW(HINSTANCE instance, LPCWSTR className, WNDCLASSEXW* wc) {
  Guard guard(desktopMutex());
  auto cls = findClassLocked(className, instance);
  if (!cls || !wc) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  wc->style = cls->style;
  wc->lpfnWndProc = cls->proc;
  wc->cbClsExtra = cls->classExtra;
  wc->cbWndExtra = cls->windowExtra;
  wc->hInstance = cls->instance;
  wc->hIcon = cls->icon;
  wc->hCursor = cls->cursor;
  wc->hbrBackground = cls->background;
  wc->lpszMenuName = nullptr;
  wc->lpszClassName = cls->name.c_str();
  wc->hIconSm = cls->smallIcon;
  return cls->atom;
}

int GetClassNameW(HWND hwnd, LPWSTR className, int maxCount) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!className || maxCount <= 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  const std::wstring& name = window->cls->name;
  size_t n = std::min(name.size(), static_cast<size_t>(maxCount) - 1);
  std::copy_n(name.data(), n, className);
  className[n] = L'\0';
  return static_cast<int>(n);
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  currentQueue();
  auto window = std::make_shared<Window>();
  {
    Guard guard(desktopMutex());
    if (!validClassName(className) || !(window->cls = findClassLocked(className, instance))) {
      guard.unlock();
      record("CreateWindowExW.failed", classText(className));
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    if (parent == HWND_MESSAGE) {
      window->messageOnly = true;
      style &= ~(WS_CHILD | WS_VISIBLE);
    } else if (parent) {
      auto parentWindow = findWindowLocked(parent);
      if (!parentWindow) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
      if (style & WS_CHILD) {
        window->parent = parent;
      } else {
        // Owned windows belong to the owner's top-level window.
        HWND root = parent;
        while (auto w = findWindowLocked(root)) {
          if (!w->parent) break;
          root = w->parent;
        }
        window->owner = root;
      }
    } else if (style & WS_CHILD) {
      SetLastError(ERROR_TLW_WITH_WSCHILD);
      return nullptr;
    }
    bool child = window->parent != nullptr;
    if (x == CW_USEDEFAULT) x = child ? 0 : 100, y = child ? 0 : 100;
    if (width == CW_USEDEFAULT) width = child ? 0 : 640, height = child ? 0 : 480;
    window->handle = newHandleLocked();
    window->style = style;
    window->exStyle = exStyle;
    window->rect = RECT{x, y, x + width, y + height};
    window->proc = window->cls->proc;
    window->id = child ? reinterpret_cast<UINT_PTR>(menu) : 0;
    window->instance = instance;
    window->extra.assign(static_cast<size_t>(window->cls->windowExtra), 0);
    window->thread = GetCurrentThreadId();
    ++window->cls->liveWindows;
    state().windows[window->handle] = window;
    if (child) findWindowLocked(parent)->children.push_back(window->handle);
  }
  HWND hwnd = window->handle;
  std::string detail = classText(className) + " \"" + (windowName && !IS_INTRESOURCE(windowName)
                                                           ? toUtf8(windowName)
                                                           : std::string()) +
                       "\" " + handleText(hwnd);
  CREATESTRUCTW create{};
  create.lpCreateParams = param;
  create.hInstance = instance;
  create.hMenu = menu;
  create.hwndParent = parent;
  create.cy = height;
  create.cx = width;
  create.y = y;
  create.x = x;
  create.style = static_cast<LONG>(style);
  create.lpszName = windowName;
  create.lpszClass = className;
  create.dwExStyle = exStyle;
  bool created = SendMessageW(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) != 0;
  if (created && IsWindow(hwnd))
    created = SendMessageW(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) != -1;
  if (!created || !IsWindow(hwnd)) {
    if (IsWindow(hwnd)) {
      {
        Guard guard(desktopMutex());
        window->destroying = true;
      }
      destroyTree(hwnd);
    }
    record("CreateWindowExW.failed", detail);
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  RECT client;
  GetClientRect(hwnd, &client);
  SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  SendMessageW(hwnd, WM_MOVE, 0, MAKELPARAM(x, y));
  record("CreateWindowExW", detail);
  return hwnd;
}

BOOL DestroyWindow(HWND hwnd) {
  std::vector<HWND> owned;
  {
    Guard guard(desktopMutex());
    auto window = findWindowLocked(hwnd);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    if (window->thread != GetCurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    if (window->destroying) return TRUE;
    window->destroying = true;
    window->style &= ~WS_VISIBLE;
    for (auto& entry : state().windows)
      if (entry.second->owner == hwnd) owned.push_back(entry.first);
  }
  record("DestroyWindow", handleText(hwnd));
  for (HWND popup : owned) DestroyWindow(popup);
  destroyTree(hwnd);
  return TRUE;
}

BOOL IsWindow(HWND hwnd) { return findWindow(hwnd) ? TRUE : FALSE; }

BOOL IsChild(HWND parent, HWND hwnd) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  while (window && window->parent) {
    if (window->parent == parent) return TRUE;
    window = findWindowLocked(window->parent);
  }
  return FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  while (window) {
    if (!(window->style & WS_VISIBLE)) return FALSE;
    if (!window->parent) return TRUE;
    window = findWindowLocked(window->parent);
  }
  return FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  auto window = findWindow(hwnd);
  if (!window) return FALSE;
  Guard guard(desktopMutex());
  return (window->style & WS_DISABLED) ? FALSE : TRUE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  auto window = findWindow(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  bool wasDisabled;
  {
    Guard guard(desktopMutex());
    wasDisabled = (window->style & WS_DISABLED) != 0;
    if (enable)
      window->style &= ~WS_DISABLED;
    else
      window->style |= WS_DISABLED;
  }
  if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
  if (!enable && GetFocus() == hwnd) SetFocus(nullptr);
  SendMessageW(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled ? TRUE : FALSE;
}

BOOL ShowWindow(HWND hwnd, int command) {
  auto window = findWindow(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  bool wasVisible;
  bool show = command != SW_HIDE;
  {
    Guard guard(desktopMutex());
    if (window->messageOnly) return FALSE;
    wasVisible = (window->style & WS_VISIBLE) != 0;
    if (show)
      window->style |= WS_VISIBLE;
    else
      window->style &= ~WS_VISIBLE;
  }
  if (wasVisible != show) SendMessageW(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
  return wasVisible ? TRUE : FALSE;
}

HWND GetParent(HWND hwnd) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return window->parent ? window->parent : window->owner;
}

HWND GetAncestor(HWND hwnd, UINT flags) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window) return nullptr;
  if (flags == GA_PARENT) return window->parent;
  while (window->parent) window = findWindowLocked(window->parent);
  if (flags == GA_ROOTOWNER)
    while (window->owner && findWindowLocked(window->owner)) window = findWindowLocked(window->owner);
  return window->handle;
}

HWND GetWindow(HWND hwnd, UINT command) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (command == GW_CHILD) return window->children.empty() ? nullptr : window->children.front();
  if (command == GW_OWNER) return window->owner;
  if (!window->parent) return nullptr;
  auto parent = findWindowLocked(window->parent);
  if (!parent) return nullptr;
  auto& siblings = parent->children;
  auto at = std::find(siblings.begin(), siblings.end(), hwnd);
  switch (command) {
    case GW_HWNDFIRST:
      return siblings.front();
    case GW_HWNDLAST:
      return siblings.back();
    case GW_HWNDNEXT:
      return (at == siblings.end() || at + 1 == siblings.end()) ? nullptr : *(at + 1);
    case GW_HWNDPREV:
      return (at == siblings.begin() || at == siblings.end()) ? nullptr : *(at - 1);
    default:
      SetLastError(ERROR_INVALID_GW_COMMAND);
      return nullptr;
  }
}

HWND GetDesktopWindow() { return nullptr; }

HWND FindWindowExW(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName) {
  Guard guard(desktopMutex());
  // An atom names one class; a name, that class of every module.
  std::shared_ptr<WindowClass> cls;
  bool byName = false;
  std::wstring classKey;
  if (className && IS_INTRESOURCE(className)) {
    cls = findClassLocked(className);
    if (!cls) return nullptr;
  } else if (className) {
    byName = true;
    classKey = upperAscii(className);
  }
  std::vector<HWND> candidates;
  if (parent && parent != HWND_MESSAGE) {
    auto window = findWindowLocked(parent);
    if (window) candidates = window->children;
  } else {
    for (auto& entry : state().windows)
      if (!entry.second->parent && entry.second->messageOnly == (parent == HWND_MESSAGE))
        candidates.push_back(entry.first);
  }
  bool started = childAfter == nullptr;
  for (HWND hwnd : candidates) {
    if (!started) {
      started = hwnd == childAfter;
      continue;
    }
    auto window = findWindowLocked(hwnd);
    if (!window) continue;
    if (cls && window->cls != cls) continue;
    if (byName && upperAscii(window->cls->name) != classKey) continue;
    if (windowName && window->text != windowName) continue;
    return hwnd;
  }
  return nullptr;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
  if (!proc) return FALSE;
  for (HWND hwnd : descendants(parent)) {
    if (!IsWindow(hwnd)) continue;
    if (!proc(hwnd, param)) break;
  }
  return TRUE;
}

LONG GetWindowLongW(HWND hwnd, int index) {
  return static_cast<LONG>(windowValue(hwnd, index, sizeof(LONG), false, 0));
}

LONG SetWindowLongW(HWND hwnd, int index, LONG value) {
  return static_cast<LONG>(windowValue(hwnd, index, sizeof(LONG), true, value));
}

LONG_PTR GetWindowLongPtrW(HWND hwnd, int index) {
  return windowValue(hwnd, index, sizeof(LONG_PTR), false, 0);
}

LONG_PTR SetWindowLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  return windowValue(hwnd, index, sizeof(LONG_PTR), true, value);
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
  auto window = findWindow(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (processId) *processId = GetCurrentProcessId();
  return window->thread;
}

BOOL SetWindowTextW(HWND hwnd, LPCWSTR text) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int GetWindowTextW(HWND hwnd, LPWSTR text, int maxCount) {
  if (!text || maxCount <= 0) return 0;
  text[0] = L'\0';
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(
      SendMessageW(hwnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
}

int GetWindowTextLengthW(HWND hwnd) {
  if (!IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return static_cast<int>(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

BOOL GetWindowRect(HWND hwnd, LPRECT rect) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window || !rect) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  *rect = screenRectLocked(*window);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, LPRECT rect) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window || !rect) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  RECT insets = frameInsets(window->style, window->exStyle);
  LONG width = window->rect.right - window->rect.left - insets.left - insets.right;
  LONG height = window->rect.bottom - window->rect.top - insets.top - insets.bottom;
  *rect = RECT{0, 0, std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, LPPOINT point) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window || !point) return FALSE;
  POINT origin = clientOriginLocked(*window);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, LPPOINT point) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  if (!window || !point) return FALSE;
  POINT origin = clientOriginLocked(*window);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  Guard guard(desktopMutex());
  POINT a{0, 0}, b{0, 0};
  if (from) {
    auto window = findWindowLocked(from);
    if (!window) return 0;
    a = clientOriginLocked(*window);
  }
  if (to) {
    auto window = findWindowLocked(to);
    if (!window) return 0;
    b = clientOriginLocked(*window);
  }
  LONG dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  SetLastError(ERROR_SUCCESS);
  return MAKELONG(static_cast<short>(dx), static_cast<short>(dy));
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  auto window = findWindow(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  bool moved = false, sized = false;
  RECT before;
  {
    Guard guard(desktopMutex());
    before = window->rect;
    RECT& rect = window->rect;
    if (!(flags & SWP_NOMOVE)) {
      LONG width = rect.right - rect.left, height = rect.bottom - rect.top;
      rect = RECT{x, y, x + width, y + height};
    }
    if (!(flags & SWP_NOSIZE)) {
      rect.right = rect.left + std::max(cx, 0);
      rect.bottom = rect.top + std::max(cy, 0);
    }
    moved = rect.left != before.left || rect.top != before.top;
    sized = (rect.right - rect.left) != (before.right - before.left) ||
            (rect.bottom - rect.top) != (before.bottom - before.top);
    if (!(flags & SWP_NOZORDER)) {
      if (insertAfter == HWND_TOPMOST) window->exStyle |= WS_EX_TOPMOST;
      if (insertAfter == HWND_NOTOPMOST) window->exStyle &= ~WS_EX_TOPMOST;
    }
  }
  record("SetWindowPos", handleText(hwnd) + " " + std::to_string(x) + "," + std::to_string(y) +
                             " " + std::to_string(cx) + "x" + std::to_string(cy) + " flags " +
                             std::to_string(flags) +
                             (insertAfter == HWND_TOPMOST ? " topmost" : ""));
  if (flags & SWP_SHOWWINDOW) ShowWindow(hwnd, SW_SHOWNA);
  if (flags & SWP_HIDEWINDOW) ShowWindow(hwnd, SW_HIDE);
  if (moved) {
    Guard guard(desktopMutex());
    LPARAM origin = MAKELPARAM(window->rect.left, window->rect.top);
    guard.unlock();
    SendMessageW(hwnd, WM_MOVE, 0, origin);
  }
  if (sized) {
    RECT client;
    GetClientRect(hwnd, &client);
    SendMessageW(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  }
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  RECT insets = frameInsets(style, exStyle);
  rect->left -= insets.left;
  rect->top -= insets.top;
  rect->right += insets.right;
  rect->bottom += insets.bottom;
  if (menu) rect->top -= GetSystemMetrics(SM_CYMENU);
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
  return AdjustWindowRectEx(rect, style, menu, 0);
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
      return 1920;
    case SM_CYSCREEN:
      return 1080;
    case SM_CYFULLSCREEN:
      return 1080 - 23;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVTHUMB:
    case SM_CXHTHUMB:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL:
      return 17;
    case SM_CYCAPTION:
      return 23;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return 1;
    case SM_CXFIXEDFRAME:
    case SM_CYFIXEDFRAME:
      return 3;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return 32;
    case SM_CYMENU:
      return 20;
    case SM_CXMIN:
      return 136;
    case SM_CYMIN:
      return 39;
    case SM_CXSIZE:
    case SM_CYSIZE:
      return 22;
    case SM_CXSIZEFRAME:
    case SM_CYSIZEFRAME:
      return 4;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
      return 4;
    case SM_CXEDGE:
    case SM_CYEDGE:
      return 2;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return 16;
    case SM_CYSMCAPTION:
      return 19;
    case SM_CMONITORS:
      return 1;
    default:
      return 0;
  }
}
