#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/Errors.h"
#include "ScriptingCore/Promise.h"

namespace {

using PB::Deferred;
using PB::Promise;
using PB::variant;

using test::messageOf;

// Records what reaches a promise's callbacks.
struct Observer {
    std::vector<std::string> log;
    void watch(const Promise<int>& p, const std::string& tag)
    {
        p.done([this, tag](int v) { log.push_back(tag + ":" + std::to_string(v)); },
               [this, tag](std::exception_ptr e) { log.push_back(tag + "!" + messageOf(e)); });
    }
};

TEST(Promise, SettledPromisesRunCallbacksAtOnce)
{
    Observer o;
    o.watch(Promise<int>(7), "value");
    o.watch(Promise<int>(std::make_exception_ptr(std::runtime_error("boom"))), "error");
    EXPECT_EQ(o.log, (std::vector<std::string>{"value:7", "error!boom"}));
}

TEST(Promise, PendingCallbacksRunInOrderWithTheirOwnCopies)
{
    Deferred<std::string> d;
    std::vector<std::string> seen;
    for (int i = 0; i < 3; ++i)
        d.promise().done([&seen, i](std::string v) {
            v += std::to_string(i);  // a copy of its own: the next callback must not see this
            seen.push_back(v);
        });
    bool failed = false;
    d.promise().fail([&failed](std::exception_ptr) { failed = true; });
    d.resolve("x");
    EXPECT_EQ(seen, (std::vector<std::string>{"x0", "x1", "x2"}));
    EXPECT_FALSE(failed);
}

TEST(Promise, StateTransitionsAfterSettlement)
{
    const struct {
        const char* what;
        std::function<void(Deferred<int>&)> settle;
        std::vector<std::string> expected;
    } cases[] = {
        {"resolve twice: the later done sees the second value",
         [](Deferred<int>& d) { d.resolve(1); d.resolve(2); }, {"early:1", "late:2"}},
        {"reject after resolve: nothing more is called, a later fail sees the error",
         [](Deferred<int>& d) { d.resolve(1); d.reject(std::make_exception_ptr(std::runtime_error("e"))); },
         {"early:1", "late!e"}},
        {"resolve after reject", [](Deferred<int>& d) {
             d.reject(std::make_exception_ptr(std::runtime_error("e")));
             d.resolve(3);
         }, {"early!e", "late:3"}},
        {"reject twice", [](Deferred<int>& d) {
             d.reject(std::make_exception_ptr(std::runtime_error("a")));
             d.reject(std::make_exception_ptr(std::runtime_error("b")));
         }, {"early!a", "late!b"}},
    };
    for (const auto& c : cases) {
        Deferred<int> d;
        Observer o;
        o.watch(d.promise(), "early");
        c.settle(d);
        o.watch(d.promise(), "late");
        EXPECT_EQ(o.log, c.expected) << c.what;
    }
}

TEST(Promise, InvalidPromise)
{
    Promise<int> invalid;
    try {
        invalid.done(nullptr, nullptr);
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Promise invalid");
    }
    EXPECT_THROW(invalid.fail(nullptr), std::runtime_error);
    std::string error;
    invalid.then<int>([](int v) { return v; }).fail([&error](std::exception_ptr e) { error = messageOf(e); });
    EXPECT_EQ(error, "Promise invalid");
}

TEST(Promise, ThenChains)
{
    const auto boom = [](int) -> int { throw std::logic_error("thrown"); };
    const auto recover = [](std::exception_ptr) { return -1; };
    const struct {
        const char* what;
        Promise<int> source;
        std::function<int(int)> onSuccess;
        std::function<int(std::exception_ptr)> onFail;
        std::string expected;
    } cases[] = {
        {"resolved source", Promise<int>(2), [](int v) { return v * 10; }, nullptr, "v:20"},
        {"success function throws", Promise<int>(2), boom, nullptr, "e:thrown"},
        {"error passes on", Promise<int>(std::make_exception_ptr(std::runtime_error("src"))),
         [](int v) { return v; }, nullptr, "e:src"},
        {"failure function recovers", Promise<int>(std::make_exception_ptr(std::runtime_error("src"))),
         [](int v) { return v; }, recover, "v:-1"},
        {"empty success function", Promise<int>(2), nullptr, nullptr, "e:bad_function_call"},
    };
    for (const auto& c : cases) {
        std::string got;
        Promise<int> next = c.source.then<int>(c.onSuccess, c.onFail);
        next.done([&got](int v) { got = "v:" + std::to_string(v); },
                  [&got](std::exception_ptr e) { got = "e:" + messageOf(e); });
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST(Promise, ThenOnPendingSourceSettlesLater)
{
    Deferred<std::string> d;
    int length = 0;
    d.promise().then<int>([](std::string s) { return static_cast<int>(s.size()); }).done([&length](int n) {
        length = n;
    });
    EXPECT_EQ(length, 0);
    d.resolve("four");
    EXPECT_EQ(length, 4);
}

TEST(Promise, AbandonedStates)
{
    std::string error;
    Promise<int> derived;
    {
        Deferred<int> source;
        derived = source.promise().then<int>([](int v) { return v; });
    }
    derived.fail([&error](std::exception_ptr e) { error = messageOf(e); });
    EXPECT_EQ(error, "Deferred object destroyed: 1");

    bool called = false;
    {
        Deferred<int> onlySuccess;
        onlySuccess.promise().done([&called](int) { called = true; });
    }
    EXPECT_FALSE(called);

    {
        Deferred<void> silent;
        silent.promise().fail([&called](std::exception_ptr) { called = true; });
    }
    EXPECT_FALSE(called);
}

TEST(Promise, AbandonedStateWhoseCallbackThrowsDoesNotEscapeTheDestructor)
{
    bool reached = false;
    {
        Deferred<int> d;
        d.promise().fail([&reached](std::exception_ptr) {
            reached = true;
            throw std::runtime_error("from a failure callback");
        });
    }
    EXPECT_TRUE(reached);
}

TEST(Promise, SettlingFromInsideItsOwnCallbackIsSafe)
{
    Deferred<int> d;
    std::vector<int> seen;
    d.promise().done([&](int v) {
        seen.push_back(v);
        d.resolve(v + 1);  // re-entrant: the running list has been taken out
    });
    d.promise().done([&](int v) { seen.push_back(v * 100); });
    d.resolve(1);
    EXPECT_EQ(seen, (std::vector<int>{1, 100}));
    int late = 0;
    d.promise().done([&late](int v) { late = v; });
    EXPECT_EQ(late, 2);
}

TEST(Promise, ConversionToVariantPromise)
{
    variant got;
    Promise<variant> fromInt = Promise<int>(5);
    fromInt.done([&got](variant v) { got = v; });
    EXPECT_TRUE(got.holds<int>());

    Promise<variant> fromList = Promise<PB::VariantList>(PB::VariantList{1, "a"});
    fromList.done([&got](variant v) { got = v; });
    EXPECT_TRUE(got.holds<PB::VariantList>());

    std::string error;
    Promise<variant> rejected = Promise<PB::VariantMap>(std::make_exception_ptr(std::runtime_error("no map")));
    rejected.fail([&error](std::exception_ptr e) { error = messageOf(e); });
    EXPECT_EQ(error, "no map");
}

// A value that counts the copies made of it on the way.
struct Counted {
    int copies = 0;
    Counted() = default;
    Counted(const Counted& other) : copies(other.copies + 1) {}
    Counted(Counted&&) = default;
    Counted& operator=(const Counted& other)
    {
        copies = other.copies + 1;
        return *this;
    }
    Counted& operator=(Counted&&) = default;
};

TEST(Promise, HandOffGivesTheLastHolderTheValueItself)
{
    struct Case {
        const char* name;
        bool shared;        // another handle shares the state
        int copiesSeen;     // by the success function
        bool handleKept;    // the handed-off handle still has its state
    };
    const Case cases[] = {
        {"sole holder of a resolved promise", false, 0, false},
        {"a resolved promise held elsewhere too", true, 1, true},
    };
    for (const Case& c : cases) {
        Promise<Counted> promise{Counted()};
        Promise<Counted> other = c.shared ? promise : Promise<Counted>();
        int seen = -1;
        promise.handOff([&seen](Counted value) { seen = value.copies; }, [](std::exception_ptr) { FAIL(); });
        EXPECT_EQ(seen, c.copiesSeen) << c.name;
        EXPECT_EQ(promise.valid(), c.handleKept) << c.name;
        if (c.shared) {
            // The other holder still reads the value.
            int later = -1;
            other.done([&later](Counted value) { later = value.copies; });
            EXPECT_EQ(later, 1) << c.name;
        }
    }
}

TEST(Promise, ResolvingCopiesTheValueOnlyForThoseWhoWait)
{
    // Nobody waits: the state keeps the value itself; a later reader gets a copy.
    Deferred<Counted> quiet;
    quiet.resolve(Counted());
    int later = -1;
    quiet.promise().done([&later](Counted value) { later = value.copies; });
    EXPECT_EQ(later, 1);

    // Two wait: the first gets a copy, the last the value, and the state keeps a copy.
    Deferred<Counted> busy;
    std::vector<int> seen;
    for (int i = 0; i < 2; ++i)
        busy.promise().done([&seen](Counted value) { seen.push_back(value.copies); });
    busy.resolve(Counted());
    busy.promise().done([&seen](Counted value) { seen.push_back(value.copies); });
    EXPECT_EQ(seen, (std::vector<int>{1, 0, 2}));
}

TEST(Promise, HandOffOfAnythingElseIsDone)
{
    // Pending: registered, run when the value comes, the handle kept.
    Deferred<std::string> later;
    Promise<std::string> pending = later.promise();
    std::vector<std::string> log;
    pending.handOff([&log](std::string v) { log.push_back("value:" + v); },
                    [&log](std::exception_ptr e) { log.push_back("error:" + messageOf(e)); });
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(pending.valid());
    later.resolve("late");

    // Rejected: the failure function runs at once.
    Promise<std::string> rejected(std::make_exception_ptr(std::runtime_error("boom")));
    rejected.handOff([&log](std::string v) { log.push_back("value:" + v); },
                     [&log](std::exception_ptr e) { log.push_back("error:" + messageOf(e)); });
    EXPECT_TRUE(rejected.valid());

    // No success function: nothing runs and the state stays.
    Promise<std::string> resolved(std::string("kept"));
    resolved.handOff(nullptr);
    EXPECT_TRUE(resolved.valid());
    resolved.done([&log](std::string v) { log.push_back("value:" + v); });

    EXPECT_EQ(log, (std::vector<std::string>{"value:late", "error:boom", "value:kept"}));
    try {
        Promise<std::string>().handOff([](std::string) {});
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Promise invalid");
    }
}

TEST(Promise, VoidPromises)
{
    Deferred<void> d;
    int runs = 0;
    d.promise().done([&runs] { ++runs; });
    Promise<int> counted = d.promise().then<int>([&runs] { return runs * 10; });
    d.resolve();
    int value = 0;
    counted.done([&value](int v) { value = v; });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(value, 10);
}

}  // namespace
