// Page objects seen from the plug-in: browser calls on the main thread,
// marshalled there from other threads, neutral answers once the host is gone.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "NpapiCore/NPObjectAPI.h"
#include "NpapiFixture.h"
#include "PluginAuto/PageScripts.h"
#include "support/Errors.h"
#include "support/LogCapture.h"

namespace {

using test::FakeBrowser;
using test::FakeObject;
using PB::Npapi::NPObjectAPI;

class PageObjects : public test::NpapiTest {
protected:
    void SetUp() override
    {
        NpapiTest::SetUp();
        instance = newInstance();
        target = browser->makeObject("target");
        target->set("answer", FakeBrowser::intValue(42));
        target->methods["twice"] = [](const NPVariant* args, uint32_t, NPVariant* result) {
            *result = FakeBrowser::intValue(args[0].value.intValue * 2);
            return true;
        };
        page = std::make_shared<NPObjectAPI>(target, host(instance));
    }
    void TearDown() override
    {
        page.reset();
        NpapiTest::TearDown();
    }
    std::string failure(const std::function<void()>& call)
    {
        try {
            call();
        } catch (const PB::script_error& e) {
            return e.what();
        }
        return "(no error)";
    }
    FakeObject* helper()
    {
        const std::string name = PB::PageScripts::helperName(
            static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(instance)));
        return static_cast<FakeObject*>(browser->window()->properties[name].value.objectValue);
    }

    NPP instance = nullptr;
    FakeObject* target = nullptr;
    std::shared_ptr<NPObjectAPI> page;
};

TEST_F(PageObjects, OperationsBecomeBrowserCalls)
{
    EXPECT_EQ(page->getPropertySync("answer").convert_cast<int>(), 42);
    EXPECT_EQ(page->invokeSync("twice", {21}).convert_cast<int>(), 42);
    EXPECT_TRUE(page->hasMethod("twice"));
    EXPECT_TRUE(page->hasProperty("answer"));
    page->setProperty("made", PB::variant("x"));
    page->setProperty(-12, PB::variant(1));
    EXPECT_TRUE(target->has("made"));
    EXPECT_TRUE(target->has("-12"));  // an index goes by its decimal text
    EXPECT_EQ(page->getPropertySync(-12).convert_cast<int>(), 1);
    page->removeProperty("made");
    EXPECT_FALSE(target->has("made"));

    const std::size_t intIds = browser->count("getintidentifier");
    target->set("3", FakeBrowser::intValue(0));
    page->hasProperty(3);
    EXPECT_EQ(browser->count("getintidentifier"), intIds + 1);  // the index test uses an integer identifier

    std::vector<std::string> names{"kept"};
    page->getMemberNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"kept", "answer", "-12", "3"}));
    EXPECT_EQ(page->getMemberCount(), 3u);
    EXPECT_EQ(page->getNativeHandle(), target);
    EXPECT_EQ(page->getContextID(), instance);
}

TEST_F(PageObjects, FailedCallsNameTheMember)
{
    target->failSet = true;
    target->failCall = true;
    target->failGet = true;
    const std::size_t before = browser->liveAllocations();
    EXPECT_EQ(failure([&] { page->setProperty("x", PB::variant("text")); }), "x");
    EXPECT_EQ(browser->liveAllocations(), before);  // the converted value was released
    EXPECT_EQ(failure([&] { page->invokeSync("twice", {1}); }), "twice");
    EXPECT_EQ(failure([&] { page->invokeSync("", {}); }), "");
    EXPECT_EQ(failure([&] { page->getPropertySync(5); }), "5");
    EXPECT_EQ(failure([&] { page->removeProperty("nosuch"); }), "nosuch");
    EXPECT_EQ(target->calls.back(), "()");  // the default call
}

