#pragma once
// A tree of items with pictures: the six pens as images 0 to 5, then the
// shell's floppy, fixed drive, removable drive, closed folder, open folder
// and file (6 to 11).

#include "widgets/TControl.h"

class TTreeViewImpWin32;

class TTreeView : public TControl {
public:
    TTreeView();

    // False when the window or its image list cannot be made (the window may then exist).
    bool create(int x, int y, int width, int height, TWidget* parentWidget);
    // Deletes every item.
    bool clear();

    TTreeViewImpWin32* treeImp() const;
};
