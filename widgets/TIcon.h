#pragma once
// A named picture at (15, 15) of its parent: "icon-error", "icon-warning",
// "icon-request", "icon-info" (system icons) or "icon-key" (the toolkit's
// key). Names are compared exactly.

#include "widgets/TControl.h"

#include <string>

class TIconImpWin32;

class TIcon : public TControl {
public:
    TIcon();

    // x and y are not used: icons always stand at (15, 15). False when the
    // window cannot be made or the name is unknown.
    bool setIcon(int x, int y, const std::wstring& name, TWidget* parentWidget);

    TIconImpWin32* iconImp() const;
};
