#pragma once
// Plug-in events: small values a source builds on its stack and hands to
// each observer in turn. A receiver recognises an event by its class.

#include <cstdint>

#include "PluginCore/Rect.h"

namespace PB {

class BrowserStream;

class PluginEvent {
public:
    virtual ~PluginEvent() = default;
};

class AttachedEvent : public PluginEvent {};
class DetachedEvent : public PluginEvent {};
class ResizedEvent : public PluginEvent {};

// A raw window message, sent before any event made from it; a handler may set result.
class WindowsEvent : public PluginEvent {
public:
    WindowsEvent(void* hWnd, std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam, std::intptr_t& lRes)
        : hWnd(hWnd), uMsg(msg), wParam(wParam), lParam(lParam), lRes(lRes)
    {
    }
    void* hWnd;
    std::uint32_t uMsg;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::intptr_t& lRes;
};

class TimerEvent : public PluginEvent {
public:
    TimerEvent(std::uintptr_t timerId, std::intptr_t data) : timerId(timerId), data(data) {}
    std::uintptr_t timerId;
    std::intptr_t data;
};

class RefreshEvent : public PluginEvent {
public:
    explicit RefreshEvent(const Rect& bounds) : bounds(bounds) {}
    Rect bounds;
};

// Modifier bits of mouse and key events.
enum ModifierState : unsigned int { ModifierState_Shift = 1, ModifierState_Control = 2, ModifierState_Alt = 4 };

class MouseEvent : public PluginEvent {
public:
    MouseEvent(int x, int y, unsigned int state) : m_x(x), m_y(y), m_state(state) {}
    int m_x;
    int m_y;
    unsigned int m_state;
};

class MouseMoveEvent : public MouseEvent {
public:
    using MouseEvent::MouseEvent;
};

class MouseButtonEvent : public MouseEvent {
public:
    enum MouseButton { MouseButton_Left = 0, MouseButton_Right = 1, MouseButton_Middle = 2 };
    MouseButtonEvent(int button, int x, int y, unsigned int state) : MouseEvent(x, y, state), m_Btn(button) {}
    int m_Btn;
};

class MouseDownEvent : public MouseButtonEvent {
public:
    using MouseButtonEvent::MouseButtonEvent;
};
class MouseUpEvent : public MouseButtonEvent {
public:
    using MouseButtonEvent::MouseButtonEvent;
};
class MouseDoubleClickEvent : public MouseButtonEvent {
public:
    using MouseButtonEvent::MouseButtonEvent;
};

class MouseScrollEvent : public MouseEvent {
public:
    MouseScrollEvent(int x, int y, double dx, double dy, unsigned int state) : MouseEvent(x, y, state), m_dx(dx), m_dy(dy)
    {
    }
    double m_dx;
    double m_dy;
};

class KeyEvent : public PluginEvent {
public:
    KeyEvent(unsigned int key, unsigned int osKey, unsigned int modifiers)
        : m_key(key), m_os_key_code(osKey), m_modifiers(modifiers)
    {
    }
    unsigned int m_key;
    unsigned int m_os_key_code;
    unsigned int m_modifiers;
};

class KeyDownEvent : public KeyEvent {
public:
    using KeyEvent::KeyEvent;
};
class KeyUpEvent : public KeyEvent {
public:
    using KeyEvent::KeyEvent;
};

class StreamEvent : public PluginEvent {
public:
    explicit StreamEvent(BrowserStream* stream) : stream(stream) {}
    BrowserStream* stream;
};

class StreamCreatedEvent : public StreamEvent {
public:
    using StreamEvent::StreamEvent;
};
class StreamOpenedEvent : public StreamEvent {
public:
    using StreamEvent::StreamEvent;
};
class StreamFailedOpenEvent : public StreamEvent {
public:
    using StreamEvent::StreamEvent;
};
class StreamDestroyedEvent : public StreamEvent {
public:
    using StreamEvent::StreamEvent;
};

class StreamDataArrivedEvent : public StreamEvent {
public:
    StreamDataArrivedEvent(BrowserStream* stream, const void* data, std::uint32_t length, std::uint32_t offset,
                           float progress)
        : StreamEvent(stream), data(data), length(length), dataPosition(offset), progress(progress)
    {
    }
    const void* data;
    std::uint32_t length;
    std::uint32_t dataPosition;
    float progress;
};

class StreamCompletedEvent : public StreamEvent {
public:
    StreamCompletedEvent(BrowserStream* stream, bool success) : StreamEvent(stream), success(success) {}
    bool success;
};

}  // namespace PB
