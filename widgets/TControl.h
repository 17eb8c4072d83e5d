#pragma once
// The base of every control and dialog: a widget with a handler table. A
// control is listed in the registry from its construction to its
// destruction.

#include "widgets/TWidget.h"
#include "widgets/TWindowHandles.h"

class TControl : public TWidget, public TWindowHandles {
public:
    // Lists the control in the registry.
    TControl();
    // Unlists the control, then deletes its implementation (and a window
    // it owns), so no message can find a half-destroyed control.
    ~TControl() override;

    using TWindowHandles::addHandler;
    using TWindowHandles::findHandler;
    static bool addHandler(int code, TControl* control, WindowEventHandler handler);
    static WindowEventHandler findHandler(int code, TControl* control);
    // Calls the target's handler for the event's code with (receiver,
    // target, event). Nothing to call (no target, no table, code 0, no pair,
    // a null handler) counts as handled.
    static bool dispatchEvent(TWidget* receiver, TWindowEvent* event);

protected:
    // The common steps of every create operation: an implementation and a
    // parent are needed; the parent is recorded, the window made as a child
    // of the parent's window, and the control marked as on screen.
    bool createWindow(const wchar_t* className, const std::wstring& text, std::uint32_t style, int x,
                      int y, int width, int height, TWidget* parentWidget, int type);
};
