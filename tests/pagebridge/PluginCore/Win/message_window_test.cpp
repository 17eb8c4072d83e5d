// Its own executable: the window names count windows made in the process.

#include <gtest/gtest.h>

#include <win32/messages.h>
#include <win32/queue.h>
#include <win32/window.h>

#include <dlfcn.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

#include "PluginCore/Win/WinMessageWindow.h"

namespace {

std::wstring nameOf(HWND hwnd)
{
    wchar_t name[64] = {};
    GetWindowTextW(hwnd, name, 64);
    return name;
}

struct Recorded {
    std::atomic<int> runs{0};
    std::thread::id thread;
};

void record(void* data)
{
    auto* r = static_cast<Recorded*>(data);
    ++r->runs;
    r->thread = std::this_thread::get_id();
}

TEST(WinMessageWindow, NamesCountWindowsOfTheProcess)
{
    PB::WinMessageWindow first;
    PB::WinMessageWindow second;
    EXPECT_EQ(nameOf(first.getHWND()), L"PageBridgeEventWindow0");
    EXPECT_EQ(nameOf(second.getHWND()), L"PageBridgeEventWindow1");
    EXPECT_EQ(GetParent(first.getHWND()), nullptr);
}

TEST(WinMessageWindow, PostedCallRunsOnceOnTheOwningThread)
{
    PB::WinMessageWindow window;
    Recorded r;
    std::thread([&] { EXPECT_TRUE(window.postCall(&record, &r)); }).join();
    EXPECT_EQ(r.runs, 0);
    MSG msg;
    LRESULT answer = -1;
    while (PeekMessageW(&msg, window.getHWND(), 0, 0, PM_REMOVE))
        answer = DispatchMessageW(&msg);
    EXPECT_EQ(r.runs, 1);
    EXPECT_EQ(r.thread, std::this_thread::get_id());
    EXPECT_EQ(answer, 0);
}

TEST(WinMessageWindow, OtherMessagesGoToTheDefaultProcedure)
{
    PB::WinMessageWindow window;
    EXPECT_EQ(SendMessageW(window.getHWND(), WM_USER + 7, 0, 0), DefWindowProcW(window.getHWND(), WM_USER + 7, 0, 0));
}

TEST(WinMessageWindow, CallsQueuedAtDestructionAreDroppedNotRun)
{
    Recorded r;
    {
        PB::WinMessageWindow window;
        window.postCall(&record, &r);
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(r.runs, 0);  // and under the leak checker: the record was freed
}

TEST(WinMessageWindow, RegistrationFailureIsReportedAtConstruction)
{
    const unsigned short atom = PB::WinMessageWindow::classAtom();
    PB::WinMessageWindow::replaceClassRegistrationForTesting(0, 1410);
    try {
        PB::WinMessageWindow window;
        ADD_FAILURE() << "constructed without a window class";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Could not register window class, error:1410");
    }
    PB::WinMessageWindow::replaceClassRegistrationForTesting(atom, 0);
    EXPECT_NO_THROW(PB::WinMessageWindow());
}

// Two modules built on the framework in one process (and this program, a
// third): each registers the window class under its own handle, so each
// can make its message windows, and one going leaves the other's class.
TEST(WinMessageWindow, ModulesOfOneProcessEachHaveTheirClass)
{
    using Run = int (*)(char*, int);
    const char* const files[] = {MESSAGE_WINDOW_MODULE_A, MESSAGE_WINDOW_MODULE_B};
    void* modules[2] = {};
    Run runs[2] = {};
    for (int i = 0; i < 2; ++i) {
        modules[i] = dlopen(files[i], RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(modules[i], nullptr) << dlerror();
        runs[i] = reinterpret_cast<Run>(dlsym(modules[i], "messageWindowModuleRun"));
        ASSERT_NE(runs[i], nullptr) << files[i];
    }
    char error[128] = {};
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(runs[i](error, sizeof error), 1) << files[i] << ": " << error;
    PB::WinMessageWindow own;
    EXPECT_NE(own.getHWND(), nullptr);

    dlclose(modules[0]);  // unregisters its class, not the other's
    EXPECT_EQ(runs[1](error, sizeof error), 1) << error;
    dlclose(modules[1]);
}

}  // namespace
