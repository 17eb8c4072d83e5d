#pragma once
#include "widgets/Win32/TWidgetImpWin32.h"

class TEditImpWin32 : public TWidgetImpWin32 {
public:
    using TWidgetImpWin32::TWidgetImpWin32;
};
