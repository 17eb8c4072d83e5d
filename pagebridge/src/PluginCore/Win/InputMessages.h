#pragma once
// What the two plug-in windows make of input messages.

#include <cstdint>

namespace PB {

class PluginEventSource;

// Shift 1, Control 2, Alt 4, from the keyboard state at the time of the call.
unsigned int currentModifierState();

// The sign-extended low and high halves of a message's coordinate word.
inline int lowWordX(long long lParam)
{
    return static_cast<short>(lParam & 0xFFFF);
}
inline int highWordY(long long lParam)
{
    return static_cast<short>((lParam >> 16) & 0xFFFF);
}

// Sends the plug-in event for a key or mouse-button message (or a move) at
// (x, y) and sets handled to the observers' answer; false when the message
// is none of these.
bool sendInputEvent(PluginEventSource& source, std::uint32_t message, std::uintptr_t wParam, int x, int y,
                    unsigned int modifiers, bool& handled);

}  // namespace PB
