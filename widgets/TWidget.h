#pragma once
// A toolkit object that may have a window: its implementation, its parent,
// and the geometry operations. Every operation does nothing, answering false
// or 0, while there is no implementation or no window.

#include "widgets/TObject.h"
#include "widgets/TWidgetImp.h"

#include <memory>

class TWidgetImpWin32;

class TWidget : public TObject {
public:
    TWidget();
    ~TWidget() override;

    // Shows the window at (x, y), keeping its size.
    bool move(int x, int y);
    bool resize(int width, int height);
    int getWidth() const;
    int getHeight() const;
    void setFocus();

    // The Win32 implementation, or null.
    TWidgetImpWin32* win32() const;

    // Made by each concrete class's constructor; deleting it destroys a
    // window it still owns.
    std::unique_ptr<TWidgetImp> imp;
    // Set by the create operations and by TDialog::showModal; not owned.
    TWidget* parent = nullptr;
};
