#include "widgets/TListView.h"

#include "widgets/Win32/TListViewImpWin32.h"

namespace {

// WS_CHILD, WS_VISIBLE, WS_BORDER, WS_VSCROLL, WS_TABSTOP, LVS_SHAREIMAGELISTS, LVS_LIST
const DWORD kListStyle = 0x50A10043;

}  // namespace

TListView::TListView() { imp = std::make_unique<TListViewImpWin32>(this); }

TListViewImpWin32* TListView::listImp() const { return dynamic_cast<TListViewImpWin32*>(imp.get()); }

bool TListView::create(int, int y, int, int, TWidget* parentWidget) {
    InitCommonControls();
    if (!createWindow(WC_LISTVIEWW, L"", kListStyle, 15, y, 150, 300, parentWidget, typeListView)) return false;
    return listImp()->buildImageList();
}

bool TListView::addItem(std::intptr_t param, const std::wstring& text, int image) {
    TListViewImpWin32* platform = listImp();
    if (!platform || !platform->getHwnd()) return false;
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = platform->getItemCount();
    item.pszText = const_cast<LPWSTR>(text.c_str());
    item.iImage = image;
    item.lParam = param;
    return platform->send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) != -1;
}

bool TListView::clear() {
    TListViewImpWin32* platform = listImp();
    return platform && platform->getHwnd() && platform->send(LVM_DELETEALLITEMS) != FALSE;
}
