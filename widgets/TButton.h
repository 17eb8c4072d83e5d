#pragma once
// Push button and check box. The check box is not automatic: the toolkit
// toggles its mark before the click reaches the handlers.

#include "widgets/TControl.h"

#include <string>

class TButtonImpWin32;

class TButton : public TControl {
public:
    TButton();

    // A zero width becomes (characters + 4) average character widths, a zero
    // height one line height; given together, both are used as they are.
    bool create(const std::wstring& text, int x, int y, int width, int height, TWidget* parentWidget);
    // (characters + 7) average character widths by one line height.
    bool createCheckBox(const std::wstring& text, int x, int y, TWidget* parentWidget);
    // BM_GETCHECK: 1 when ticked.
    int isChecked() const;

    TButtonImpWin32* buttonImp() const;
};
