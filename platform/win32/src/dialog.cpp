// Dialog templates, modal and modeless dialogs, and the dialog manager.
#include "gdi.h"
#include "modal.h"

#include <algorithm>
#include <cstring>

using namespace win32::detail;
using win32::desktop::record;

namespace {

struct ItemTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  WORD id = 0;
  std::wstring className;
  std::wstring title;
  const void* creationData = nullptr;
};

struct ParsedTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::wstring className;
  std::wstring title;
  WORD pointSize = 0;
  std::wstring typeface;
  std::vector<ItemTemplate> items;
};

// Reads the 16-bit units of the in-memory template.
class TemplateReader {
 public:
  explicit TemplateReader(const unsigned char* start) : start_(start), at_(start) {}

  WORD word() {
    WORD value;
    std::memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  template <class T>
  T read() {
    T value;
    std::memcpy(&value, at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  // A string of UTF-16 units ending in 0, or 0xFFFF and an ordinal (returned as "#n").
  std::wstring stringOrOrdinal(WORD* ordinal = nullptr) {
    WORD first = word();
    if (first == 0) return std::wstring();
    if (first == 0xFFFF) {
      WORD value = word();
      if (ordinal) *ordinal = value;
      return L"#" + std::to_wstring(value);
    }
    std::wstring text;
    for (WORD unit = first; unit != 0; unit = word()) {
      if (unit >= 0xD800 && unit < 0xDC00) {
        WORD low = word();
        text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
      } else {
        text += static_cast<wchar_t>(unit);
      }
    }
    return text;
  }
  void alignDword() {
    size_t offset = static_cast<size_t>(at_ - start_);
    at_ += (4 - offset % 4) % 4;
  }
  const unsigned char* position() const { return at_; }
  void skip(size_t bytes) { at_ += bytes; }

 private:
  const unsigned char* start_;
  const unsigned char* at_;
};

const wchar_t* predefinedClass(WORD ordinal) {
  switch (ordinal) {
    case 0x0080:
      return L"BUTTON";
    case 0x0081:
      return L"EDIT";
    case 0x0082:
      return L"STATIC";
    case 0x0085:
      return L"COMBOBOX";
    default:
      return nullptr;
  }
}

bool parseTemplate(const DLGTEMPLATE* source, ParsedTemplate& out) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(source);
  TemplateReader reader(bytes);
  WORD first;
  std::memcpy(&first, bytes + 2, sizeof first);
  if (first == 0xFFFF) return false;  // the extended template form is not served
  out.style = reader.read<DWORD>();
  out.exStyle = reader.read<DWORD>();
  WORD count = reader.word();
  out.x = reader.read<short>();
  out.y = reader.read<short>();
  out.cx = reader.read<short>();
  out.cy = reader.read<short>();
  reader.stringOrOrdinal();  // menus are not served
  out.className = reader.stringOrOrdinal();
  out.title = reader.stringOrOrdinal();
  if (out.style & DS_SETFONT) {
    out.pointSize = reader.word();
    out.typeface = reader.stringOrOrdinal();
  }
  for (WORD i = 0; i < count; ++i) {
    reader.alignDword();
    ItemTemplate item;
    item.style = reader.read<DWORD>();
    item.exStyle = reader.read<DWORD>();
    item.x = reader.read<short>();
    item.y = reader.read<short>();
    item.cx = reader.read<short>();
    item.cy = reader.read<short>();
    item.id = reader.word();
    WORD ordinal = 0;
    item.className = reader.stringOrOrdinal(&ordinal);
    if (ordinal) {
      const wchar_t* name = predefinedClass(ordinal);
      if (!name) return false;
      item.className = name;
    }
    item.title = reader.stringOrOrdinal();
    WORD extra = reader.word();
    if (extra) {
      item.creationData = reader.position();
      reader.skip(extra);
    }
    out.items.push_back(item);
  }
  return true;
}

struct BaseUnits {
  int x = 8;
  int y = 16;
};

BaseUnits unitsOfFont(HFONT font) {
  BaseUnits units;
  if (font) {
    FontMetrics metrics = fontMetrics(font);
    units.x = metrics.width;
    units.y = metrics.height;
  }
  return units;
}

BaseUnits dialogUnitsOf(HWND dialog) {
  auto state = dialogState(dialog);
  return unitsOfFont(state ? state->font : nullptr);
}

RECT toPixels(const BaseUnits& units, short x, short y, short cx, short cy) {
  int left = MulDiv(x, units.x, 4), top = MulDiv(y, units.y, 8);
  return RECT{left, top, left + MulDiv(cx, units.x, 4), top + MulDiv(cy, units.y, 8)};
}

bool isSpecialResult(UINT message) {
  return message == WM_INITDIALOG || (message >= WM_CTLCOLOREDIT && message <= WM_CTLCOLORSTATIC) ||
         message == 0x0039 /* WM_COMPAREITEM */ || message == 0x002E /* WM_VKEYTOITEM */ ||
         message == 0x002F /* WM_CHARTOITEM */ || message == 0x0037 /* WM_QUERYDRAGICON */;
}

bool tabStop(HWND hwnd) {
  DWORD style = styleOf(hwnd);
  return (style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED);
}

std::vector<HWND> directChildren(HWND hwnd) {
  Guard guard(desktopMutex());
  auto window = findWindowLocked(hwnd);
  return window ? window->children : std::vector<HWND>();
}

HWND createDialog(HINSTANCE instance, const DLGTEMPLATE* source, HWND owner, DLGPROC proc,
                  LPARAM initParam) {
  ParsedTemplate parsed;
  if (!source || !parseTemplate(source, parsed)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HFONT font = nullptr;
  if (parsed.style & DS_SETFONT) {
    LOGFONTW log{};
    log.lfHeight = MulDiv(parsed.pointSize, 96, 72);
    log.lfWeight = FW_NORMAL;
    std::wcsncpy(log.lfFaceName, parsed.typeface.c_str(), LF_FACESIZE - 1);
    font = CreateFontIndirectW(&log);
  }
  BaseUnits units = unitsOfFont(font);
  DWORD exStyle = parsed.exStyle;
  if (parsed.style & DS_MODALFRAME) exStyle |= WS_EX_DLGMODALFRAME;
  DWORD style = parsed.style & ~WS_VISIBLE;
  RECT rect = toPixels(units, parsed.x, parsed.y, parsed.cx, parsed.cy);
  RECT outer{0, 0, rect.right - rect.left, rect.bottom - rect.top};
  AdjustWindowRectEx(&outer, style, FALSE, exStyle);
  int width = outer.right - outer.left, height = outer.bottom - outer.top;
  int x = rect.left + outer.left, y = rect.top + outer.top;
  if (parsed.style & DS_CENTER) {
    x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  } else if (owner && !(style & WS_CHILD) && !(parsed.style & DS_ABSALIGN)) {
    POINT origin{0, 0};
    ClientToScreen(owner, &origin);
    x += origin.x;
    y += origin.y;
  }
  std::wstring className = parsed.className.empty() ? std::wstring(L"#32770") : parsed.className;
  HWND dialog = CreateWindowExW(exStyle, className.c_str(), parsed.title.c_str(), style, x, y, width,
                                height, owner, nullptr, instance, nullptr);
  if (!dialog) {
    if (font) DeleteObject(font);
    return nullptr;
  }
  {
    auto window = findWindow(dialog);
    Guard guard(desktopMutex());
    window->dialog = std::make_shared<DialogState>();
    window->dialog->font = font;
  }
  SetWindowLongPtrW(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (font) SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  for (const auto& item : parsed.items) {
    RECT place = toPixels(units, item.x, item.y, item.cx, item.cy);
    HWND control = CreateWindowExW(item.exStyle | WS_EX_NOPARENTNOTIFY, item.className.c_str(),
                                   item.title.c_str(), item.style | WS_CHILD, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, dialog,
                                   reinterpret_cast<HMENU>(static_cast<UINT_PTR>(item.id)), instance,
                                   const_cast<void*>(item.creationData));
    if (!control) {
      DestroyWindow(dialog);
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    if (font) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
  record("WM_INITDIALOG", toUtf8(parsed.title));
  if (SendMessageW(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), initParam) && first &&
      IsWindow(first))
    SetFocus(first);
  if ((parsed.style & WS_VISIBLE) && IsWindow(dialog)) ShowWindow(dialog, SW_SHOW);
  return IsWindow(dialog) ? dialog : nullptr;
}

}  // namespace

namespace win32 {
namespace detail {

void pumpModal(HWND dialog) {
  auto queue = currentQueue();
  MSG msg;
  for (;;) {
    auto state = dialogState(dialog);
    if (!state || state->ended) return;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return;
    if (msg.message == WM_QUIT) {
      // The loop ends; the quit goes on to the loop that waits for it.
      record("modal.quit", "");
      state->ended = true;
      state->result = IDCANCEL;
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (!IsDialogMessageW(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace detail
}  // namespace win32

INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner,
                                DLGPROC dialogProc, LPARAM initParam) {
  HWND root = owner ? GetAncestor(owner, GA_ROOT) : nullptr;
  if (owner && !root) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  auto queue = currentQueue();
  int depth;
  {
    Guard guard(desktopMutex());
    depth = ++queue->modalDepth;
  }
  HWND previousForeground = GetForegroundWindow();
  HWND dialog = createDialog(instance, dialogTemplate, root, dialogProc, initParam);
  INT_PTR result = -1;
  if (dialog) {
    auto state = dialogState(dialog);
    state->modal = true;
    std::string title = toUtf8(textOf(dialog));
    record("DialogBoxIndirectParamW", title);
    bool disabledOwner = root && IsWindowEnabled(root);
    if (disabledOwner) EnableWindow(root, FALSE);
    if (!state->ended) {
      ShowWindow(dialog, SW_SHOW);
      if (GetForegroundWindow() != dialog) SetForegroundWindow(dialog);
    }
    pumpModal(dialog);
    if (!state->ended && IsWindow(dialog)) {
      win32::desktop::ModalState modal;
      modal.kind = win32::desktop::ModalKind::Dialog;
      modal.window = dialog;
      modal.depth = depth;
      playUser(modal);
      pumpModal(dialog);
    }
    if (!state->ended && IsWindow(dialog)) {
      record("modal.cancel", title);
      SendMessageW(dialog, WM_CLOSE, 0, 0);
      pumpModal(dialog);
    }
    if (!state->ended && IsWindow(dialog)) {
      record("modal.forced", title);
      EndDialog(dialog, IDCANCEL);
    }
    result = state->result;
    if (disabledOwner && IsWindow(root)) EnableWindow(root, TRUE);
    if (IsWindow(dialog)) DestroyWindow(dialog);
    HWND back = root ? root : previousForeground;
    if (back && IsWindow(back)) SetForegroundWindow(back);
    record("DialogBoxIndirectParamW.result", title + " " + std::to_string(result));
  }
  {
    Guard guard(desktopMutex());
    --queue->modalDepth;
  }
  return result;
}

HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialogTemplate, HWND owner,
                                DLGPROC dialogProc, LPARAM initParam) {
  HWND dialog = createDialog(instance, dialogTemplate, owner, dialogProc, initParam);
  if (dialog) record("CreateDialogIndirectParamW", toUtf8(textOf(dialog)));
  return dialog;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  auto state = dialogState(dialog);
  if (!state) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  record("EndDialog", handleText(dialog) + " " + std::to_string(result));
  if (state->ended) return TRUE;
  state->ended = true;
  state->result = result;
  ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

LRESULT DefDlgProcW(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(dialog, DWLP_DLGPROC));
  if (proc) {
    SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
    INT_PTR handled = proc(dialog, message, wParam, lParam);
    if (handled && IsWindow(dialog))
      return isSpecialResult(message) ? handled : GetWindowLongPtrW(dialog, DWLP_MSGRESULT);
    if (handled) return handled;
  }
  if (!IsWindow(dialog)) return 0;
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(dialog, IDCANCEL);
      if (cancel && !IsWindowEnabled(cancel)) return 0;
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case DM_GETDEFID: {
      auto state = dialogState(dialog);
      return state ? MAKELRESULT(state->defaultId, DC_HASDEFID) : 0;
    }
    case DM_SETDEFID: {
      auto state = dialogState(dialog);
      if (state) state->defaultId = static_cast<int>(wParam);
      return TRUE;
    }
    case WM_NEXTDLGCTL: {
      HWND target = lParam ? reinterpret_cast<HWND>(wParam)
                           : GetNextDlgTabItem(dialog, GetFocus(), wParam ? TRUE : FALSE);
      if (target) SetFocus(target);
      return 0;
    }
    case WM_SETFOCUS: {
      auto state = dialogState(dialog);
      HWND target = state && IsWindow(state->lastFocus) ? state->lastFocus : GetNextDlgTabItem(dialog, nullptr, FALSE);
      if (target) SetFocus(target);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_GETFONT: {
      auto state = dialogState(dialog);
      return state ? reinterpret_cast<LRESULT>(state->font) : 0;
    }
    case WM_NCDESTROY: {
      auto state = dialogState(dialog);
      if (state && state->font) {
        DeleteObject(state->font);
        state->font = nullptr;
      }
      return DefWindowProcW(dialog, message, wParam, lParam);
    }
    default:
      return DefWindowProcW(dialog, message, wParam, lParam);
  }
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
  if (!msg || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN) {
    LRESULT code = SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    bool wantsAll = (code & DLGC_WANTALLKEYS) != 0;
    switch (msg->wParam) {
      case VK_TAB:
        if (wantsAll || (code & DLGC_WANTTAB)) break;
        {
          bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
          HWND next = GetNextDlgTabItem(dialog, GetFocus(), back ? TRUE : FALSE);
          if (next) SetFocus(next);
        }
        return TRUE;
      case VK_RETURN: {
        if (wantsAll) break;
        HWND focus = GetFocus();
        int id = 0;
        if ((code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) && focus == msg->hwnd)
          id = GetDlgCtrlID(focus);
        if (id == 0) {
          LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
          id = HIWORD(def) == DC_HASDEFID ? LOWORD(def) : IDOK;
        }
        HWND button = GetDlgItem(dialog, id);
        if (button && !IsWindowEnabled(button)) return TRUE;
        record("dialog.enter", std::to_string(id));
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return TRUE;
      }
      case VK_ESCAPE: {
        if (wantsAll) break;
        HWND button = GetDlgItem(dialog, IDCANCEL);
        if (button && !IsWindowEnabled(button)) return TRUE;
        record("dialog.escape", "");
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return TRUE;
      }
      default:
        break;
    }
  }
  TranslateMessage(msg);
  DispatchMessageW(msg);
  return TRUE;
}

LONG GetDialogBaseUnits() { return MAKELONG(8, 16); }

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
  if (!rect || !IsWindow(dialog)) return FALSE;
  BaseUnits units = dialogUnitsOf(dialog);
  rect->left = MulDiv(rect->left, units.x, 4);
  rect->right = MulDiv(rect->right, units.x, 4);
  rect->top = MulDiv(rect->top, units.y, 8);
  rect->bottom = MulDiv(rect->bottom, units.y, 8);
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  for (HWND child : directChildren(dialog))
    if (static_cast<int>(GetWindowLongPtrW(child, GWLP_ID)) == id) return child;
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) { return static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_ID)); }

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessageW(control, message, wParam, lParam) : 0;
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SetWindowTextW(control, text) : FALSE;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int maxCount) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) {
    if (text && maxCount > 0) text[0] = L'\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowTextW(control, text, maxCount));
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessageW(control, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? static_cast<UINT>(SendMessageW(control, BM_GETCHECK, 0, 0)) : 0;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> stops;
  for (HWND child : directChildren(dialog))
    if (tabStop(child) || child == control) stops.push_back(child);
  if (stops.empty()) return nullptr;
  auto at = std::find(stops.begin(), stops.end(), control);
  std::vector<HWND> order;
  size_t n = stops.size();
  size_t start = at == stops.end() ? (previous ? 0 : n - 1) : static_cast<size_t>(at - stops.begin());
  for (size_t step = 1; step <= n; ++step) {
    size_t i = previous ? (start + n - step % n) % n : (start + step) % n;
    if (tabStop(stops[i])) return stops[i];
  }
  return nullptr;
}
