// Work a COM object defers to the thread it runs on: queued with the thread's hidden window and
// run when the thread next pumps its messages, one task per message. Tasks still queued when the
// thread ends are dropped unrun.
#pragma once

#include <functional>

namespace com {
namespace detail {

// False when the thread's window cannot be made (the task is dropped then).
bool postToThisThread(std::function<void()> task);

}  // namespace detail
}  // namespace com
