#include "PluginCore/Win/InputMessages.h"

#include <win32/input.h>
#include <win32/keys.h>

#include <win32/messages.h>

#include "PluginCore/PluginEvent.h"
#include "PluginCore/PluginEventSource.h"
#include "PluginCore/Win/KeyCodes.h"

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

bool sendInputEvent(PluginEventSource& source, std::uint32_t message, std::uintptr_t wParam, int x, int y,
                    unsigned int modifiers, bool& handled)
{
    const auto send = [&](PluginEvent&& event) {
        handled = source.SendEvent(&event);
        return true;
    };
    const unsigned int vk = static_cast<unsigned int>(wParam);
    switch (message) {
    case WM_KEYDOWN:
        return send(KeyDownEvent(translateVirtualKey(vk), vk, 0));
    case WM_KEYUP:
        return send(KeyUpEvent(translateVirtualKey(vk), vk, 0));
    case WM_MOUSEMOVE:
        return send(MouseMoveEvent(x, y, 0));
    case WM_LBUTTONDOWN:
        return send(MouseDownEvent(MouseButtonEvent::MouseButton_Left, x, y, modifiers));
    case WM_LBUTTONUP:
        return send(MouseUpEvent(MouseButtonEvent::MouseButton_Left, x, y, modifiers));
    case WM_RBUTTONDOWN:
        return send(MouseDownEvent(MouseButtonEvent::MouseButton_Right, x, y, modifiers));
    case WM_RBUTTONUP:
        return send(MouseUpEvent(MouseButtonEvent::MouseButton_Right, x, y, modifiers));
    case WM_MBUTTONDOWN:
        return send(MouseDownEvent(MouseButtonEvent::MouseButton_Middle, x, y, modifiers));
    case WM_MBUTTONUP:
        return send(MouseUpEvent(MouseButtonEvent::MouseButton_Middle, x, y, modifiers));
    default:
        return false;
    }
}

}  // namespace PB
