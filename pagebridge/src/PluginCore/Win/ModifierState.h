#pragma once

namespace PB {

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

}  // namespace PB
