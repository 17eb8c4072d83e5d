// The headless desktop: where tests and answer files play the user.
//
// When a modal loop starts (a dialog box, a file chooser, the folder chooser), the desktop
// calls, on the loop's own thread, the next queued answer or else the process-wide handler with
// a User for that loop. The User finds controls and acts on them as a person would: it types
// into fields, ticks boxes, selects items, clicks buttons, presses keys, or chooses a path.
// Every action is delivered as window messages and the loop's queue is pumped before the
// action returns, so its effects (notifications, handlers, a nested modal loop, the end of the
// dialog) have happened when it returns. When the handler returns and the dialog is still open,
// nobody answered: the dialog is cancelled. With no handler and no answer every modal loop is
// cancelled at once.
//
// The desktop also holds the process-wide settings that bound every wait, the keyboard state,
// and the call journal in which the layer records the calls worth asserting on.
#pragma once

#include <win32/kernel.h>
#include <win32/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace win32 {
namespace desktop {

enum class ModalKind { Dialog, OpenFile, SaveFile, Folder };

// Names a control of the modal window: every given criterion must hold; index picks among
// the matches in creation order. Text is compared exactly, mnemonic "&" markers ignored;
// class names without regard to ASCII case.
struct Control {
  int id = -1;
  std::wstring className;
  std::wstring text;
  int index = 0;

  static Control byId(int id);
  static Control byText(std::wstring text);
  static Control byClass(std::wstring className, int index = 0);
};

// What a file or folder chooser was asked for.
struct ChooserRequest {
  ModalKind kind = ModalKind::OpenFile;
  HWND owner = nullptr;
  std::wstring title;
  std::wstring initialDir;
  std::wstring initialPath;  // file choosers: the file name given; folder: the selection set
  std::vector<std::pair<std::wstring, std::wstring>> filters;  // (description, patterns)
  int filterIndex = 0;                                         // 1-based as on the platform
  DWORD flags = 0;
};

struct ModalState;

class User {
 public:
  explicit User(ModalState& state);
  User(const User&) = delete;
  User& operator=(const User&) = delete;

  ModalKind kind() const;
  // 1 for the outermost modal loop, 2 for one started from inside it, and so on.
  int depth() const;
  // The dialog (or the chooser's window).
  HWND window() const;
  std::wstring title() const;
  // Choosers only; empty request for dialogs.
  const ChooserRequest& request() const;
  // Whether the loop still runs.
  bool isOpen() const;

  HWND find(const Control& control) const;
  std::vector<HWND> controls() const;
  std::wstring text(const Control& control) const;
  bool isChecked(const Control& control) const;
  // Items of a combo box, list view or (top level of a) tree view, in order.
  std::vector<std::wstring> items(const Control& control) const;

  // Each action answers false when the control is missing, hidden or disabled, or the loop
  // has already ended.
  bool focus(const Control& control);
  // Clicks into the field (focus, caret at the end) and types the text character by character.
  bool type(const Control& control, const std::wstring& text);
  // Selects the field's whole text and deletes it.
  bool clear(const Control& control);
  bool click(const Control& control);
  // Clicks the box when its state differs; true when it ends in the wanted state.
  bool check(const Control& control, bool ticked = true);
  // Combo box entry or list-view item by text; tree-view item by path ("a\b\c"), expanding
  // the items on the way.
  bool select(const Control& control, const std::wstring& item);
  bool select(const Control& control, int index);
  bool expand(const Control& control, const std::wstring& itemPath);
  // A key at the focused control, through the dialog manager (VK_RETURN, VK_ESCAPE, VK_TAB...).
  bool press(int virtualKey);
  // The title bar's close button.
  bool close();

  // Choosers: the path is checked against the request's flags (must exist, folders only);
  // false and nothing chosen when it does not pass, so another path may be tried.
  bool choose(const std::wstring& path);
  void cancel();

 private:
  ModalState& state_;
};

using Handler = std::function<void(User&)>;

// The process-wide handler; returns the previous one.
Handler setHandler(Handler handler);
// Restores the previous handler when it goes.
class ScopedHandler {
 public:
  explicit ScopedHandler(Handler handler);
  ~ScopedHandler();
  ScopedHandler(const ScopedHandler&) = delete;
  ScopedHandler& operator=(const ScopedHandler&) = delete;

 private:
  Handler previous_;
};

// Answers are taken in order, one per modal loop, before the handler is asked.
void queueAnswer(Handler answer);
void clearAnswers();
std::size_t pendingAnswers();

// A drive root and its type (DRIVE_FIXED, DRIVE_REMOVABLE...), as the drive functions of
// kernel.h answer them.
struct Drive {
  std::wstring root;
  UINT type = DRIVE_FIXED;
};

struct Settings {
  // How long a cross-thread SendMessageW waits for the owner thread.
  unsigned sendTimeoutMs = 5000;
  // How long GetMessageW and WaitMessage wait for anything to arrive.
  unsigned messageWaitLimitMs = 30000;
  // The drives GetLogicalDriveStringsW lists, in order.
  std::vector<Drive> drives = {Drive{L"/", DRIVE_FIXED}};
};
Settings settings();
void setSettings(const Settings& settings);

// Keyboard state seen by GetKeyState.
void setKeyDown(int virtualKey, bool down);
void releaseKeys();

// The call journal. Entries are kept in order (the oldest dropped beyond 20000).
struct Call {
  std::string name;    // the API, e.g. "DialogBoxIndirectParamW", or a desktop event "modal.cancel"
  std::string detail;  // arguments worth asserting on, as UTF-8 text
  DWORD thread = 0;
};
void record(std::string name, std::string detail);
std::vector<Call> journal();
// Entries with that name (and, when given, whose detail contains the text).
std::vector<Call> journal(const std::string& name, const std::string& detailPart = std::string());
void clearJournal();

// Text output recorded on a device context (TextOutW and DrawTextW without DT_CALCRECT).
struct TextOut {
  int x = 0;
  int y = 0;
  std::wstring text;
  UINT align = 0;
};
std::vector<TextOut> textDrawn(HDC dc);

}  // namespace desktop
}  // namespace win32
