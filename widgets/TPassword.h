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
    // At most that many bytes of the text's UTF-8 form can be typed (0: no
    // limit): a character that would go past them is refused.
    bool setMaxBytes(int bytes);
    // The whole text as typed: a secret cut short would differ from the one the user meant.
    std::wstring getText() const;
    int getTextLength() const;
};
