#pragma once
// The platform-independent base of a widget's implementation object.

#include <string>

class TWidget;

class TWidgetImp {
public:
    explicit TWidgetImp(TWidget* served) : owner(served) {}
    virtual ~TWidgetImp();
    TWidgetImp(const TWidgetImp&) = delete;
    TWidgetImp& operator=(const TWidgetImp&) = delete;

    // The window text given at creation (a dialog's title).
    std::wstring text;
    // The widget served; not owned.
    TWidget* owner;
};
