// Single-line edit fields (password fields included).
#include "../core.h"

#include <algorithm>

using namespace win32::detail;

namespace {

const size_t kDefaultLimit = 32767;
const size_t kMaximumLimit = 0x7FFFFFFE;

struct EditState : ControlState {
  size_t selStart = 0;
  size_t selEnd = 0;
  size_t limit = kDefaultLimit;
  wchar_t passwordChar = 0;
  bool modified = false;
};

void changed(HWND hwnd, EditState& edit) {
  edit.modified = true;
  notifyCommand(hwnd, EN_UPDATE);
  notifyCommand(hwnd, EN_CHANGE);
}

// Replaces the selection; false (and EN_MAXTEXT) when the limit leaves no room at all.
bool replaceSelection(HWND hwnd, EditState& edit, std::wstring insert) {
  std::wstring text = textOf(hwnd);
  size_t start = std::min(edit.selStart, text.size());
  size_t end = std::min(std::max(edit.selEnd, start), text.size());
  size_t room = edit.limit > text.size() - (end - start) ? edit.limit - (text.size() - (end - start)) : 0;
  if (insert.size() > room) {
    insert.resize(room);
    notifyCommand(hwnd, EN_MAXTEXT);
    if (insert.empty() && start == end) return false;
  }
  text.replace(start, end - start, insert);
  storeText(hwnd, text);
  edit.selStart = edit.selEnd = start + insert.size();
  changed(hwnd, edit);
  return true;
}

// Case mapping for the scripts the fields meet (ASCII, Latin-1, Cyrillic), whatever the C locale.
wchar_t upper(wchar_t c) {
  if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x430 && c <= 0x44F))
    return static_cast<wchar_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 0x50);
  return c;
}

wchar_t lower(wchar_t c) {
  if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F))
    return static_cast<wchar_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return static_cast<wchar_t>(c + 0x50);
  return c;
}

std::wstring transform(DWORD style, wchar_t c) {
  if (style & ES_UPPERCASE) c = upper(c);
  if (style & ES_LOWERCASE) c = lower(c);
  return std::wstring(1, c);
}

}  // namespace

namespace win32 {
namespace detail {

LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto made = attachControl<EditState>(hwnd);
    if (made && (styleOf(hwnd) & ES_PASSWORD)) made->passwordChar = 0x25CF;
  }
  auto edit = controlState<EditState>(hwnd);
  if (!edit) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result;
  if (fontMessage(edit.get(), message, wParam, &result)) return result;
  DWORD style = styleOf(hwnd);
  bool readOnly = (style & ES_READONLY) != 0;
  switch (message) {
    case WM_SETTEXT: {
      DefWindowProcW(hwnd, message, wParam, lParam);
      edit->selStart = edit->selEnd = 0;
      notifyCommand(hwnd, EN_UPDATE);
      notifyCommand(hwnd, EN_CHANGE);
      edit->modified = false;
      return TRUE;
    }
    case WM_GETDLGCODE: {
      LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if ((style & ES_MULTILINE) && (style & ES_WANTRETURN)) code |= DLGC_WANTALLKEYS;
      return code;
    }
    case WM_CHAR: {
      if (readOnly) return 0;
      wchar_t c = static_cast<wchar_t>(wParam);
      if (c == 8) {
        if (edit->selStart == edit->selEnd) {
          if (edit->selStart == 0) return 0;
          edit->selStart -= 1;
        }
        replaceSelection(hwnd, *edit, std::wstring());
        return 0;
      }
      if (c < 0x20 || c == 0x7F) return 0;
      if ((style & ES_NUMBER) && (c < L'0' || c > L'9')) return 0;
      replaceSelection(hwnd, *edit, transform(style, c));
      return 0;
    }
    case WM_KEYDOWN: {
      size_t length = textOf(hwnd).size();
      size_t caret = std::min(edit->selEnd, length);
      switch (wParam) {
        case VK_LEFT:
          caret = caret > 0 ? caret - 1 : 0;
          break;
        case VK_RIGHT:
          caret = std::min(caret + 1, length);
          break;
        case VK_HOME:
          caret = 0;
          break;
        case VK_END:
          caret = length;
          break;
        case VK_DELETE:
          if (readOnly) return 0;
          if (edit->selStart == edit->selEnd) {
            if (edit->selEnd >= length) return 0;
            edit->selEnd += 1;
          }
          replaceSelection(hwnd, *edit, std::wstring());
          return 0;
        default:
          return 0;
      }
      edit->selStart = edit->selEnd = caret;
      return 0;
    }
    case EM_GETSEL: {
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(edit->selStart);
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(edit->selEnd);
      return MAKELRESULT(std::min<size_t>(edit->selStart, 0xFFFF), std::min<size_t>(edit->selEnd, 0xFFFF));
    }
    case EM_SETSEL: {
      size_t length = textOf(hwnd).size();
      long long start = static_cast<long long>(static_cast<INT_PTR>(wParam));
      long long end = static_cast<long long>(lParam);
      if (start == -1) {
        edit->selStart = edit->selEnd;
        return 0;
      }
      if (end < 0 || static_cast<size_t>(end) > length) end = static_cast<long long>(length);
      if (start < 0 || static_cast<size_t>(start) > length) start = static_cast<long long>(length);
      if (start > end) std::swap(start, end);
      edit->selStart = static_cast<size_t>(start);
      edit->selEnd = static_cast<size_t>(end);
      return 0;
    }
    case EM_REPLACESEL:
      replaceSelection(hwnd, *edit, lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"");
      return 0;
    case EM_LIMITTEXT:
      edit->limit = wParam ? std::min<size_t>(wParam, kMaximumLimit) : kMaximumLimit;
      return 0;
    case EM_GETLIMITTEXT:
      return static_cast<LRESULT>(edit->limit);
    case EM_SETREADONLY:
      SetWindowLongPtrW(hwnd, GWL_STYLE, wParam ? (style | ES_READONLY) : (style & ~ES_READONLY));
      return TRUE;
    case EM_SETPASSWORDCHAR:
      edit->passwordChar = static_cast<wchar_t>(wParam);
      SetWindowLongPtrW(hwnd, GWL_STYLE, wParam ? (style | ES_PASSWORD) : (style & ~ES_PASSWORD));
      return 0;
    case EM_GETPASSWORDCHAR:
      return edit->passwordChar;
    case EM_GETMODIFY:
      return edit->modified ? TRUE : FALSE;
    case EM_SETMODIFY:
      edit->modified = wParam != 0;
      return 0;
    case WM_LBUTTONDOWN:
      if (IsWindowEnabled(hwnd)) SetFocus(hwnd);
      return 0;
    case WM_SETFOCUS:
      notifyCommand(hwnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      notifyCommand(hwnd, EN_KILLFOCUS);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace detail
}  // namespace win32
