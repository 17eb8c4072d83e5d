// The browser host an instance gets is decided by the first NPP_New of the
// process, from the browser's user agent, and kept for every later instance.
// This executable holds this test alone, so that no instance came before.

#include <gtest/gtest.h>

#include <win32/queue.h>

#include <memory>
#include <thread>

#include "NpapiCore/NpapiBrowserHostAsyncWin.h"
#include "NpapiFixture.h"

namespace {

using PB::Npapi::NpapiBrowserHostAsyncWin;

class HostKind : public test::NpapiTest {};

TEST_F(HostKind, TheFirstUserAgentDecidesForTheWholeProcess)
{
    browser->userAgent = "Mozilla/5.0 (Windows NT 6.1) AppleWebKit/534.57.2 (KHTML, like Gecko) Version/5.1.7 "
                         "Safari/534.57.2";
    NPP safari = newInstance();
    EXPECT_TRUE(std::dynamic_pointer_cast<NpapiBrowserHostAsyncWin>(host(safari)));
    EXPECT_EQ(browser->count("uagent"), 1u);

    // A browser that runs calls on its thread itself: the decision stands.
    browser->userAgent = "FakeBrowser/1.0";
    NPP later = newInstance();
    const auto windowHost = std::dynamic_pointer_cast<NpapiBrowserHostAsyncWin>(host(later));
    ASSERT_TRUE(windowHost);
    EXPECT_EQ(browser->count("uagent"), 1u);  // not asked again

    // Calls from another thread reach the main thread through the host's
    // window, not through the browser.
    bool ran = false;  // set on this thread, by the call
    int answer = 0;
    std::thread worker([&] {
        answer = windowHost->CallOnMainThread([&ran] {
            ran = true;
            return 42;
        });
    });
    MSG msg;
    while (!ran && GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    worker.join();
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(browser->queuedCalls(), 0u);
}

}  // namespace
