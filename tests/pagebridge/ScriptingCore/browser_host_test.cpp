#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "support/PumpedHost.h"
#include "support/StubObjects.h"

namespace {

using test::PumpedHost;

void count(void* data)
{
    ++*static_cast<int*>(data);
}

TEST(BrowserHost, MainThreadIsTheConstructingThread)
{
    auto host = std::make_shared<PumpedHost>();
    EXPECT_TRUE(host->isMainThread());
    EXPECT_FALSE(std::async(std::launch::async, [&] { return host->isMainThread(); }).get());
}

TEST(BrowserHost, ScheduledCallsRunOnceByPumpOrByShutdown)
{
    auto host = std::make_shared<PumpedHost>();
    int pumped = 0, atShutdown = 0;
    ASSERT_TRUE(host->ScheduleAsyncCall(&count, &pumped));
    host->pump();
    ASSERT_TRUE(host->ScheduleAsyncCall(&count, &atShutdown));
    host->shutdown();
    EXPECT_EQ(atShutdown, 1);
    host->pump();  // the trampoline still queued finds nothing to do
    EXPECT_EQ(pumped, 1);
    EXPECT_EQ(atShutdown, 1);
    EXPECT_FALSE(host->ScheduleAsyncCall(&count, &pumped));
    EXPECT_EQ(host->queued(), 0u);
}

TEST(BrowserHost, RefusedPostLeavesNothingPending)
{
    auto host = std::make_shared<PumpedHost>();
    host->refusePosts(true);
    int runs = 0;
    EXPECT_FALSE(host->ScheduleAsyncCall(&count, &runs));
    EXPECT_EQ(host->asyncCallManager()->pendingCount(), 0u);
    host->shutdown();
    EXPECT_EQ(runs, 0);
}

TEST(BrowserHost, RetainedObjects)
{
    auto host = std::make_shared<PumpedHost>();
    auto a = std::make_shared<test::StubApi>();
    auto b = std::make_shared<test::StubApi>();
    host->retainJSAPI(a);
    host->retainJSAPI(a);
    host->retainJSAPI(b);
    host->releaseJSAPI(a);
    EXPECT_EQ(host->retainedCount(), 2u);
    EXPECT_EQ(host->deferredReleases(), 1u);
    host->releaseJSAPI(std::make_shared<test::StubApi>());  // nothing matches: still a deferred release
    EXPECT_EQ(host->deferredReleases(), 2u);
    std::async(std::launch::async, [&] { host->releaseJSAPI(b); }).get();
    EXPECT_EQ(host->retainedCount(), 1u);
    EXPECT_EQ(host->deferredReleases(), 2u);  // not on the main thread
    host->releaseAllJSAPI();
    EXPECT_EQ(host->retainedCount(), 0u);
    EXPECT_EQ(host->deferredReleases(), 3u);
}

// Records the order of the shutdown steps as the retained objects see them.
struct ShutdownWitness : test::StubApi {
    std::vector<std::string>* log;
    std::shared_ptr<PumpedHost> host;
    void onHostShutdown() override
    {
        log->push_back(std::string("notified, shut down: ") + (host->isShutDown() ? "yes" : "no"));
    }
};

TEST(BrowserHost, ShutdownNotifiesRetainedObjectsFirst)
{
    auto host = std::make_shared<PumpedHost>();
    std::vector<std::string> log;
    for (int i = 0; i < 2; ++i) {
        auto w = std::make_shared<ShutdownWitness>();
        w->log = &log;
        w->host = host;
        host->retainJSAPI(w);
    }
    host->shutdown();
    EXPECT_EQ(log, (std::vector<std::string>{"notified, shut down: no", "notified, shut down: no"}));
    EXPECT_EQ(host->retainedCount(), 0u);
    EXPECT_TRUE(host->isShutDown());
}

TEST(BrowserHost, PageObjectsInvokeAsynchronously)
{
    auto host = std::make_shared<PumpedHost>();
    auto page = std::make_shared<test::StubPageObject>(host);
    std::weak_ptr<test::StubPageObject> watch = page;
    page->invokeAsync("log", PB::VariantList{"hi"});
    page.reset();
    EXPECT_FALSE(watch.expired());  // kept alive by the queued call
    host->pump();
    ASSERT_EQ(host->delayedInvokes().size(), 1u);
    EXPECT_EQ(host->delayedInvokes()[0].delayMs, 0);
    EXPECT_EQ(host->delayedInvokes()[0].method, "log");
    EXPECT_EQ(host->delayedInvokes()[0].args[0].cast<std::string>(), "hi");
}

TEST(BrowserHost, PageObjectsOfAShutDownOrLostHost)
{
    auto host = std::make_shared<PumpedHost>();
    auto page = std::make_shared<test::StubPageObject>(host);
    EXPECT_EQ(page->getContextID(), host.get());
    host->shutdown();
    page->invokeAsync("log", {});  // dropped without an error
    host->pump();
    EXPECT_TRUE(host->delayedInvokes().empty());
    host.reset();
    EXPECT_EQ(page->getContextID(), nullptr);
    try {
        page->invokeAsync("log", {});
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Cannot invoke asynchronously");
    }
}

TEST(JSAPI, WideFormsForwardAndBaseFormsAreNotImplemented)
{
    struct Names : test::StubApi {
        std::vector<std::string> asked;
        void getMemberNames(std::vector<std::string>& names) const override
        {
            names = {"a", "\xD0\x96"};
        }
        bool hasMethod(std::string name) const override { return name == "\xD0\x96"; }
        PB_JSAPI_KEEP_WIDE_FORMS(test::StubApi);
    };
    Names n;
    std::vector<std::wstring> wide = {L"stale"};
    n.getMemberNames(wide);
    EXPECT_EQ(wide, (std::vector<std::wstring>{L"a", L"\u0416"}));
    EXPECT_TRUE(n.hasMethod(std::wstring(L"\u0416")));
    try {
        n.addEventHandler(std::wstring(L"load"), PB::JSObjectPtr());
        FAIL();
    } catch (const PB::script_error& e) {
        EXPECT_STREQ(e.what(), "Not implemented");
    }
    EXPECT_THROW(n.addEventSink(PB::JSObjectPtr()), PB::script_error);
}

}  // namespace
