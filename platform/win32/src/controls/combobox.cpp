// Combo boxes (drop-down lists).
#include "../core.h"

#include <algorithm>

using namespace win32::detail;

namespace {

struct ComboItem {
  std::wstring text;
  LRESULT data = 0;
};

struct ComboState : ControlState {
  std::vector<ComboItem> items;
  int selected = CB_ERR;
  bool dropped = false;
};

bool validIndex(const ComboState& combo, WPARAM index) {
  return static_cast<INT_PTR>(index) >= 0 && index < combo.items.size();
}

int findItem(const ComboState& combo, WPARAM start, LPCWSTR text, bool exact) {
  if (!text) return CB_ERR;
  std::wstring wanted = upperAscii(text);
  int count = static_cast<int>(combo.items.size());
  int first = static_cast<INT_PTR>(start) < 0 || static_cast<int>(start) >= count
                  ? 0
                  : static_cast<int>(start) + 1;
  for (int n = 0; n < count; ++n) {
    int i = (first + n) % count;
    std::wstring item = upperAscii(combo.items[static_cast<size_t>(i)].text);
    if (exact ? item == wanted : item.compare(0, wanted.size(), wanted) == 0) return i;
  }
  return CB_ERR;
}

void select(HWND hwnd, ComboState& combo, int index) {
  combo.selected = index;
  storeText(hwnd, index >= 0 ? combo.items[static_cast<size_t>(index)].text : std::wstring());
}

// A person moving the selection: the parent hears of it.
void userMove(HWND hwnd, ComboState& combo, int index) {
  if (combo.items.empty()) return;
  index = std::max(0, std::min(index, static_cast<int>(combo.items.size()) - 1));
  if (index == combo.selected) return;
  select(hwnd, combo, index);
  notifyCommand(hwnd, CBN_SELCHANGE);
}

}  // namespace

namespace win32 {
namespace detail {

bool userSelectComboItem(HWND hwnd, int index) {
  auto combo = controlState<ComboState>(hwnd);
  if (!combo || index < 0 || index >= static_cast<int>(combo->items.size())) return false;
  SetFocus(hwnd);
  combo->dropped = true;
  notifyCommand(hwnd, CBN_DROPDOWN);
  select(hwnd, *combo, index);
  notifyCommand(hwnd, CBN_SELCHANGE);
  combo->dropped = false;
  notifyCommand(hwnd, CBN_CLOSEUP);
  notifyCommand(hwnd, CBN_SELENDOK);
  return true;
}

LRESULT CALLBACK comboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) attachControl<ComboState>(hwnd);
  auto combo = controlState<ComboState>(hwnd);
  if (!combo) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result;
  if (fontMessage(combo.get(), message, wParam, &result)) return result;
  auto& items = combo->items;
  switch (message) {
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
      ComboItem item;
      item.text = lParam ? reinterpret_cast<LPCWSTR>(lParam) : L"";
      size_t at = items.size();
      if (message == CB_INSERTSTRING && static_cast<INT_PTR>(wParam) != -1) {
        if (wParam > items.size()) return CB_ERR;
        at = wParam;
      } else if (message == CB_ADDSTRING && (styleOf(hwnd) & CBS_SORT)) {
        std::wstring key = upperAscii(item.text);
        at = 0;
        while (at < items.size() && upperAscii(items[at].text) <= key) ++at;
      }
      items.insert(items.begin() + static_cast<long>(at), item);
      if (combo->selected >= static_cast<int>(at)) ++combo->selected;
      return static_cast<LRESULT>(at);
    }
    case CB_DELETESTRING: {
      if (!validIndex(*combo, wParam)) return CB_ERR;
      int index = static_cast<int>(wParam);
      items.erase(items.begin() + index);
      if (combo->selected == index)
        select(hwnd, *combo, CB_ERR);
      else if (combo->selected > index)
        --combo->selected;
      return static_cast<LRESULT>(items.size());
    }
    case CB_RESETCONTENT:
      items.clear();
      select(hwnd, *combo, CB_ERR);
      return 0;
    case CB_GETCOUNT:
      return static_cast<LRESULT>(items.size());
    case CB_GETCURSEL:
      return combo->selected;
    case CB_SETCURSEL:
      if (!validIndex(*combo, wParam)) {
        select(hwnd, *combo, CB_ERR);
        return CB_ERR;
      }
      select(hwnd, *combo, static_cast<int>(wParam));
      return static_cast<LRESULT>(wParam);
    case CB_GETLBTEXT:
      if (!validIndex(*combo, wParam) || !lParam) return CB_ERR;
      {
        const std::wstring& text = items[wParam].text;
        auto* buffer = reinterpret_cast<LPWSTR>(lParam);
        std::copy(text.begin(), text.end(), buffer);
        buffer[text.size()] = L'\0';
        return static_cast<LRESULT>(text.size());
      }
    case CB_GETLBTEXTLEN:
      return validIndex(*combo, wParam) ? static_cast<LRESULT>(items[wParam].text.size()) : CB_ERR;
    case CB_SETITEMDATA:
      if (!validIndex(*combo, wParam)) return CB_ERR;
      items[wParam].data = lParam;
      return 0;
    case CB_GETITEMDATA:
      return validIndex(*combo, wParam) ? items[wParam].data : CB_ERR;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
      return findItem(*combo, wParam, reinterpret_cast<LPCWSTR>(lParam), message == CB_FINDSTRINGEXACT);
    case CB_SELECTSTRING: {
      int found = findItem(*combo, wParam, reinterpret_cast<LPCWSTR>(lParam), false);
      if (found != CB_ERR) select(hwnd, *combo, found);
      return found;
    }
    case CB_SHOWDROPDOWN:
      if ((wParam != 0) != combo->dropped) {
        combo->dropped = wParam != 0;
        notifyCommand(hwnd, combo->dropped ? CBN_DROPDOWN : CBN_CLOSEUP);
      }
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return combo->dropped ? TRUE : FALSE;
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_WANTARROWS;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_DOWN:
          userMove(hwnd, *combo, combo->selected + 1);
          break;
        case VK_UP:
          userMove(hwnd, *combo, combo->selected < 0 ? 0 : combo->selected - 1);
          break;
        case VK_HOME:
          userMove(hwnd, *combo, 0);
          break;
        case VK_END:
          userMove(hwnd, *combo, static_cast<int>(items.size()) - 1);
          break;
        default:
          break;
      }
      return 0;
    case WM_LBUTTONDOWN:
      if (IsWindowEnabled(hwnd)) SetFocus(hwnd);
      return 0;
    case WM_SETFOCUS:
      notifyCommand(hwnd, CBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      notifyCommand(hwnd, CBN_KILLFOCUS);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace detail
}  // namespace win32