TEST_F(PageObjects, CallsFromAnotherThreadRunOnTheMainThread)
{
    std::atomic<bool> done{false};
    PB::variant result;
    std::string failed;
    std::vector<std::string> names{"kept"};
    std::thread worker([&] {
        result = page->invokeSync("twice", {5});
        page->getMemberNames(names);
        target->failCall = true;
        try {
            page->invokeSync("twice", {1});
        } catch (const PB::script_error& e) {
            failed = e.what();
        }
        done = true;
    });
    ASSERT_TRUE(browser->pumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(result.convert_cast<int>(), 10);
    EXPECT_EQ(names, (std::vector<std::string>{"kept", "answer"}));
    EXPECT_EQ(failed, "twice");
}

TEST_F(PageObjects, AWaitingThreadLearnsOfTheShutdown)
{
    std::string failed;
    std::thread worker([&] {
        try {
            page->invokeSync("twice", {5});
        } catch (const PB::script_error& e) {
            failed = e.what();
        }
    });
    while (browser->queuedCalls() == 0)
        std::this_thread::yield();
    host(instance)->shutdown();
    worker.join();
    EXPECT_EQ(failed, "Shutting down");

    std::thread late([&] {
        try {
            page->invokeSync("twice", {5});
        } catch (const PB::script_error& e) {
            failed = e.what();
        }
        page->callHandlers("onclick", {}, {page}, {});
    });
    late.join();
    EXPECT_EQ(failed, "Could not marshal to main thread");
}

// The page ends the instance while the main thread is inside a member that
// a worker waits for. The worker hears "Shutting down" at once, leaves the
// frame its list lived in and drops its last reference; the member then
// finishes on the object its call still holds, and writes into no gone frame.
TEST_F(PageObjects, AMemberOutlivesTheCallerThatGaveUpAtShutdown)
{
    std::weak_ptr<NPObjectAPI> watched = page;
    std::promise<void> gaveUp;
    std::future<void> callerGone = gaveUp.get_future();
    bool inside = false, keptInside = false;
    target->enumerating = [&] {
        inside = true;
        host(instance)->shutdown();
        // Bounded only so that a broken build fails instead of hanging.
        ASSERT_EQ(callerGone.wait_for(std::chrono::seconds(30)), std::future_status::ready);
        keptInside = !watched.expired();
    };
    std::string heard;
    std::thread worker([this, &heard, &gaveUp, caller = std::move(page)]() mutable {
        heard = failure([&] {
            std::vector<std::string> names{"kept"};
            caller->getMemberNames(names);
        });
        caller.reset();
        gaveUp.set_value();
    });
    const bool ran = browser->pumpUntil([&] { return inside; });
    if (!ran)
        host(instance)->shutdown();  // lets the worker go
    worker.join();
    ASSERT_TRUE(ran);
    EXPECT_EQ(heard, "Shutting down");
    EXPECT_TRUE(keptInside);
    EXPECT_TRUE(watched.expired());  // let go once the member was done
}

TEST_F(PageObjects, HandlersAreCalledThroughThePageHelper)
{
    FakeObject* first = browser->makeFunction("first");
    FakeObject* second = browser->makeFunction("second");
    FakeObject* sink = browser->makeObject("sink");
    sink->methods["onclick"] = [](const NPVariant*, uint32_t, NPVariant*) { return true; };
    NPVariant a = FakeBrowser::objectValue(first), b = FakeBrowser::objectValue(second),
              c = FakeBrowser::objectValue(sink);
    auto host = this->host(instance);
    const PB::JSObjectPtr f1 = host->getVariant(&a).cast<PB::JSObjectPtr>();
    const PB::JSObjectPtr f2 = host->getVariant(&b).cast<PB::JSObjectPtr>();
    const PB::JSObjectPtr o1 = host->getVariant(&c).cast<PB::JSObjectPtr>();

    page->callHandlers("onclick", {7}, {}, {});
    page->callHandlers("onclick", {7}, {f1, f2}, {o1});
    EXPECT_EQ(helper()->calls, (std::vector<std::string>{"asyncCall(0, first, [7])", "asyncCall(0, second, [7])",
                                                         "asyncCall(0, sink, [7], 'onclick')"}));
    browser->pump();
    EXPECT_EQ(first->calls, (std::vector<std::string>{"(7)"}));
    EXPECT_EQ(second->calls, (std::vector<std::string>{"(7)"}));
    EXPECT_EQ(sink->calls, (std::vector<std::string>{"onclick(7)"}));

    // Queued from another thread; the queued call keeps the object alive.
    std::thread worker([&] { page->callHandlers("onclick", {8}, {f1}, {}); });
    worker.join();
    page.reset();
    browser->pump();
    EXPECT_EQ(first->calls.back(), "(8)");
}

// A call queued from a worker thread that fails on the main thread with
// something other than a script error: the page helper cannot be put into
// the page. A waiting caller hears it as a script error; a posted call stops
// at the trampoline with an ERROR line instead of unwinding into the
// browser's loop.
TEST_F(PageObjects, FailuresOfQueuedCallsStayInThePlugin)
{
    auto host = this->host(instance);
    browser->failEvaluate = true;
    const struct {
        const char* what;
        std::function<void()> fromWorker;
        const char* callerError;  // what the worker hears ("" for nothing)
    } cases[] = {
        {"posted", [&] { page->invokeAsync("twice", {1}); }, ""},
        {"waited for", [&] { host->CallOnMainThread([&] { host->getJSHelper(); }); },
         "Could not inject JS Helper into page"},
    };
    for (const auto& c : cases) {
        test::LogCapture log;
        std::atomic<bool> done{false};
        std::string heard;
        std::thread worker([&] {
            heard = failure(c.fromWorker);
            done = true;
        });
        bool finished = false;
        EXPECT_NO_THROW(finished = browser->pumpUntil([&] { return done.load(); })) << c.what;
        worker.join();
        EXPECT_NO_THROW(browser->pump()) << c.what;
        EXPECT_TRUE(finished) << c.what;
        EXPECT_EQ(heard, *c.callerError ? c.callerError : "(no error)") << c.what;
        std::vector<std::string> errors;
        for (const test::LogLine& line : log.lines())
            if (line.level == "ERROR")
                errors.push_back(line.message);
        if (*c.callerError)
            EXPECT_TRUE(errors.empty()) << c.what;
        else
            EXPECT_EQ(errors, (std::vector<std::string>{
                                  "A call posted to the main thread failed: Could not inject JS Helper into page"}));
    }
}

TEST_F(PageObjects, ArraysAndObjectsAreReadIntoValues)
{
    auto host = this->host(instance);
    NPVariant list;
    std::vector<NPVariant> items{FakeBrowser::intValue(1), browser->stringValue("a")};
    browser->invoke(browser->window(), "Array", items, &list);
    browser->release(&items[1]);
    const PB::JSObjectPtr array = host->getVariant(&list).cast<PB::JSObjectPtr>();
    browser->release(&list);
    PB::VariantList values;
    host->getArrayValues(array).done([&](PB::VariantList v) { values = v; });
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[1].convert_cast<std::string>(), "a");

    PB::VariantMap members;
    host->getObjectValues(page).done([&](PB::VariantMap m) { members = m; });
    EXPECT_EQ(members.size(), 1u);
    EXPECT_EQ(members["answer"].convert_cast<int>(), 42);
}

