// List views: items with text, image, parameter and state; selection notifications.
#include "../core.h"

#include <algorithm>

using namespace win32::detail;

namespace {

struct ListItem {
  std::wstring text;
  int image = 0;
  LPARAM param = 0;
  UINT state = 0;
};

struct ListViewState : ControlState {
  std::vector<ListItem> items;
  HIMAGELIST images[3] = {nullptr, nullptr, nullptr};
};

const LPWSTR kTextCallback = reinterpret_cast<LPWSTR>(static_cast<LONG_PTR>(-1));

bool valid(const ListViewState& list, long long index) {
  return index >= 0 && static_cast<size_t>(index) < list.items.size();
}

NMLISTVIEW header(int index, const ListItem* item) {
  NMLISTVIEW info{};
  info.iItem = index;
  info.lParam = item ? item->param : 0;
  return info;
}

// Changes an item's state as the control does: LVN_ITEMCHANGING may refuse, LVN_ITEMCHANGED
// follows. With single selection, selecting one item deselects the others first.
bool setState(HWND hwnd, ListViewState& list, int index, UINT state, UINT mask) {
  if (!valid(list, index)) return false;
  if ((mask & state & LVIS_SELECTED) && (styleOf(hwnd) & LVS_SINGLESEL)) {
    for (int other = 0; other < static_cast<int>(list.items.size()); ++other)
      if (other != index && (list.items[static_cast<size_t>(other)].state & LVIS_SELECTED))
        setState(hwnd, list, other, 0, LVIS_SELECTED);
  }
  if ((mask & state & LVIS_FOCUSED)) {
    for (int other = 0; other < static_cast<int>(list.items.size()); ++other)
      if (other != index && (list.items[static_cast<size_t>(other)].state & LVIS_FOCUSED))
        setState(hwnd, list, other, 0, LVIS_FOCUSED);
  }
  if (!valid(list, index)) return false;
  UINT old = list.items[static_cast<size_t>(index)].state;
  UINT updated = (old & ~mask) | (state & mask);
  if (updated == old) return true;
  NMLISTVIEW info = header(index, &list.items[static_cast<size_t>(index)]);
  info.uOldState = old;
  info.uNewState = updated;
  info.uChanged = LVIF_STATE;
  info.hdr.code = LVN_ITEMCHANGING;
  if (notifyParent(hwnd, info.hdr)) return false;
  if (!valid(list, index)) return false;
  list.items[static_cast<size_t>(index)].state = updated;
  info.hdr.code = LVN_ITEMCHANGED;
  notifyParent(hwnd, info.hdr);
  return true;
}

void copyText(const std::wstring& text, LPWSTR buffer, int size) {
  if (!buffer || buffer == kTextCallback || size <= 0) return;
  size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = L'\0';
}

bool readItem(const ListViewState& list, LVITEMW* item) {
  if (!item || !valid(list, item->iItem) || item->iSubItem != 0) return false;
  const ListItem& stored = list.items[static_cast<size_t>(item->iItem)];
  if (item->mask & LVIF_TEXT) copyText(stored.text, item->pszText, item->cchTextMax);
  if (item->mask & LVIF_IMAGE) item->iImage = stored.image;
  if (item->mask & LVIF_PARAM) item->lParam = stored.param;
  if (item->mask & LVIF_STATE) item->state = stored.state & item->stateMask;
  return true;
}

}  // namespace

