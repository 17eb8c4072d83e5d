// Tree views: items in a hierarchy, expansion and selection with their notifications.
//
// Notifications may change the tree (a handler that fills an item on expansion); the code
// keeps no references into the tree across them and looks items up again by handle.
#include "../core.h"

#include <algorithm>

using namespace win32::detail;

namespace {

struct TreeItem {
  HTREEITEM handle = nullptr;
  HTREEITEM parent = nullptr;  // null for root items
  std::vector<HTREEITEM> children;
  std::wstring text;
  int image = 0;
  int selectedImage = 0;
  LPARAM param = 0;
  UINT state = 0;
  int childrenFlag = 0;  // cChildren as given: 1 or I_CHILDRENCALLBACK announce children
};

struct TreeViewState : ControlState {
  std::map<HTREEITEM, TreeItem> items;
  std::vector<HTREEITEM> roots;
  HTREEITEM selected = nullptr;
  uintptr_t next = 0;
  HIMAGELIST images[3] = {nullptr, nullptr, nullptr};
};

const LPWSTR kTextCallback = reinterpret_cast<LPWSTR>(static_cast<LONG_PTR>(-1));

TreeItem* find(TreeViewState& tree, HTREEITEM handle) {
  auto found = tree.items.find(handle);
  return found == tree.items.end() ? nullptr : &found->second;
}

std::vector<HTREEITEM>& siblingsOf(TreeViewState& tree, HTREEITEM parent) {
  return parent ? tree.items[parent].children : tree.roots;
}

TVITEMW describe(const TreeItem& item) {
  TVITEMW info{};
  info.mask = TVIF_HANDLE | TVIF_STATE | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  info.hItem = item.handle;
  info.state = item.state;
  info.stateMask = 0xFFFF;
  info.iImage = item.image;
  info.iSelectedImage = item.selectedImage;
  info.lParam = item.param;
  return info;
}

HTREEITEM insert(TreeViewState& tree, HWND, const TVINSERTSTRUCTW& request) {
  HTREEITEM parent = request.hParent == TVI_ROOT ? nullptr : request.hParent;
  if (parent && !find(tree, parent)) return nullptr;
  TreeItem item;
  item.handle = reinterpret_cast<HTREEITEM>(static_cast<uintptr_t>(0x100000 + (++tree.next << 3)));
  item.parent = parent;
  const TVITEMW& given = request.item;
  if ((given.mask & TVIF_TEXT) && given.pszText && given.pszText != kTextCallback) item.text = given.pszText;
  if (given.mask & TVIF_IMAGE) item.image = given.iImage;
  if (given.mask & TVIF_SELECTEDIMAGE) item.selectedImage = given.iSelectedImage;
  if (given.mask & TVIF_PARAM) item.param = given.lParam;
  if (given.mask & TVIF_STATE) item.state = given.state & given.stateMask & ~TVIS_SELECTED;
  if (given.mask & TVIF_CHILDREN) item.childrenFlag = given.cChildren;
  std::vector<HTREEITEM>& siblings = siblingsOf(tree, parent);
  size_t at = siblings.size();
  HTREEITEM after = request.hInsertAfter;
  if (after == TVI_FIRST) {
    at = 0;
  } else if (after == TVI_SORT) {
    std::wstring key = upperAscii(item.text);
    at = 0;
    while (at < siblings.size() && upperAscii(tree.items[siblings[at]].text) <= key) ++at;
  } else if (after != TVI_LAST && after != nullptr) {
    auto found = std::find(siblings.begin(), siblings.end(), after);
    if (found != siblings.end()) at = static_cast<size_t>(found - siblings.begin()) + 1;
  }
  HTREEITEM handle = item.handle;
  siblings.insert(siblings.begin() + static_cast<long>(at), handle);
  tree.items[handle] = std::move(item);
  return handle;
}

void collect(TreeViewState& tree, HTREEITEM handle, std::vector<HTREEITEM>& out) {
  TreeItem* item = find(tree, handle);
  if (!item) return;
  for (HTREEITEM child : item->children) collect(tree, child, out);
  out.push_back(handle);
}

bool removeItem(HWND hwnd, TreeViewState& tree, HTREEITEM handle) {
  std::vector<HTREEITEM> doomed;
  if (!handle || handle == TVI_ROOT) {
    std::vector<HTREEITEM> roots = tree.roots;
    for (HTREEITEM root : roots) collect(tree, root, doomed);
  } else {
    if (!find(tree, handle)) return false;
    collect(tree, handle, doomed);
  }
  for (HTREEITEM each : doomed) {
    TreeItem* item = find(tree, each);
    if (!item) continue;
    NMTREEVIEWW info{};
    info.hdr.code = TVN_DELETEITEMW;
    info.itemOld = describe(*item);
    notifyParent(hwnd, info.hdr);
  }
  for (HTREEITEM each : doomed) {
    TreeItem* item = find(tree, each);
    if (!item) continue;
    if (tree.selected == each) tree.selected = nullptr;
    auto& siblings = item->parent && find(tree, item->parent) ? tree.items[item->parent].children : tree.roots;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), each), siblings.end());
    tree.items.erase(each);
  }
  return true;
}

