#pragma once
#include "widgets/Win32/TWidgetImpWin32.h"

#include <cstddef>

class TPasswordImpWin32 : public TWidgetImpWin32 {
public:
    using TWidgetImpWin32::TWidgetImpWin32;

    // Refuses a character that would take the field's text, in UTF-8, past
    // maxBytes (0: no limit). Control characters (Backspace) always pass.
    LRESULT onChar(wchar_t character) override;

    std::size_t maxBytes = 0;
};
