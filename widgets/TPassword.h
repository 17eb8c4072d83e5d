#pragma once
// A masked one-line field for passwords and PINs.

#include "widgets/TControl.h"

#include <string>

class TPassword : public TControl {
public:
    TPassword();

    bool create(const std::wstring& text, int x, int y, int width, TWidget* parentWidget);
    // EM_LIMITTEXT: at most that many characters can be typed.
    bool setMaxLength(int length);
    // The whole text as typed: a secret cut short would differ from the one the user meant.
    std::wstring getText() const;
    int getTextLength() const;
};