bool hasChildren(const TreeItem& item) {
  return !item.children.empty() || item.childrenFlag == 1 || item.childrenFlag == I_CHILDRENCALLBACK;
}

// Expands or collapses; the application's own TVM_EXPAND notifies only on the first expansion,
// a person's click always does.
bool expand(HWND hwnd, TreeViewState& tree, HTREEITEM handle, UINT action, bool byUser) {
  TreeItem* item = find(tree, handle);
  if (!item) return false;
  action &= TVE_TOGGLE;
  if (action == TVE_TOGGLE) action = (item->state & TVIS_EXPANDED) ? TVE_COLLAPSE : TVE_EXPAND;
  bool expanding = action == TVE_EXPAND;
  if (expanding && !hasChildren(*item)) return false;
  if (expanding == ((item->state & TVIS_EXPANDED) != 0)) return true;
  bool notify = byUser || (expanding && !(item->state & TVIS_EXPANDEDONCE));
  if (notify) {
    NMTREEVIEWW info{};
    info.hdr.code = TVN_ITEMEXPANDINGW;
    info.action = action;
    info.itemNew = describe(*item);
    if (notifyParent(hwnd, info.hdr)) return false;
    item = find(tree, handle);
    if (!item) return false;
  }
  if (expanding)
    item->state |= TVIS_EXPANDED | TVIS_EXPANDEDONCE;
  else
    item->state &= ~TVIS_EXPANDED;
  if (notify) {
    NMTREEVIEWW info{};
    info.hdr.code = TVN_ITEMEXPANDEDW;
    info.action = action;
    info.itemNew = describe(*item);
    notifyParent(hwnd, info.hdr);
  }
  return true;
}

bool selectItem(HWND hwnd, TreeViewState& tree, HTREEITEM handle, UINT action) {
  if (handle && !find(tree, handle)) return false;
  if (handle == tree.selected) return true;
  // A selected item is made visible: its ancestors open.
  if (handle) {
    std::vector<HTREEITEM> ancestors;
    for (TreeItem* at = find(tree, find(tree, handle)->parent); at; at = find(tree, at->parent))
      ancestors.push_back(at->handle);
    for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) expand(hwnd, tree, *it, TVE_EXPAND, false);
    if (!find(tree, handle)) return false;
  }
  NMTREEVIEWW info{};
  info.action = action;
  if (TreeItem* old = find(tree, tree.selected)) info.itemOld = describe(*old);
  if (TreeItem* fresh = find(tree, handle)) info.itemNew = describe(*fresh);
  info.hdr.code = TVN_SELCHANGINGW;
  if (notifyParent(hwnd, info.hdr)) return false;
  if (handle && !find(tree, handle)) return false;
  if (TreeItem* old = find(tree, tree.selected)) old->state &= ~TVIS_SELECTED;
  tree.selected = handle;
  if (TreeItem* fresh = find(tree, handle)) {
    fresh->state |= TVIS_SELECTED;
    info.itemNew = describe(*fresh);
  }
  info.hdr.code = TVN_SELCHANGEDW;
  notifyParent(hwnd, info.hdr);
  return true;
}

