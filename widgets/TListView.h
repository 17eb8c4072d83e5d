#pragma once
// A list of items with pictures: the six pens as images 0 to 5 and the
// shell's drive picture as image 6.

#include "widgets/TControl.h"

#include <cstdint>
#include <string>

class TListViewImpWin32;

class TListView : public TControl {
public:
    TListView();

    // Always at x 15, 150 wide and 300 high: only y is used. False when the
    // window or its image list cannot be made (the window may then exist).
    bool create(int x, int y, int width, int height, TWidget* parentWidget);
    // Appends the item with its text, image and parameter.
    bool addItem(std::intptr_t param, const std::wstring& text, int image);
    bool clear();

    TListViewImpWin32* listImp() const;
};
