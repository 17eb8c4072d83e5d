#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "support/Errors.h"
#include "ScriptingCore/PromiseJoin.h"

namespace {

using PB::Deferred;
using PB::Promise;
using PB::variant;

using test::messageOf;

std::exception_ptr error(const char* text)
{
    return std::make_exception_ptr(std::runtime_error(text));
}

// Joins, recording each call of the function and the joined outcome.
struct Join {
    std::vector<std::vector<variant>> calls;
    std::string outcome = "pending";

    void run(std::vector<Promise<variant>> promises)
    {
        PB::callWhenAllResolved(std::move(promises), [this](std::vector<variant> values) {
            calls.push_back(values);
            return Promise<variant>(variant(static_cast<int>(values.size())));
        }).done([this](variant v) { outcome = "resolved:" + v.convert_cast<std::string>(); },
                [this](std::exception_ptr e) { outcome = "rejected:" + messageOf(e); });
    }
};

TEST(PromiseJoin, EmptyListCallsAtOnce)
{
    Join j;
    j.run({});
    ASSERT_EQ(j.calls.size(), 1u);
    EXPECT_TRUE(j.calls[0].empty());
    EXPECT_EQ(j.outcome, "resolved:0");
}

TEST(PromiseJoin, ValuesKeepListOrderWhateverTheResolutionOrder)
{
    const std::vector<std::vector<int>> orders = {{0, 1, 2}, {2, 0, 1}, {1, 2, 0}};
    for (const auto& order : orders) {
        std::vector<Deferred<variant>> d(3);
        Join j;
        j.run({d[0].promise(), d[1].promise(), d[2].promise()});
        for (int i : order) {
            EXPECT_TRUE(j.calls.empty());
            d[i].resolve(variant(i * 10));
        }
        ASSERT_EQ(j.calls.size(), 1u);
        EXPECT_EQ(j.calls[0][0].cast<int>(), 0);
        EXPECT_EQ(j.calls[0][1].cast<int>(), 10);
        EXPECT_EQ(j.calls[0][2].cast<int>(), 20);
        EXPECT_EQ(j.outcome, "resolved:3");
    }
}

TEST(PromiseJoin, AlreadyResolvedPromisesAreJoinedBeforeReturning)
{
    Join j;
    j.run({Promise<variant>(variant("a")), Promise<variant>(variant(2))});
    ASSERT_EQ(j.calls.size(), 1u);
    EXPECT_EQ(j.outcome, "resolved:2");
}

TEST(PromiseJoin, Rejections)
{
    Deferred<variant> first, second;
    Join j;
    j.run({first.promise(), Promise<variant>(variant(1)), second.promise()});
    first.reject(error("first"));
    second.reject(error("second"));
    EXPECT_TRUE(j.calls.empty());
    EXPECT_EQ(j.outcome, "rejected:first");

    // A promise rejected after it resolved does not disturb the join.
    Deferred<variant> late;
    Join k;
    k.run({late.promise()});
    late.resolve(variant(1));
    late.reject(error("too late"));
    EXPECT_EQ(k.outcome, "resolved:1");
}

TEST(PromiseJoin, FunctionFailures)
{
    std::string outcome;
    PB::callWhenAllResolved({Promise<variant>(variant(1))}, [](std::vector<variant>) -> Promise<variant> {
        throw std::logic_error("function threw");
    }).fail([&outcome](std::exception_ptr e) { outcome = messageOf(e); });
    EXPECT_EQ(outcome, "function threw");

    PB::callWhenAllResolved({Promise<variant>(variant(1))}, [](std::vector<variant>) {
        return Promise<variant>(error("function rejected"));
    }).fail([&outcome](std::exception_ptr e) { outcome = messageOf(e); });
    EXPECT_EQ(outcome, "function rejected");

    EXPECT_THROW(PB::callWhenAllResolved({Promise<variant>()}, nullptr), std::runtime_error);
}

TEST(PromiseJoin, AbandonedInputRejectsTheJoin)
{
    Join j;
    {
        Deferred<variant> abandoned;
        j.run({abandoned.promise()});
    }
    EXPECT_EQ(j.outcome, "rejected:Deferred object destroyed: 1");
}

}  // namespace