HTREEITEM nextItem(TreeViewState& tree, UINT flag, HTREEITEM handle) {
  auto position = [&](HTREEITEM h, int delta) -> HTREEITEM {
    TreeItem* item = find(tree, h);
    if (!item) return nullptr;
    auto& siblings = siblingsOf(tree, item->parent);
    auto at = std::find(siblings.begin(), siblings.end(), h);
    long index = static_cast<long>(at - siblings.begin()) + delta;
    if (index < 0 || index >= static_cast<long>(siblings.size())) return nullptr;
    return siblings[static_cast<size_t>(index)];
  };
  switch (flag) {
    case TVGN_ROOT:
    case TVGN_FIRSTVISIBLE:
      return tree.roots.empty() ? nullptr : tree.roots.front();
    case TVGN_NEXT:
      return position(handle, 1);
    case TVGN_PREVIOUS:
      return position(handle, -1);
    case TVGN_PARENT: {
      TreeItem* item = find(tree, handle);
      return item ? item->parent : nullptr;
    }
    case TVGN_CHILD: {
      if (!handle || handle == TVI_ROOT) return tree.roots.empty() ? nullptr : tree.roots.front();
      TreeItem* item = find(tree, handle);
      return item && !item->children.empty() ? item->children.front() : nullptr;
    }
    case TVGN_CARET:
      return tree.selected;
    default:
      return nullptr;
  }
}

}  // namespace

