#include "PluginCore/Win/ModifierState.h"

#include <win32/input.h>
#include <win32/keys.h>

#include "PluginCore/PluginEvent.h"

namespace PB {

unsigned int currentModifierState()
{
    const auto down = [](int vk) { return (GetKeyState(vk) & 0x8000) != 0; };
    unsigned int state = 0;
    if (down(VK_SHIFT))
        state |= ModifierState_Shift;
    if (down(VK_CONTROL))
        state |= ModifierState_Control;
    if (down(VK_MENU))
        state |= ModifierState_Alt;
    return state;
}

}  // namespace PB