namespace win32 {
namespace detail {

bool userSelectListItem(HWND hwnd, int index) {
  auto list = controlState<ListViewState>(hwnd);
  if (!list || !valid(*list, index)) return false;
  SetFocus(hwnd);
  for (int other = 0; other < static_cast<int>(list->items.size()); ++other)
    if (other != index) setState(hwnd, *list, other, 0, LVIS_SELECTED | LVIS_FOCUSED);
  return setState(hwnd, *list, index, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

std::vector<std::wstring> listItemTexts(HWND hwnd) {
  std::vector<std::wstring> texts;
  auto list = controlState<ListViewState>(hwnd);
  if (list)
    for (const auto& item : list->items) texts.push_back(item.text);
  return texts;
}

LRESULT CALLBACK listViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) attachControl<ListViewState>(hwnd);
  auto list = controlState<ListViewState>(hwnd);
  if (!list) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result;
  if (fontMessage(list.get(), message, wParam, &result)) return result;
  auto& items = list->items;
  switch (message) {
    case LVM_GETITEMCOUNT:
      return static_cast<LRESULT>(items.size());
    case LVM_INSERTITEMW: {
      auto* item = reinterpret_cast<LVITEMW*>(lParam);
      if (!item || item->iSubItem != 0 || item->iItem < 0) return -1;
      ListItem stored;
      if ((item->mask & LVIF_TEXT) && item->pszText && item->pszText != kTextCallback)
        stored.text = item->pszText;
      if (item->mask & LVIF_IMAGE) stored.image = item->iImage;
      if (item->mask & LVIF_PARAM) stored.param = item->lParam;
      if (item->mask & LVIF_STATE) stored.state = item->state & item->stateMask;
      size_t at = std::min(static_cast<size_t>(item->iItem), items.size());
      if (styleOf(hwnd) & LVS_SORTASCENDING) {
        std::wstring key = upperAscii(stored.text);
        at = 0;
        while (at < items.size() && upperAscii(items[at].text) <= key) ++at;
      }
      items.insert(items.begin() + static_cast<long>(at), stored);
      NMLISTVIEW info = header(static_cast<int>(at), &stored);
      info.hdr.code = LVN_INSERTITEM;
      notifyParent(hwnd, info.hdr);
      return static_cast<LRESULT>(at);
    }
    case LVM_DELETEITEM: {
      if (!valid(*list, static_cast<long long>(wParam))) return FALSE;
      NMLISTVIEW info = header(static_cast<int>(wParam), &items[wParam]);
      info.hdr.code = LVN_DELETEITEM;
      notifyParent(hwnd, info.hdr);
      if (!valid(*list, static_cast<long long>(wParam))) return FALSE;
      items.erase(items.begin() + static_cast<long>(wParam));
      return TRUE;
    }
    case LVM_DELETEALLITEMS: {
      NMLISTVIEW info = header(-1, nullptr);
      info.hdr.code = LVN_DELETEALLITEMS;
      bool quiet = notifyParent(hwnd, info.hdr) != 0;
      if (!quiet) {
        for (size_t i = 0; i < items.size(); ++i) {
          NMLISTVIEW each = header(static_cast<int>(i), &items[i]);
          each.hdr.code = LVN_DELETEITEM;
          notifyParent(hwnd, each.hdr);
        }
      }
      items.clear();
      return TRUE;
    }
    case LVM_GETITEMW:
      return readItem(*list, reinterpret_cast<LVITEMW*>(lParam)) ? TRUE : FALSE;
    case LVM_SETITEMW: {
      auto* item = reinterpret_cast<LVITEMW*>(lParam);
      if (!item || !valid(*list, item->iItem) || item->iSubItem != 0) return FALSE;
      ListItem& stored = items[static_cast<size_t>(item->iItem)];
      if ((item->mask & LVIF_TEXT) && item->pszText != kTextCallback)
        stored.text = item->pszText ? item->pszText : L"";
      if (item->mask & LVIF_IMAGE) stored.image = item->iImage;
      if (item->mask & LVIF_PARAM) stored.param = item->lParam;
      if (item->mask & LVIF_STATE) setState(hwnd, *list, item->iItem, item->state, item->stateMask);
      return TRUE;
    }
    case LVM_GETITEMTEXTW: {
      auto* item = reinterpret_cast<LVITEMW*>(lParam);
      if (!item || !valid(*list, static_cast<long long>(wParam))) return 0;
      const std::wstring& text = items[wParam].text;
      copyText(text, item->pszText, item->cchTextMax);
      return static_cast<LRESULT>(std::min<size_t>(text.size(), item->cchTextMax > 0 ? item->cchTextMax - 1 : 0));
    }
    case LVM_SETITEMSTATE: {
      auto* item = reinterpret_cast<LVITEMW*>(lParam);
      if (!item) return FALSE;
      if (static_cast<INT_PTR>(wParam) == -1) {
        for (int i = 0; i < static_cast<int>(items.size()); ++i)
          setState(hwnd, *list, i, item->state, item->stateMask);
        return TRUE;
      }
      return setState(hwnd, *list, static_cast<int>(wParam), item->state, item->stateMask) ? TRUE : FALSE;
    }
    case LVM_GETITEMSTATE:
      return valid(*list, static_cast<long long>(wParam)) ? (items[wParam].state & static_cast<UINT>(lParam)) : 0;
    case LVM_GETNEXTITEM: {
      UINT flags = static_cast<UINT>(lParam) & (LVNI_SELECTED | LVNI_FOCUSED);
      int start = static_cast<int>(static_cast<INT_PTR>(wParam));
      for (int i = start < 0 ? 0 : start + 1; i < static_cast<int>(items.size()); ++i) {
        UINT state = items[static_cast<size_t>(i)].state;
        if ((flags & LVNI_SELECTED) && !(state & LVIS_SELECTED)) continue;
        if ((flags & LVNI_FOCUSED) && !(state & LVIS_FOCUSED)) continue;
        return i;
      }
      return -1;
    }
    case LVM_FINDITEMW: {
      auto* find = reinterpret_cast<LVFINDINFOW*>(lParam);
      if (!find) return -1;
      int start = static_cast<int>(static_cast<INT_PTR>(wParam));
      for (int i = start < 0 ? 0 : start + 1; i < static_cast<int>(items.size()); ++i) {
        const ListItem& item = items[static_cast<size_t>(i)];
        if ((find->flags & LVFI_PARAM) && item.param == find->lParam) return i;
        if ((find->flags & LVFI_STRING) && find->psz && upperAscii(item.text) == upperAscii(find->psz))
          return i;
      }
      return -1;
    }
    case LVM_SETIMAGELIST: {
      if (wParam > LVSIL_STATE) return 0;
      HIMAGELIST previous = list->images[wParam];
      list->images[wParam] = reinterpret_cast<HIMAGELIST>(lParam);
      return reinterpret_cast<LRESULT>(previous);
    }
    case LVM_GETIMAGELIST:
      return wParam > LVSIL_STATE ? 0 : reinterpret_cast<LRESULT>(list->images[wParam]);
    case LVM_ENSUREVISIBLE:
      return valid(*list, static_cast<long long>(wParam)) ? TRUE : FALSE;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: {
      int focused = -1;
      for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (items[static_cast<size_t>(i)].state & LVIS_FOCUSED) focused = i;
      int next = focused;
      if (wParam == VK_DOWN) next = std::min(focused + 1, static_cast<int>(items.size()) - 1);
      if (wParam == VK_UP) next = std::max(focused - 1, 0);
      if (next != focused && next >= 0) userSelectListItem(hwnd, next);
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (IsWindowEnabled(hwnd)) SetFocus(hwnd);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace detail
}  // namespace win32