namespace win32 {
namespace detail {

bool userExpandTreeItem(HWND hwnd, HTREEITEM item) {
  auto tree = controlState<TreeViewState>(hwnd);
  if (!tree || !find(*tree, item)) return false;
  SetFocus(hwnd);
  if (find(*tree, item)->state & TVIS_EXPANDED) return true;
  return expand(hwnd, *tree, item, TVE_EXPAND, true);
}

bool userSelectTreeItem(HWND hwnd, HTREEITEM item) {
  auto tree = controlState<TreeViewState>(hwnd);
  if (!tree || !find(*tree, item)) return false;
  SetFocus(hwnd);
  return selectItem(hwnd, *tree, item, TVC_BYMOUSE);
}

std::vector<std::pair<HTREEITEM, std::wstring>> treeChildren(HWND hwnd, HTREEITEM parent) {
  std::vector<std::pair<HTREEITEM, std::wstring>> result;
  auto tree = controlState<TreeViewState>(hwnd);
  if (!tree) return result;
  if (parent && !find(*tree, parent)) return result;
  for (HTREEITEM child : siblingsOf(*tree, parent)) result.emplace_back(child, tree->items[child].text);
  return result;
}

LRESULT CALLBACK treeViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) attachControl<TreeViewState>(hwnd);
  auto tree = controlState<TreeViewState>(hwnd);
  if (!tree) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result;
  if (fontMessage(tree.get(), message, wParam, &result)) return result;
  auto handle = reinterpret_cast<HTREEITEM>(lParam);
  switch (message) {
    case TVM_INSERTITEMW: {
      auto* request = reinterpret_cast<TVINSERTSTRUCTW*>(lParam);
      return request ? reinterpret_cast<LRESULT>(insert(*tree, hwnd, *request)) : 0;
    }
    case TVM_DELETEITEM:
      return removeItem(hwnd, *tree, handle) ? TRUE : FALSE;
    case TVM_EXPAND:
      return expand(hwnd, *tree, handle, static_cast<UINT>(wParam), false) ? TRUE : FALSE;
    case TVM_GETNEXTITEM:
      return reinterpret_cast<LRESULT>(nextItem(*tree, static_cast<UINT>(wParam), handle));
    case TVM_SELECTITEM:
      if (wParam != TVGN_CARET) return FALSE;
      return selectItem(hwnd, *tree, handle, TVC_UNKNOWN) ? TRUE : FALSE;
    case TVM_GETITEMW: {
      auto* item = reinterpret_cast<TVITEMW*>(lParam);
      TreeItem* stored = item ? find(*tree, item->hItem) : nullptr;
      if (!stored) return FALSE;
      if ((item->mask & TVIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        size_t n = std::min(stored->text.size(), static_cast<size_t>(item->cchTextMax) - 1);
        std::copy_n(stored->text.data(), n, item->pszText);
        item->pszText[n] = L'\0';
      }
      if (item->mask & TVIF_IMAGE) item->iImage = stored->image;
      if (item->mask & TVIF_SELECTEDIMAGE) item->iSelectedImage = stored->selectedImage;
      if (item->mask & TVIF_PARAM) item->lParam = stored->param;
      if (item->mask & TVIF_STATE) item->state = stored->state & item->stateMask;
      if (item->mask & TVIF_CHILDREN) item->cChildren = hasChildren(*stored) ? 1 : 0;
      return TRUE;
    }
    case TVM_SETITEMW: {
      auto* item = reinterpret_cast<TVITEMW*>(lParam);
      TreeItem* stored = item ? find(*tree, item->hItem) : nullptr;
      if (!stored) return FALSE;
      if ((item->mask & TVIF_TEXT) && item->pszText != kTextCallback)
        stored->text = item->pszText ? item->pszText : L"";
      if (item->mask & TVIF_IMAGE) stored->image = item->iImage;
      if (item->mask & TVIF_SELECTEDIMAGE) stored->selectedImage = item->iSelectedImage;
      if (item->mask & TVIF_PARAM) stored->param = item->lParam;
      if (item->mask & TVIF_STATE)
        stored->state = (stored->state & ~(item->stateMask & ~TVIS_SELECTED)) |
                        (item->state & item->stateMask & ~TVIS_SELECTED);
      if (item->mask & TVIF_CHILDREN) stored->childrenFlag = item->cChildren;
      return TRUE;
    }
    case TVM_GETCOUNT:
      return static_cast<LRESULT>(tree->items.size());
    case TVM_SETIMAGELIST: {
      if (wParam > TVSIL_STATE) return 0;
      HIMAGELIST previous = tree->images[wParam];
      tree->images[wParam] = reinterpret_cast<HIMAGELIST>(lParam);
      return reinterpret_cast<LRESULT>(previous);
    }
    case TVM_GETIMAGELIST:
      return wParam > TVSIL_STATE ? 0 : reinterpret_cast<LRESULT>(tree->images[wParam]);
    case TVM_ENSUREVISIBLE: {
      TreeItem* item = find(*tree, handle);
      if (!item) return FALSE;
      std::vector<HTREEITEM> ancestors;
      for (TreeItem* at = find(*tree, item->parent); at; at = find(*tree, at->parent))
        ancestors.push_back(at->handle);
      for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it) expand(hwnd, *tree, *it, TVE_EXPAND, false);
      return TRUE;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN: {
      HTREEITEM current = tree->selected;
      HTREEITEM target = nullptr;
      if (!current) {
        target = nextItem(*tree, TVGN_ROOT, nullptr);
      } else if (wParam == VK_DOWN) {
        target = nextItem(*tree, TVGN_NEXT, current);
      } else if (wParam == VK_UP) {
        target = nextItem(*tree, TVGN_PREVIOUS, current);
      } else if (wParam == VK_RIGHT) {
        expand(hwnd, *tree, current, TVE_EXPAND, true);
      } else if (wParam == VK_LEFT) {
        expand(hwnd, *tree, current, TVE_COLLAPSE, true);
      }
      if (target) selectItem(hwnd, *tree, target, TVC_BYKEYBOARD);
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
