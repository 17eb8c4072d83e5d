#pragma once
#include "widgets/Win32/TWidgetImpWin32.h"

#include <string>

class TIconImpWin32 : public TWidgetImpWin32 {
public:
    using TWidgetImpWin32::TWidgetImpWin32;
    // Destroys a picture the toolkit drew itself.
    ~TIconImpWin32() override;

    // Loads the named picture into the window; false for an unknown name.
    bool setIcon(const std::wstring& name);

private:
    HICON drawn_ = nullptr;
};
