#pragma once
// The device browser's list: the file system and the tokens present.

#include "widgets/TListView.h"

class TDeviceListBox : public TListView {
public:
    // Row 0 of the device table always; unless fileSystemOnly, every token
    // row whose device dravik reports present, in table order. Each item
    // keeps a pointer to its row as its parameter.
    bool fill(bool fileSystemOnly);
};
