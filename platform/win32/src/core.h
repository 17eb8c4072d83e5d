// Internal state of the headless desktop: windows, classes, thread queues.
//
// One process-wide lock guards all of it. It is never held while a window procedure, hook or
// callback runs: those may call back into the layer, from any thread.
#pragma once

#include <win32/desktop.h>
#include <win32/windows.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace win32 {
namespace detail {

using Clock = std::chrono::steady_clock;
using Guard = std::unique_lock<std::recursive_mutex>;
std::recursive_mutex& desktopMutex();

struct WindowClass {
  std::wstring name;
  ATOM atom = 0;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int classExtra = 0;
  int windowExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON smallIcon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  bool system = false;
  int liveWindows = 0;
};

// State of a system control or dialog, owned by its window.
struct ControlState {
  virtual ~ControlState() = default;
  HFONT font = nullptr;
};

struct DialogState {
  bool modal = false;
  bool ended = false;
  INT_PTR result = 0;
  int defaultId = IDOK;
  HFONT font = nullptr;
  HWND lastFocus = nullptr;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::wstring text;
  HWND parent = nullptr;  // the parent of a child window
  HWND owner = nullptr;   // the owner of a top-level window
  bool messageOnly = false;
  std::vector<HWND> children;  // creation order: the first is the top of the order
  RECT rect{};                 // relative to the parent's client area, else screen
  WNDPROC proc = nullptr;
  UINT_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  std::vector<unsigned char> extra;
  DWORD thread = 0;
  bool destroying = false;
  bool paintPending = false;
  bool erasePending = false;
  RECT update{};
  bool hasRegion = false;  // SetWindowRgn: the part shown, in window coordinates
  RECT region{};
  std::shared_ptr<ControlState> control;
  std::shared_ptr<DialogState> dialog;
};

struct ThreadQueue;

struct SentMessage {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
  std::shared_ptr<ThreadQueue> sender;
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapseMs = 0;
  TIMERPROC proc = nullptr;
  Clock::time_point due;
};

struct ThreadQueue {
  DWORD thread = 0;
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<SentMessage>> sent;
  std::condition_variable_any wake;
  bool quit = false;
  int quitCode = 0;
  bool alive = true;
  HWND focus = nullptr;
  HWND active = nullptr;
  std::vector<Timer> timers;
  int inSend = 0;
  int modalDepth = 0;
};

struct State {
  std::map<HWND, std::shared_ptr<Window>> windows;
  // By upper-case name. A name may be registered once per module (instance
  // handle): the system's classes, and an application's classes of several modules.
  std::multimap<std::wstring, std::shared_ptr<WindowClass>> classes;
  ATOM nextAtom = 0xC000;
  uintptr_t nextHandle = 0;
  std::map<DWORD, std::shared_ptr<ThreadQueue>> queues;
  HWND foreground = nullptr;
  HCURSOR cursor = nullptr;
  unsigned char keys[256] = {};
  desktop::Settings settings;
};

// The state; callers hold the lock while they touch it.
State& state();

std::wstring upperAscii(const std::wstring& text);
std::wstring toWide(const std::string& utf8);
std::string toUtf8(const std::wstring& wide);
std::string handleText(const void* handle);

// Windows.
std::shared_ptr<Window> findWindowLocked(HWND hwnd);
std::shared_ptr<Window> findWindow(HWND hwnd);
// The class a module (instance handle) means by a name or atom: its own
// class of that name, else an application-global one, else the system's,
// else another module's (for callers that pass no or another instance).
std::shared_ptr<WindowClass> findClassLocked(LPCWSTR nameOrAtom, HINSTANCE instance = nullptr);
// Screen rectangle of the window and screen position of its client area's origin.
RECT screenRectLocked(const Window& window);
POINT clientOriginLocked(const Window& window);
RECT frameInsets(DWORD style, DWORD exStyle);
// Live descendants in creation order, depth first.
std::vector<HWND> descendants(HWND hwnd);

template <class T>
std::shared_ptr<T> controlState(HWND hwnd) {
  auto window = findWindow(hwnd);
  if (!window) return nullptr;
  Guard guard(desktopMutex());
  return std::dynamic_pointer_cast<T>(window->control);
}
template <class T>
std::shared_ptr<T> attachControl(HWND hwnd) {
  auto window = findWindow(hwnd);
  if (!window) return nullptr;
  Guard guard(desktopMutex());
  auto existing = std::dynamic_pointer_cast<T>(window->control);
  if (existing) return existing;
  auto made = std::make_shared<T>();
  window->control = made;
  return made;
}
std::shared_ptr<DialogState> dialogState(HWND hwnd);
// The window's text and style without sending messages.
std::wstring textOf(HWND hwnd);
void storeText(HWND hwnd, const std::wstring& text);
DWORD styleOf(HWND hwnd);
// Handles WM_SETFONT and WM_GETFONT for a control state; true when the message was one of them.
bool fontMessage(ControlState* control, UINT message, WPARAM wParam, LRESULT* result);

// Queues.
std::shared_ptr<ThreadQueue> currentQueue();
std::shared_ptr<ThreadQueue> queueOfLocked(DWORD thread);
void wakeThreadLocked(DWORD thread);
// Runs the calls other threads sent to this thread.
void serveSentMessages(ThreadQueue& queue);
// Takes the next message for the filter, as PeekMessageW does; false when none.
bool takeMessage(ThreadQueue& queue, MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax,
                 bool remove);
LRESULT callWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Notifications from a control to its parent.
LRESULT notifyCommand(HWND control, WORD code);
LRESULT notifyParent(HWND control, NMHDR& header);

// Painting.
void validateLocked(Window& window);

// System control procedures.
LRESULT CALLBACK buttonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK editProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK staticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK comboBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK listViewProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK treeViewProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK progressProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK chooserProc(HWND, UINT, WPARAM, LPARAM);

// What a person does to a control, beyond what messages express (desktop.cpp uses these).
bool userSelectComboItem(HWND combo, int index);
bool userSelectListItem(HWND list, int index);
bool userExpandTreeItem(HWND tree, HTREEITEM item);
bool userSelectTreeItem(HWND tree, HTREEITEM item);
std::vector<std::wstring> listItemTexts(HWND list);
std::vector<std::pair<HTREEITEM, std::wstring>> treeChildren(HWND tree, HTREEITEM parent);

// Modal loops (dialog.cpp, desktop.cpp).
struct ModalRun;
// Runs the desktop for a modal loop that starts: the answer or the handler acts through a User.
void playUser(desktop::ModalState& state);
// Pumps the calling thread's queue through the dialog manager of dialog until it is empty.
void pumpModal(HWND dialog);

}  // namespace detail
}  // namespace win32
