#pragma once
#include "widgets/Win32/TWidgetImpWin32.h"

class TListViewImpWin32 : public TWidgetImpWin32 {
public:
    using TWidgetImpWin32::TWidgetImpWin32;
    // The window goes before the image list it shows.
    ~TListViewImpWin32() override;

    // Builds and sets the small-image list.
    bool buildImageList();
    int getItemCount() const { return static_cast<int>(send(LVM_GETITEMCOUNT)); }
    // Appends SHELL32.DLL's small icon 15 once more.
    bool addShellIcon();

    HIMAGELIST imageList = nullptr;
};
