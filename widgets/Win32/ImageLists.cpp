#include "widgets/Win32/ImageLists.h"

#include "widgets/Win32/IconPixels.h"

namespace {

// The list copies the picture; the icon itself is released here.
bool appendIcon(HIMAGELIST list, HICON icon) {
    if (!icon) return false;
    bool added = ImageList_ReplaceIcon(list, -1, icon) != -1;
    DestroyIcon(icon);
    return added;
}

}  // namespace

bool addPenImages(HIMAGELIST list, HWND owner) {
    for (const auto& pixels : penPixels)
        if (!appendIcon(list, createIconFromPixels(owner, pixels.data(), 16, 16))) return false;
    return true;
}

bool addShellImages(HIMAGELIST list, std::initializer_list<int> indices) {
    for (int index : indices) {
        HICON small = nullptr;
        if (ExtractIconExW(L"SHELL32.DLL", index, nullptr, &small, 1) == 0) return false;
        if (!appendIcon(list, small)) return false;
    }
    return true;
}
