#include "Pump.h"

#include <win32/queue.h>

namespace comhost {

std::size_t pumpMessages(std::size_t maxSteps)
{
    std::size_t count = 0;
    MSG message;
    while (count < maxSteps && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
        ++count;
    }
    return count;
}

bool runUntilIdle(page::Page& page, std::size_t maxSteps)
{
    std::size_t total = 0;
    while (total < maxSteps) {
        const std::size_t pumped = pumpMessages(maxSteps - total);
        total += pumped;
        if (total >= maxSteps)
            break;
        const page::RunResult run = page.runLoop(maxSteps - total);
        total += run.steps;
        if (pumped == 0 && run.steps == 0)
            return true;
    }
    return false;
}

}  // namespace comhost
