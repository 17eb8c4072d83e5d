#pragma once
#include "widgets/Win32/TWidgetImpWin32.h"

class TButtonImpWin32 : public TWidgetImpWin32 {
public:
    using TWidgetImpWin32::TWidgetImpWin32;

    int getCheck() const { return static_cast<int>(send(BM_GETCHECK)); }
    void setCheck(int state) { send(BM_SETCHECK, static_cast<WPARAM>(state)); }
};
