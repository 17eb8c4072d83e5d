// The desktop: handlers and answers for modal loops, the User who acts in them, settings and
// the call journal.
#include "modal.h"

#include <deque>
#include <exception>

using namespace win32::detail;

namespace win32 {
namespace desktop {

namespace {

const size_t kJournalLimit = 20000;
const WPARAM kPacketKey = 0xE7;  // keys that carry a typed character

struct Registry {
  std::mutex mutex;
  Handler handler;
  std::deque<Handler> answers;
  std::deque<Call> journal;
};

Registry& registry() {
  static auto* instance = new Registry;  // never destroyed: threads may record at exit
  return *instance;
}

std::wstring withoutMnemonics(const std::wstring& text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&') {
      if (i + 1 < text.size() && text[i + 1] == L'&') out += L'&', ++i;
      continue;
    }
    out += text[i];
  }
  return out;
}

std::wstring classOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return upperAscii(name);
}

std::wstring windowText(HWND hwnd) {
  int length = GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int got = GetWindowTextW(hwnd, &text[0], length + 1);
  text.resize(static_cast<size_t>(got));
  return text;
}

// Finds the tree item for a path such as "C:\Keys\a.key": at each level the child whose text
// starts the rest of the path (item texts may themselves hold "\").
HTREEITEM walkTree(HWND tree, const std::wstring& path, bool expandLast) {
  std::wstring rest = path;
  HTREEITEM parent = nullptr;
  while (!rest.empty()) {
    HTREEITEM match = nullptr;
    size_t used = 0;
    for (const auto& child : treeChildren(tree, parent)) {
      const std::wstring& text = child.second;
      if (text.empty() || rest.compare(0, text.size(), text) != 0) continue;
      bool whole = rest.size() == text.size() || text.back() == L'\\' || text.back() == L'/' ||
                   rest[text.size()] == L'\\' || rest[text.size()] == L'/';
      if (whole && text.size() > used) {
        match = child.first;
        used = text.size();
      }
    }
    if (!match) return nullptr;
    rest = rest.substr(used);
    while (!rest.empty() && (rest[0] == L'\\' || rest[0] == L'/')) rest.erase(0, 1);
    if (!rest.empty() || expandLast) userExpandTreeItem(tree, match);
    parent = match;
  }
  return parent;
}

}  // namespace

Control Control::byId(int id) {
  Control control;
  control.id = id;
  return control;
}

Control Control::byText(std::wstring text) {
  Control control;
  control.text = std::move(text);
  return control;
}

Control Control::byClass(std::wstring className, int index) {
  Control control;
  control.className = std::move(className);
  control.index = index;
  return control;
}

User::User(ModalState& state) : state_(state) {}

ModalKind User::kind() const { return state_.kind; }
int User::depth() const { return state_.depth; }
HWND User::window() const { return state_.window; }
std::wstring User::title() const { return textOf(state_.window); }
const ChooserRequest& User::request() const { return state_.request; }

bool User::isOpen() const {
  if (state_.kind != ModalKind::Dialog) return !state_.chosen && !state_.cancelled;
  auto dialog = dialogState(state_.window);
  return dialog && !dialog->ended && IsWindow(state_.window);
}

HWND User::find(const Control& control) const {
  int seen = 0;
  std::wstring wantedClass = upperAscii(control.className);
  for (HWND hwnd : controls()) {
    if (control.id != -1 && GetDlgCtrlID(hwnd) != control.id) continue;
    if (!wantedClass.empty() && classOf(hwnd) != wantedClass) continue;
    if (!control.text.empty() && withoutMnemonics(textOf(hwnd)) != withoutMnemonics(control.text))
      continue;
    if (seen++ == control.index) return hwnd;
  }
  return nullptr;
}

std::vector<HWND> User::controls() const { return descendants(state_.window); }

std::wstring User::text(const Control& control) const {
  HWND hwnd = find(control);
  return hwnd ? windowText(hwnd) : std::wstring();
}

