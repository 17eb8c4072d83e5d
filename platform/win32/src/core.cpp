// Process-wide state, thread queues and message delivery.
#include "core.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <sstream>

namespace win32 {
namespace detail {

std::recursive_mutex& desktopMutex() {
  static auto* mutex = new std::recursive_mutex;  // never destroyed: threads may outlive statics
  return *mutex;
}

namespace {

void addSystemClass(State& s, const wchar_t* name, WNDPROC proc, UINT style, int windowExtra) {
  auto cls = std::make_shared<WindowClass>();
  cls->name = name;
  cls->atom = s.nextAtom++;
  cls->style = style;
  cls->proc = proc;
  cls->windowExtra = windowExtra;
  cls->system = true;
  s.classes.emplace(upperAscii(name), cls);
}

void addSystemClasses(State& s) {
  addSystemClass(s, L"BUTTON", buttonProc, CS_DBLCLKS | CS_PARENTDC, 0);
  addSystemClass(s, L"EDIT", editProc, CS_DBLCLKS | CS_PARENTDC, 0);
  addSystemClass(s, L"STATIC", staticProc, CS_DBLCLKS | CS_PARENTDC, 0);
  addSystemClass(s, L"COMBOBOX", comboBoxProc, CS_DBLCLKS | CS_PARENTDC, 0);
  addSystemClass(s, L"SysListView32", listViewProc, CS_DBLCLKS, 0);
  addSystemClass(s, L"SysTreeView32", treeViewProc, CS_DBLCLKS, 0);
  addSystemClass(s, L"msctls_progress32", progressProc, 0, 0);
  addSystemClass(s, L"#32770", DefDlgProcW, CS_DBLCLKS, DLGWINDOWEXTRA);
  // The window that stands for a system chooser while the desktop answers it.
  addSystemClass(s, L"#32770Chooser", chooserProc, CS_DBLCLKS, DLGWINDOWEXTRA);
}

// Removes the thread's queue and destroys its windows when the thread ends.
struct ThreadRegistration {
  std::shared_ptr<ThreadQueue> queue;
  ~ThreadRegistration() {
    if (!queue) return;
    std::vector<HWND> owned;
    {
      Guard guard(desktopMutex());
      for (auto& entry : state().windows)
        if (entry.second->thread == queue->thread && !entry.second->parent)
          owned.push_back(entry.first);
    }
    for (HWND hwnd : owned) DestroyWindow(hwnd);
    Guard guard(desktopMutex());
    queue->alive = false;
    for (auto& sent : queue->sent) {
      sent->done = true;
      if (sent->sender) sent->sender->wake.notify_all();
    }
    queue->sent.clear();
    state().queues.erase(queue->thread);
  }
};

thread_local ThreadRegistration registration;

bool inRange(UINT message, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return message >= filterMin && message <= filterMax;
}

bool matchesWindow(HWND messageWindow, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return messageWindow == nullptr;
  return messageWindow == filter;
}

}  // namespace

State& state() {
  static State* instance = [] {
    auto* made = new State;  // never destroyed, see desktopMutex
    addSystemClasses(*made);
    return made;
  }();
  return *instance;
}

std::wstring upperAscii(const std::wstring& text) {
  std::wstring result = text;
  for (auto& c : result)
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  return result;
}

std::wstring toWide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &result[0], n);
  return result;
}

std::string toUtf8(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string result(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &result[0], n,
                      nullptr, nullptr);
  return result;
}

std::string handleText(const void* handle) {
  std::ostringstream out;
  out << "0x" << std::hex << reinterpret_cast<uintptr_t>(handle);
  return out.str();
}

std::shared_ptr<ThreadQueue> currentQueue() {
  if (registration.queue) return registration.queue;
  auto queue = std::make_shared<ThreadQueue>();
  queue->thread = GetCurrentThreadId();
  Guard guard(desktopMutex());
  state().queues[queue->thread] = queue;
  registration.queue = queue;
  return queue;
}

std::shared_ptr<ThreadQueue> queueOfLocked(DWORD thread) {
  auto& queues = state().queues;
  auto found = queues.find(thread);
  return found == queues.end() ? nullptr : found->second;
}

