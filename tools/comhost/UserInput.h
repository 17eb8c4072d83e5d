#pragma once
// The person at the container, for pages (the global `user`):
// user.click(x, y) presses and lets go the left mouse button at a point of the
// container window; user.press(key) presses and lets go a key (a virtual-key
// code). The mouse messages go to the window under the point (a control's own
// window, else the container window, which hands them to a windowless
// control), the key messages to the window that has the focus (the container
// window hands them to the windowless control that has it). Each action has
// been delivered when the call returns.

#include <string>
#include <vector>

#include <win32/types.h>

#include "page/HostObject.h"

namespace comhost {

class UserInput : public page::HostObject {
public:
    explicit UserInput(HWND container) : m_container(container) {}

    page::Value get(const std::string& name) override;
    std::vector<std::string> keys() override { return {"click", "press"}; }

private:
    HWND m_container;
};

}  // namespace comhost