bool User::isChecked(const Control& control) const {
  HWND hwnd = find(control);
  return hwnd && SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::vector<std::wstring> User::items(const Control& control) const {
  std::vector<std::wstring> result;
  HWND hwnd = find(control);
  if (!hwnd) return result;
  std::wstring cls = classOf(hwnd);
  if (cls == L"COMBOBOX") {
    LRESULT count = SendMessageW(hwnd, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      LRESULT length = SendMessageW(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
      std::wstring text(static_cast<size_t>(length) + 1, L'\0');
      SendMessageW(hwnd, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
      text.resize(static_cast<size_t>(length));
      result.push_back(text);
    }
  } else if (cls == L"SYSLISTVIEW32") {
    result = listItemTexts(hwnd);
  } else if (cls == L"SYSTREEVIEW32") {
    for (const auto& child : treeChildren(hwnd, nullptr)) result.push_back(child.second);
  }
  return result;
}

namespace {

bool usable(const User& user, HWND hwnd) {
  return hwnd && user.isOpen() && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd);
}

void pump(const User& user) { pumpModal(user.window()); }

}  // namespace

bool User::focus(const Control& control) {
  HWND hwnd = find(control);
  if (!usable(*this, hwnd)) return false;
  SetFocus(hwnd);
  pump(*this);
  return true;
}

bool User::type(const Control& control, const std::wstring& text) {
  HWND hwnd = find(control);
  if (!usable(*this, hwnd)) return false;
  record("user.type", toUtf8(classOf(hwnd)) + " " + std::to_string(text.size()) + " characters");
  SetFocus(hwnd);
  LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
  SendMessageW(hwnd, EM_SETSEL, static_cast<WPARAM>(length), length);
  for (wchar_t c : text) {
    if (!isOpen() || !IsWindow(hwnd)) return false;
    PostMessageW(hwnd, WM_KEYDOWN, kPacketKey, 1);
    PostMessageW(hwnd, WM_CHAR, static_cast<WPARAM>(c), 1);
    PostMessageW(hwnd, WM_KEYUP, kPacketKey, static_cast<LPARAM>(0xC0000001u));
    pump(*this);
  }
  return true;
}

bool User::clear(const Control& control) {
  HWND hwnd = find(control);
  if (!usable(*this, hwnd)) return false;
  SetFocus(hwnd);
  SendMessageW(hwnd, EM_SETSEL, 0, -1);
  PostMessageW(hwnd, WM_KEYDOWN, VK_DELETE, 1);
  PostMessageW(hwnd, WM_KEYUP, VK_DELETE, static_cast<LPARAM>(0xC0000001u));
  pump(*this);
  return true;
}

bool User::click(const Control& control) {
  HWND hwnd = find(control);
  if (!usable(*this, hwnd)) return false;
  record("user.click", toUtf8(classOf(hwnd)) + " \"" + toUtf8(textOf(hwnd)) + "\"");
  RECT client;
  GetClientRect(hwnd, &client);
  LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
  PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, centre);
  PostMessageW(hwnd, WM_LBUTTONUP, 0, centre);
  pump(*this);
  return true;
}

bool User::check(const Control& control, bool ticked) {
  HWND hwnd = find(control);
  if (!hwnd) return false;
  if ((SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) == ticked) return true;
  if (!click(control)) return false;
  return IsWindow(hwnd) && (SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) == ticked;
}

bool User::select(const Control& control, const std::wstring& item) {
  HWND hwnd = find(control);
  if (!usable(*this, hwnd)) return false;
  record("user.select", toUtf8(classOf(hwnd)) + " \"" + toUtf8(item) + "\"");
  std::wstring cls = classOf(hwnd);
  bool done = false;
  if (cls == L"COMBOBOX") {
    LRESULT index = SendMessageW(hwnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(item.c_str()));
    done = index != CB_ERR && userSelectComboItem(hwnd, static_cast<int>(index));
  } else if (cls == L"SYSLISTVIEW32") {
    auto texts = listItemTexts(hwnd);
    for (size_t i = 0; i < texts.size() && !done; ++i)
      if (texts[i] == item) done = userSelectListItem(hwnd, static_cast<int>(i));
  } else if (cls == L"SYSTREEVIEW32") {
    HTREEITEM found = walkTree(hwnd, item, false);
    done = found && userSelectTreeItem(hwnd, found);
  }
  pump(*this);
  return done;
}

bool User::select(const Control& control, int index) {
  HWND hwnd = find(control);
  if (!usable(*this, hwnd)) return false;
  std::wstring cls = classOf(hwnd);
  bool done = false;
  if (cls == L"COMBOBOX") {
    done = userSelectComboItem(hwnd, index);
  } else if (cls == L"SYSLISTVIEW32") {
    done = userSelectListItem(hwnd, index);
  } else if (cls == L"SYSTREEVIEW32") {
    auto roots = treeChildren(hwnd, nullptr);
    done = index >= 0 && static_cast<size_t>(index) < roots.size() &&
           userSelectTreeItem(hwnd, roots[static_cast<size_t>(index)].first);
  }
  pump(*this);
  return done;
}

bool User::expand(const Control& control, const std::wstring& itemPath) {
  HWND hwnd = find(control);
  if (!usable(*this, hwnd) || classOf(hwnd) != L"SYSTREEVIEW32") return false;
  bool done = walkTree(hwnd, itemPath, true) != nullptr;
  pump(*this);
  return done;
}

bool User::press(int virtualKey) {
  if (!isOpen()) return false;
  if (state_.kind != ModalKind::Dialog) {
    if (virtualKey != VK_ESCAPE) return false;
    cancel();
    return true;
  }
  record("user.press", std::to_string(virtualKey));
  HWND target = GetFocus();
  if (!target || (target != state_.window && !IsChild(state_.window, target))) target = state_.window;
  setKeyDown(virtualKey, true);
  PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), 1);
  pump(*this);
  if (IsWindow(target)) PostMessageW(target, WM_KEYUP, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(0xC0000001u));
  setKeyDown(virtualKey, false);
  pump(*this);
  return true;
}

