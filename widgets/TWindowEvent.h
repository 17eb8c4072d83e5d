#pragma once
// The toolkit's event record and the handler type that receives it.

#include <cstdint>

class TWidget;
class TWindowEvent;

// Event codes.
enum TEventCode : std::int32_t {
    eventKeyPressed = 11,        // param1: virtual-key code
    eventClicked = 14,           // push button or check box
    eventSelectionChanged = 15,  // list, combo box, list view or tree view
    eventDialogCommand = 17,     // param1: commandOk or commandCancel
};

// param1 of eventDialogCommand.
enum TDialogCommand : std::int32_t {
    commandOk = 13,      // OK, Enter
    commandCancel = 27,  // Cancel, Escape, closing
};

// A plain function: the receiver is the widget whose window got the
// message, the target the widget in whose table the handler was found.
// Answers whether the event was handled; false lets the platform's default
// processing run.
using WindowEventHandler = bool (*)(TWidget* receiver, TWidget* target, TWindowEvent* event);

// Built on the stack by the window procedure and passed by pointer; never kept.
class TWindowEvent {
public:
    TWindowEvent() = default;
    TWindowEvent(TWidget* target, std::int32_t eventCode, std::intptr_t first, std::intptr_t second)
        : widget(target), code(eventCode), param1(first), param2(second) {}
    virtual ~TWindowEvent();
    TWindowEvent(const TWindowEvent&) = delete;
    TWindowEvent& operator=(const TWindowEvent&) = delete;

    TWidget* widget = nullptr;
    std::int32_t code = 0;
    // Pointer-sized: selection events carry item data, list-view parameters
    // and text pointers.
    std::intptr_t param1 = 0;
    std::intptr_t param2 = 0;
};