TEST_F(PageObjects, ReleasesGoToTheMainThread)
{
    const uint32_t before = browser->refCount(target);
    std::thread worker([&] { page.reset(); });
    worker.join();
    EXPECT_EQ(browser->refCount(target), before);  // queued, not released off the main thread
    host(instance)->doDeferredRelease();
    EXPECT_EQ(browser->refCount(target), before - 1);
}

TEST_F(PageObjects, AnswerNeutrallyOnceTheHostIsGone)
{
    destroy(instance);
    EXPECT_FALSE(page->isValid());
    EXPECT_FALSE(page->invokeSync("twice", {1}).convert_cast<bool>());
    PB::variant read = PB::variant(1);
    page->getProperty("answer").done([&](PB::variant v) { read = v; });
    EXPECT_TRUE(read.empty());
    EXPECT_FALSE(page->hasMethod("twice"));
    EXPECT_EQ(page->getMemberCount(), 0u);
    page->setProperty("x", PB::variant(1));
    page->removeProperty("answer");
    EXPECT_TRUE(target->has("answer"));
    EXPECT_EQ(page->getContextID(), nullptr);
    EXPECT_EQ(failure([&] { page->callHandlers("onclick", {}, {}, {}); }), "Error calling handlers");
    // Without its host the object cannot give its reference back.
    page.reset();
    browser->releaseObject(target);
}

}  // namespace
