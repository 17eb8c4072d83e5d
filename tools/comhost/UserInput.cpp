#include "UserInput.h"

#include <functional>
#include <memory>
#include <stdexcept>

#include <win32/input.h>
#include <win32/messages.h>
#include <win32/queue.h>
#include <win32/rect.h>
#include <win32/window.h>

namespace comhost {

namespace {

// One of the user's actions as a script function.
class Action : public page::HostObject {
public:
    using Body = std::function<void(const std::vector<page::Value>&)>;
    Action(std::size_t arity, Body body) : m_arity(arity), m_body(std::move(body)) {}

    page::Value get(const std::string&) override { return page::Value(); }
    bool callable() const override { return true; }
    page::Value call(const std::vector<page::Value>& args) override
    {
        if (args.size() < m_arity)
            throw std::runtime_error("Too few arguments");
        for (std::size_t i = 0; i < m_arity; ++i) {
            if (!args[i].is(page::Value::Type::Number))
                throw std::runtime_error("Numbers expected");
        }
        m_body(args);
        return page::Value();
    }

private:
    std::size_t m_arity;
    Body m_body;
};

// The child window of parent at a point of its client area (the first in
// creation order is on top), with the point made the child's; parent when
// none is there.
HWND windowAt(HWND parent, POINT& point)
{
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child))
            continue;
        RECT rect{};
        GetWindowRect(child, &rect);
        POINT corner{rect.left, rect.top};
        ScreenToClient(parent, &corner);
        OffsetRect(&rect, corner.x - rect.left, corner.y - rect.top);
        if (PtInRect(&rect, point)) {
            point.x -= rect.left;
            point.y -= rect.top;
            return windowAt(child, point);
        }
    }
    return parent;
}

void click(HWND container, int x, int y)
{
    POINT point{x, y};
    HWND target = windowAt(container, point);
    const LPARAM where = MAKELPARAM(point.x, point.y);
    SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, where);
    SendMessageW(target, WM_LBUTTONUP, 0, where);
}

void press(HWND container, int key)
{
    HWND focus = GetFocus();
    HWND target = focus && (focus == container || IsChild(container, focus)) ? focus : container;
    SendMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    SendMessageW(target, WM_KEYUP, static_cast<WPARAM>(key), static_cast<LPARAM>(0xC0000001u));
}

}  // namespace

page::Value UserInput::get(const std::string& name)
{
    // An action read from the object may outlive it: it keeps the window, not the object.
    HWND container = m_container;
    if (name == "click")
        return page::Value::host(std::make_shared<Action>(2, [container](const std::vector<page::Value>& args) {
            click(container, static_cast<int>(args[0].asNumber()), static_cast<int>(args[1].asNumber()));
        }));
    if (name == "press")
        return page::Value::host(std::make_shared<Action>(1, [container](const std::vector<page::Value>& args) {
            press(container, static_cast<int>(args[0].asNumber()));
        }));
    return page::Value();
}

}  // namespace comhost
