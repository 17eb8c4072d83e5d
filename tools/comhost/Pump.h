#pragma once
// The container's loop: the page's event loop and the thread's window
// messages (where the control's calls to its main thread and the URL
// downloads arrive), until neither has anything left.

#include <cstddef>

#include "page/Page.h"

namespace comhost {

// Runs window messages (at most maxSteps) without the page; how many ran.
std::size_t pumpMessages(std::size_t maxSteps = 100000);
// False when the step limit stopped it with work left.
bool runUntilIdle(page::Page& page, std::size_t maxSteps = 100000);

}  // namespace comhost
