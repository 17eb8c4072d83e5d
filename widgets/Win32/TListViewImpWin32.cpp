#include "widgets/Win32/TListViewImpWin32.h"

#include "widgets/Win32/ImageLists.h"

namespace {

const int kDriveIcon = 15;

}  // namespace

TListViewImpWin32::~TListViewImpWin32() {
    destroy();
    if (imageList) ImageList_Destroy(imageList);
}

bool TListViewImpWin32::buildImageList() {
    HWND window = getHwnd();
    if (!window) return false;
    if (!imageList) imageList = ImageList_Create(16, 16, ILC_MASK, 6, 0);
    if (!imageList || !addPenImages(imageList, window) || !addShellImages(imageList, {kDriveIcon})) return false;
    send(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(imageList));
    return true;
}

bool TListViewImpWin32::addShellIcon() {
    return getHwnd() && imageList && addShellImages(imageList, {kDriveIcon});
}
