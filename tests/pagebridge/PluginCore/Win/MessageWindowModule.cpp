// A module built on the framework, for the message window's tests: loaded
// from two files at once, as two such modules would be in one process.

#include <win32/queue.h>

#include <cstring>
#include <exception>

#include "PluginCore/Win/WinMessageWindow.h"

namespace {

void count(void* runs)
{
    ++*static_cast<int*>(runs);
}

}  // namespace

// Makes a message window, posts it a call and dispatches the window's
// messages: the number of runs, or -1 with the failure's text in error.
extern "C" __attribute__((visibility("default"))) int messageWindowModuleRun(char* error, int size)
{
    try {
        PB::WinMessageWindow window;
        int runs = 0;
        if (!window.postCall(&count, &runs))
            return -1;
        MSG msg;
        while (PeekMessageW(&msg, window.getHWND(), 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        return runs;
    } catch (const std::exception& e) {
        std::strncpy(error, e.what(), static_cast<std::size_t>(size) - 1);
        error[size - 1] = '\0';
        return -1;
    }
}