void wakeThreadLocked(DWORD thread) {
  auto queue = queueOfLocked(thread);
  if (queue) queue->wake.notify_all();
}

LRESULT callWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = nullptr;
  {
    Guard guard(desktopMutex());
    auto window = findWindowLocked(hwnd);
    if (!window) return 0;
    proc = window->proc;
  }
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

void serveSentMessages(ThreadQueue& queue) {
  for (;;) {
    std::shared_ptr<SentMessage> sent;
    {
      Guard guard(desktopMutex());
      if (queue.sent.empty()) return;
      sent = queue.sent.front();
      queue.sent.pop_front();
      ++queue.inSend;
    }
    LRESULT result = callWindowProc(sent->hwnd, sent->message, sent->wParam, sent->lParam);
    Guard guard(desktopMutex());
    --queue.inSend;
    sent->result = result;
    sent->done = true;
    if (sent->sender) sent->sender->wake.notify_all();
  }
}

bool takeMessage(ThreadQueue& queue, MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax,
                 bool remove) {
  serveSentMessages(queue);
  Guard guard(desktopMutex());
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!matchesWindow(it->hwnd, hwnd) || !inRange(it->message, filterMin, filterMax)) continue;
    *msg = *it;
    if (remove) queue.posted.erase(it);
    return true;
  }
  if (queue.quit) {
    *msg = MSG{};
    msg->message = WM_QUIT;
    msg->wParam = static_cast<WPARAM>(queue.quitCode);
    if (remove) queue.quit = false;
    return true;
  }
  if (inRange(WM_PAINT, filterMin, filterMax)) {
    for (auto& entry : state().windows) {
      Window& window = *entry.second;
      if (window.thread != queue.thread || !window.paintPending || window.messageOnly) continue;
      if (!(window.style & WS_VISIBLE) || !matchesWindow(window.handle, hwnd)) continue;
      *msg = MSG{};
      msg->hwnd = window.handle;
      msg->message = WM_PAINT;
      msg->time = GetTickCount();
      return true;
    }
  }
  if (inRange(WM_TIMER, filterMin, filterMax)) {
    auto now = Clock::now();
    for (auto& timer : queue.timers) {
      if (timer.due > now || !matchesWindow(timer.hwnd, hwnd)) continue;
      *msg = MSG{};
      msg->hwnd = timer.hwnd;
      msg->message = WM_TIMER;
      msg->wParam = timer.id;
      msg->lParam = reinterpret_cast<LPARAM>(timer.proc);
      msg->time = GetTickCount();
      if (remove) timer.due = now + std::chrono::milliseconds(timer.elapseMs);
      return true;
    }
  }
  return false;
}

LRESULT notifyCommand(HWND control, WORD code) {
  HWND parent = GetParent(control);
  if (!parent) return 0;
  WORD id = static_cast<WORD>(GetWindowLongPtrW(control, GWLP_ID));
  return SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(control));
}

LRESULT notifyParent(HWND control, NMHDR& header) {
  header.hwndFrom = control;
  header.idFrom = static_cast<UINT_PTR>(GetWindowLongPtrW(control, GWLP_ID));
  HWND parent = GetParent(control);
  if (!parent) return 0;
  return SendMessageW(parent, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

}  // namespace detail
}  // namespace win32

using namespace win32::detail;

namespace {

LRESULT sendWithTimeout(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, unsigned timeoutMs,
                        bool* delivered) {
  *delivered = false;
  auto window = findWindow(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  auto me = currentQueue();
  if (window->thread == me->thread) {
    *delivered = true;
    return callWindowProc(hwnd, message, wParam, lParam);
  }
  auto sent = std::make_shared<SentMessage>();
  sent->hwnd = hwnd;
  sent->message = message;
  sent->wParam = wParam;
  sent->lParam = lParam;
  sent->sender = me;
  Guard guard(desktopMutex());
  auto target = queueOfLocked(window->thread);
  if (!target || !target->alive) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  target->sent.push_back(sent);
  target->wake.notify_all();
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!sent->done) {
    if (!me->sent.empty()) {
      guard.unlock();
      serveSentMessages(*me);
      guard.lock();
      continue;
    }
    if (me->wake.wait_until(guard, deadline) == std::cv_status::timeout && !sent->done) {
      auto& pending = target->sent;
      pending.erase(std::remove(pending.begin(), pending.end(), sent), pending.end());
      guard.unlock();
      win32::desktop::record("SendMessageW.timeout", std::to_string(message));
      SetLastError(ERROR_TIMEOUT);
      return 0;
    }
  }
  *delivered = true;
  return sent->result;
}

BOOL postTo(DWORD thread, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Guard guard(desktopMutex());
  auto queue = thread == GetCurrentThreadId() ? nullptr : queueOfLocked(thread);
  if (thread == GetCurrentThreadId()) {
    guard.unlock();
    queue = currentQueue();
    guard.lock();
  }
  if (!queue || !queue->alive) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = GetTickCount();
  queue->posted.push_back(msg);
  queue->wake.notify_all();
  return TRUE;
}

}  // namespace

