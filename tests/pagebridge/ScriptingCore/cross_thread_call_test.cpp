#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "support/LogCapture.h"
#include "support/PumpedHost.h"
#include "support/StubObjects.h"

namespace {

using test::PumpedHost;

struct Target {
    std::atomic<int> calls{0};
    std::thread::id ranOn;
    PB::variant getProperty(std::string name)
    {
        ++calls;
        ranOn = std::this_thread::get_id();
        return PB::variant("value of " + name);
    }
    void touch() { ++calls; }
};

// Runs f on a worker thread while this (the main) thread pumps the host.
template <typename F>
auto onWorker(PumpedHost& host, F f) -> decltype(f())
{
    auto result = std::async(std::launch::async, f);
    host.pumpUntil([&result] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return result.get();
}

std::string errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const PB::script_error& e) {
        return e.what();
    }
    return "";
}

TEST(CrossThreadCall, OnTheMainThreadASyncCallRunsInline)
{
    auto host = std::make_shared<PumpedHost>();
    Target t;
    PB::variant v = host->CallOnMainThread([&t] { return t.getProperty("x"); });
    EXPECT_EQ(v.cast<std::string>(), "value of x");
    EXPECT_EQ(host->queued(), 0u);
}

TEST(CrossThreadCall, FromAnotherThreadTheCallRunsOnTheMainThread)
{
    auto host = std::make_shared<PumpedHost>();
    Target t;
    PB::variant v = onWorker(*host, [&] { return host->CallOnMainThread([&t] { return t.getProperty("y"); }); });
    EXPECT_EQ(v.cast<std::string>(), "value of y");
    EXPECT_EQ(t.ranOn, std::this_thread::get_id());
    onWorker(*host, [&] { host->CallOnMainThread([&t] { t.touch(); }); });
    EXPECT_EQ(t.calls, 2);
}

TEST(CrossThreadCall, ExceptionsOnTheMainThreadReachTheCallerAsScriptErrors)
{
    auto host = std::make_shared<PumpedHost>();
    struct Thrower {
        const char* text;
        std::function<void()> raise;
        const char* expected;
    };
    const Thrower throwers[] = {
        {"derived script error", [] { throw PB::invalid_arguments("bad args"); }, "bad args"},
        {"std::exception", [] { throw std::logic_error("logic"); }, "logic"},
        {"not an exception", [] { throw 42; }, "Unknown exception"},
    };
    for (const Thrower& t : throwers) {
        std::string error = onWorker(*host, [&] {
            return errorOf([&] { host->CallOnMainThread([&t] { t.raise(); }); });
        });
        EXPECT_EQ(error, t.expected) << t.text;
    }
}

TEST(CrossThreadCall, RefusedAndShutDownHosts)
{
    auto host = std::make_shared<PumpedHost>();
    host->refusePosts(true);
    EXPECT_EQ(onWorker(*host, [&] { return errorOf([&] { host->CallOnMainThread([] {}); }); }),
              "Could not marshal to main thread");
    host->refusePosts(false);
    host->shutdown();
    EXPECT_EQ(onWorker(*host, [&] { return errorOf([&] { host->CallOnMainThread([] {}); }); }),
              "Could not marshal to main thread");
}

TEST(CrossThreadCall, ShutdownWhileWaitingEndsTheCall)
{
    auto host = std::make_shared<PumpedHost>();
    std::atomic<bool> ran{false};
    auto waiting = std::async(std::launch::async, [&] {
        return errorOf([&] { host->CallOnMainThread([&ran] { ran = true; }); });
    });
    ASSERT_TRUE(host->pumpUntil([&] { return host->queued() == 1; }));
    // Shutdown runs the pending call once; the waiter still fails.
    host->shutdown();
    EXPECT_EQ(waiting.get(), "Shutting down");
    EXPECT_TRUE(ran);
}

TEST(CrossThreadCall, PostedCallsAlwaysQueueAndKeepTheirOwnerAlive)
{
    auto host = std::make_shared<PumpedHost>();
    auto owner = std::make_shared<test::StubApi>();
    std::weak_ptr<test::StubApi> watch = owner;
    int runs = 0;
    host->ScheduleOnMainThread(std::move(owner), [&runs] { ++runs; });
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(watch.expired());
    host->pump();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(watch.expired());
}

// Whatever a posted call throws stops where the browser's loop (or the
// host's shutdown) would run it: script and cast errors silently, anything
// else with an ERROR line; the calls after it still run.
TEST(CrossThreadCall, NothingAPostedCallThrowsLeavesItsRunner)
{
    const struct {
        const char* what;
        std::function<void()> raise;
        const char* logged;  // nullptr: dropped without a line
    } cases[] = {
        {"script error", [] { throw PB::script_error("dropped"); }, nullptr},
        {"cast error", [] { throw PB::bad_variant_cast(typeid(int), typeid(long)); }, nullptr},
        {"std::exception", [] { throw std::logic_error("escapes"); },
         "A call posted to the main thread failed: escapes"},
        {"not an exception", [] { throw 42; }, "A call posted to the main thread failed: Unknown exception"},
    };
    for (bool atShutdown : {false, true}) {
        for (const auto& c : cases) {
            auto host = std::make_shared<PumpedHost>();
            auto owner = std::make_shared<test::StubApi>();
            int after = 0;
            test::LogCapture log;
            host->ScheduleOnMainThread(owner, c.raise);
            host->ScheduleOnMainThread(owner, [&after] { ++after; });
            if (atShutdown)
                EXPECT_NO_THROW(host->shutdown()) << c.what;
            else
                EXPECT_NO_THROW(host->pump()) << c.what;
            EXPECT_EQ(after, 1) << c.what;
            EXPECT_EQ(owner.use_count(), 1) << c.what;  // both calls let their owner go
            std::vector<std::string> errors;
            for (const test::LogLine& line : log.lines())
                if (line.level == "ERROR")
                    errors.push_back(line.message);
            EXPECT_EQ(errors, c.logged ? std::vector<std::string>{c.logged} : std::vector<std::string>{})
                << c.what << (atShutdown ? " at shutdown" : "");
        }
    }
}

TEST(CrossThreadCall, RefusedPostIsDiscardedSilently)
{
    auto host = std::make_shared<PumpedHost>();
    auto owner = std::make_shared<test::StubApi>();
    host->shutdown();
    int runs = 0;
    host->ScheduleOnMainThread(owner, [&runs] { ++runs; });
    host->pump();
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(owner.use_count(), 1);
}

}  // namespace
