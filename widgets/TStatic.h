#pragma once
// A static text that takes the height its text needs.

#include "widgets/TControl.h"

#include <string>

class TStatic : public TControl {
public:
    TStatic();

    // Width 0: the text's natural width (lines break only at "\n"); otherwise
    // the text wraps within the width and the window grows in height.
    bool create(int x, int y, int width, const std::wstring& text, TWidget* parentWidget);
};