LRESULT SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  unsigned timeout;
  {
    Guard guard(desktopMutex());
    timeout = state().settings.sendTimeoutMs;
  }
  bool delivered;
  return sendWithTimeout(hwnd, message, wParam, lParam, timeout, &delivered);
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT,
                            UINT timeoutMs, DWORD_PTR* result) {
  bool delivered;
  LRESULT answer = sendWithTimeout(hwnd, message, wParam, lParam, timeoutMs, &delivered);
  if (result) *result = static_cast<DWORD_PTR>(answer);
  return delivered ? 1 : 0;
}

BOOL PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return postTo(GetCurrentThreadId(), nullptr, message, wParam, lParam);
  auto window = findWindow(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return postTo(window->thread, hwnd, message, wParam, lParam);
}

BOOL PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  return postTo(threadId, nullptr, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  auto queue = currentQueue();
  Guard guard(desktopMutex());
  queue->quit = true;
  queue->quitCode = exitCode;
  queue->wake.notify_all();
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMessage) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto queue = currentQueue();
  return takeMessage(*queue, msg, hwnd, filterMin, filterMax, (removeMessage & PM_REMOVE) != 0)
             ? TRUE
             : FALSE;
}

namespace {

// Waits until something may have arrived; false when the wait limit passed.
bool waitForMessage(ThreadQueue& queue, Clock::time_point deadline) {
  Guard guard(desktopMutex());
  if (!queue.posted.empty() || !queue.sent.empty() || queue.quit) return true;
  auto until = deadline;
  for (auto& timer : queue.timers) until = std::min(until, timer.due);
  for (auto& entry : state().windows) {
    const Window& window = *entry.second;
    if (window.thread == queue.thread && window.paintPending && (window.style & WS_VISIBLE) &&
        !window.messageOnly)
      return true;
  }
  queue.wake.wait_until(guard, until);
  return Clock::now() < deadline || !queue.posted.empty() || !queue.sent.empty() || queue.quit;
}

Clock::time_point waitDeadline() {
  Guard guard(desktopMutex());
  return Clock::now() + std::chrono::milliseconds(state().settings.messageWaitLimitMs);
}

}  // namespace

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  auto queue = currentQueue();
  auto deadline = waitDeadline();
  for (;;) {
    if (takeMessage(*queue, msg, hwnd, filterMin, filterMax, true))
      return msg->message == WM_QUIT ? 0 : 1;
    if (!waitForMessage(*queue, deadline)) {
      win32::desktop::record("GetMessageW.timeout", "");
      SetLastError(ERROR_TIMEOUT);
      return -1;
    }
  }
}

BOOL WaitMessage() {
  auto queue = currentQueue();
  auto deadline = waitDeadline();
  MSG msg;
  for (;;) {
    if (takeMessage(*queue, &msg, nullptr, 0, 0, false)) return TRUE;
    if (!waitForMessage(*queue, deadline)) {
      SetLastError(ERROR_TIMEOUT);
      return FALSE;
    }
  }
}

