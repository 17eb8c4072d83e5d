#include "widgets/TTreeView.h"

#include "widgets/Win32/TTreeViewImpWin32.h"

namespace {

// WS_CHILD, WS_VISIBLE, WS_BORDER, WS_TABSTOP, TVS_LINESATROOT, TVS_HASLINES, TVS_HASBUTTONS
const DWORD kTreeStyle = 0x50810007;

}  // namespace

TTreeView::TTreeView() { imp = std::make_unique<TTreeViewImpWin32>(this); }

TTreeViewImpWin32* TTreeView::treeImp() const { return dynamic_cast<TTreeViewImpWin32*>(imp.get()); }

bool TTreeView::create(int x, int y, int width, int height, TWidget* parentWidget) {
    InitCommonControls();
    if (!createWindow(WC_TREEVIEWW, L"", kTreeStyle, x, y, width, height, parentWidget, typeTreeView))
        return false;
    return treeImp()->buildImageList();
}

bool TTreeView::clear() {
    TTreeViewImpWin32* platform = treeImp();
    return platform && platform->clear();
}