bool User::close() {
  if (!isOpen()) return false;
  if (state_.kind != ModalKind::Dialog) {
    cancel();
    return true;
  }
  record("user.close", toUtf8(title()));
  PostMessageW(state_.window, WM_SYSCOMMAND, SC_CLOSE, 0);
  pump(*this);
  return true;
}

bool User::choose(const std::wstring& path) {
  if (state_.kind == ModalKind::Dialog || !isOpen()) return false;
  std::string reason = state_.validate ? state_.validate(path) : std::string();
  if (!reason.empty()) {
    record("user.choose-refused", toUtf8(path) + ": " + reason);
    return false;
  }
  record("user.choose", toUtf8(path));
  state_.chosen = true;
  state_.choice = path;
  return true;
}

void User::cancel() {
  if (!isOpen()) return;
  if (state_.kind == ModalKind::Dialog) {
    press(VK_ESCAPE);
    return;
  }
  record("user.cancel", toUtf8(state_.request.title));
  state_.cancelled = true;
}

Handler setHandler(Handler handler) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  Handler previous = std::move(r.handler);
  r.handler = std::move(handler);
  return previous;
}

ScopedHandler::ScopedHandler(Handler handler) : previous_(setHandler(std::move(handler))) {}

ScopedHandler::~ScopedHandler() { setHandler(std::move(previous_)); }

void queueAnswer(Handler answer) {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.answers.push_back(std::move(answer));
}

void clearAnswers() {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.answers.clear();
}

std::size_t pendingAnswers() {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return r.answers.size();
}

Settings settings() {
  Guard guard(desktopMutex());
  return state().settings;
}

void setSettings(const Settings& settings) {
  Guard guard(desktopMutex());
  state().settings = settings;
}

void record(std::string name, std::string detail) {
  Call call;
  call.name = std::move(name);
  call.detail = std::move(detail);
  call.thread = GetCurrentThreadId();
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.journal.push_back(std::move(call));
  if (r.journal.size() > kJournalLimit) r.journal.pop_front();
}

std::vector<Call> journal() {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  return std::vector<Call>(r.journal.begin(), r.journal.end());
}

std::vector<Call> journal(const std::string& name, const std::string& detailPart) {
  std::vector<Call> result;
  for (auto& call : journal())
    if (call.name == name && (detailPart.empty() || call.detail.find(detailPart) != std::string::npos))
      result.push_back(call);
  return result;
}

void clearJournal() {
  Registry& r = registry();
  std::lock_guard<std::mutex> lock(r.mutex);
  r.journal.clear();
}

}  // namespace desktop
}  // namespace win32

namespace win32 {
namespace detail {

void playUser(desktop::ModalState& modal) {
  desktop::Handler handler;
  {
    auto& r = desktop::registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!r.answers.empty()) {
      handler = std::move(r.answers.front());
      r.answers.pop_front();
    } else {
      handler = r.handler;
    }
  }
  std::string title = toUtf8(modal.kind == desktop::ModalKind::Dialog ? textOf(modal.window) : modal.request.title);
  if (!handler) {
    desktop::record("modal.unanswered", title);
    return;
  }
  desktop::User user(modal);
  try {
    handler(user);
  } catch (const std::exception& error) {
    desktop::record("modal.handler-error", error.what());
  } catch (...) {
    desktop::record("modal.handler-error", "unknown exception");
  }
}

}  // namespace detail
}  // namespace win32