BOOL InSendMessage() {
  auto queue = currentQueue();
  Guard guard(desktopMutex());
  return queue->inSend > 0 ? TRUE : FALSE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return FALSE;
  WPARAM key = msg->wParam;
  wchar_t c = 0;
  bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
  bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
  if (key >= 'A' && key <= 'Z')
    c = static_cast<wchar_t>((shift != caps) ? key : key - 'A' + 'a');
  else if (key >= '0' && key <= '9' && !shift)
    c = static_cast<wchar_t>(key);
  else if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9)
    c = static_cast<wchar_t>(L'0' + (key - VK_NUMPAD0));
  else if (key == VK_SPACE)
    c = L' ';
  else if (key == VK_RETURN)
    c = L'\r';
  else if (key == VK_ESCAPE)
    c = 27;
  else if (key == VK_TAB)
    c = L'\t';
  else if (key == VK_BACK)
    c = 8;
  if (!c) return FALSE;
  return PostMessageW(msg->hwnd, WM_CHAR, static_cast<WPARAM>(c), msg->lParam);
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  if (!msg->hwnd) return 0;
  auto window = findWindow(msg->hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (window->thread != GetCurrentThreadId()) {
    SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
    return 0;
  }
  LRESULT result = callWindowProc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  if (msg->message == WM_PAINT) {
    // A procedure that ignored WM_PAINT would be asked again and again; validate it so that a
    // message loop can never spin on it.
    Guard guard(desktopMutex());
    auto still = findWindowLocked(msg->hwnd);
    if (still && still->paintPending) validateLocked(*still);
  }
  return result;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

LRESULT DefWindowProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      if (create && create->lpszName && !IS_INTRESOURCE(create->lpszName)) {
        auto window = findWindow(hwnd);
        if (window) {
          Guard guard(desktopMutex());
          window->text = create->lpszName;
        }
      }
      return TRUE;
    }
    case WM_SETTEXT: {
      auto window = findWindow(hwnd);
      if (!window) return FALSE;
      Guard guard(desktopMutex());
      window->text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"";
      return TRUE;
    }
    case WM_GETTEXT: {
      auto window = findWindow(hwnd);
      auto* buffer = reinterpret_cast<LPWSTR>(lParam);
      if (!window || !buffer || wParam == 0) return 0;
      Guard guard(desktopMutex());
      size_t n = std::min(window->text.size(), static_cast<size_t>(wParam) - 1);
      std::copy_n(window->text.data(), n, buffer);
      buffer[n] = L'\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
      auto window = findWindow(hwnd);
      if (!window) return 0;
      Guard guard(desktopMutex());
      return static_cast<LRESULT>(window->text.size());
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (BeginPaint(hwnd, &paint)) EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_ERASEBKGND: {
      auto window = findWindow(hwnd);
      if (!window) return 0;
      HBRUSH brush;
      {
        Guard guard(desktopMutex());
        brush = window->cls ? window->cls->background : nullptr;
      }
      if (!brush) return 0;
      RECT client;
      GetClientRect(hwnd, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
      return 1;
    }
    case WM_MOUSEACTIVATE:
      return MA_ACTIVATE;
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageW(hwnd, WM_CLOSE, 0, 0);
      return 0;
    default:
      return 0;
  }
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs, TIMERPROC proc) {
  if (hwnd) {
    auto window = findWindow(hwnd);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    if (window->thread != GetCurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return 0;
    }
  }
  auto queue = currentQueue();
  Guard guard(desktopMutex());
  if (!hwnd) {
    static UINT_PTR nextThreadTimer = 0x7FFF;
    id = ++nextThreadTimer;
  }
  elapseMs = std::max<UINT>(elapseMs, 10);
  for (auto& timer : queue->timers) {
    if (timer.hwnd == hwnd && timer.id == id) {
      timer.elapseMs = elapseMs;
      timer.proc = proc;
      timer.due = Clock::now() + std::chrono::milliseconds(elapseMs);
      return hwnd ? id : timer.id;
    }
  }
  Timer timer;
  timer.hwnd = hwnd;
  timer.id = id;
  timer.elapseMs = elapseMs;
  timer.proc = proc;
  timer.due = Clock::now() + std::chrono::milliseconds(elapseMs);
  queue->timers.push_back(timer);
  queue->wake.notify_all();
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto queue = currentQueue();
  Guard guard(desktopMutex());
  auto& timers = queue->timers;
  auto found = std::find_if(timers.begin(), timers.end(),
                            [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  if (found == timers.end()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  timers.erase(found);
  return TRUE;
}
