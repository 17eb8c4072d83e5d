#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ScriptingCore/JSObject.h"
#include "support/PageTree.h"
#include "support/PumpedHost.h"

namespace {

using PB::Deferred;
using PB::JSObjectPtr;
using PB::Promise;
using PB::variant;
using ObjectList = std::vector<JSObjectPtr>;

template <typename T>
std::string describe(const T& value);
template <>
std::string describe(const std::string& value)
{
    return "'" + value + "'";
}
template <>
std::string describe(const int& value)
{
    return std::to_string(value);
}
template <>
std::string describe(const JSObjectPtr& value)
{
    return value ? "object" : "null";
}
template <>
std::string describe(const ObjectList& value)
{
    return std::to_string(value.size()) + " objects";
}

std::string messageOf(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const PB::bad_variant_cast& e) {
        return std::string("bad cast to ") + e.to;
    } catch (const std::exception& e) {
        return e.what();
    }
}

// What a typed promise built over the source becomes: its value, its
// rejection, or the exception its constructor throws.
template <typename T>
std::string outcome(const Promise<variant>& source)
{
    try {
        Promise<T> typed(source);
        std::string result = "pending";
        typed.done([&result](T v) { result = "resolved " + describe(v); },
                   [&result](std::exception_ptr e) { result = "rejected: " + messageOf(e); });
        return result;
    } catch (const std::exception& e) {
        return std::string("thrown: ") + (dynamic_cast<const PB::bad_variant_cast*>(&e)
                                              ? std::string("bad cast to ") + static_cast<const PB::bad_variant_cast&>(e).to
                                              : e.what());
    }
}

TEST(TypedPromise, ConvertingConstructorsOverSettledSources)
{
    auto host = std::make_shared<test::PumpedHost>();
    auto page = test::TreeObject::make(host);
    const auto rejected = Promise<variant>(std::make_exception_ptr(std::runtime_error("page said no")));
    const struct {
        const char* what;
        std::string got;
        const char* expected;
    } cases[] = {
        {"object", outcome<JSObjectPtr>(variant(JSObjectPtr(page))), "resolved object"},
        {"PBNull as object", outcome<JSObjectPtr>(variant(PB::PBNull())), "resolved null"},
        {"empty as object", outcome<JSObjectPtr>(variant()), "resolved null"},
        {"null marker as object", outcome<JSObjectPtr>(variant(PB::variant_detail::null())),
         "thrown: bad cast to std::shared_ptr<PB::JSAPI>"},
        {"bool as string", outcome<std::string>(variant(true)), "resolved 'true'"},
        {"number as int", outcome<int>(variant(12.7)), "resolved 12"},
        {"object as int", outcome<int>(variant(JSObjectPtr(page))), "thrown: bad cast to int"},
        {"rejected source", outcome<std::string>(rejected), "rejected: page said no"},
        {"invalid source", outcome<int>(Promise<variant>()), "thrown: Promise invalid"},
        {"list from an empty object", outcome<ObjectList>(variant(JSObjectPtr())), "resolved 0 objects"},
        {"list from PBNull", outcome<ObjectList>(variant(PB::PBNull())),
         "thrown: bad cast to std::shared_ptr<PB::JSObject>"},
        {"list from string", outcome<ObjectList>(variant("abc")), "thrown: bad cast to std::shared_ptr<PB::JSObject>"},
        {"list from empty", outcome<ObjectList>(variant()), "thrown: bad cast to std::shared_ptr<PB::JSObject>"},
        {"list from array",
         outcome<ObjectList>(variant(JSObjectPtr(test::TreeObject::array(host, {JSObjectPtr(page), PB::PBNull()})))),
         "resolved 2 objects"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(TypedPromise, LateAnswersSettleOrRejectTheTypedPromise)
{
    Deferred<variant> page;
    std::string asInt = "pending", asString = "pending";
    bool otherCallbackRan = false;
    Promise<int>(page.promise()).done([&](int v) { asInt = describe(v); },
                                      [&](std::exception_ptr e) { asInt = "rejected: " + messageOf(e); });
    Promise<std::string>(page.promise()).done([&](std::string v) { asString = v; });
    page.promise().done([&](variant) { otherCallbackRan = true; });
    page.resolve(variant(PB::VariantList{}));  // no int in a list
    EXPECT_EQ(asInt, "rejected: bad cast to int");
    EXPECT_EQ(asString, "pending");  // its rejection is not observed here; the chain goes on
    EXPECT_TRUE(otherCallbackRan);
}

TEST(TypedPromise, ThenValueAndPromiseForms)
{
    const auto doubled = [](int v) { return v * 2; };
    const auto later = [](int v) { return Promise<std::string>(std::to_string(v)); };
    std::string got;
    Promise<int>(21).then<int>(doubled).done([&got](int v) { got = describe(v); });
    EXPECT_EQ(got, "42");
    Promise<int>(7).then<std::string>(later).done([&got](std::string v) { got = v; });
    EXPECT_EQ(got, "7");

    // A promise-form function whose promise settles later.
    Deferred<std::string> inner;
    got = "pending";
    Promise<int>(1).then<std::string>([inner](int) { return inner.promise(); }).done([&got](std::string v) {
        got = v;
    });
    EXPECT_EQ(got, "pending");
    inner.resolve("late");
    EXPECT_EQ(got, "late");

    // A promise-form function returning an invalid promise.
    Promise<int>(1).then<std::string>([](int) { return Promise<std::string>(); }).fail([&got](std::exception_ptr e) {
        got = messageOf(e);
    });
    EXPECT_EQ(got, "Promise invalid");

    // A failure function in promise form recovers the chain.
    Promise<int>(std::make_exception_ptr(std::runtime_error("x")))
        .then<std::string>(later, [](std::exception_ptr) { return Promise<std::string>("recovered"); })
        .done([&got](std::string v) { got = v; });
    EXPECT_EQ(got, "recovered");

    // The thrown object keeps its type.
    Promise<int>(1).then<int>([](int) -> int { throw std::out_of_range("range"); }).fail([&got](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::out_of_range&) {
            got = "out_of_range";
        } catch (...) {
            got = "other";
        }
    });
    EXPECT_EQ(got, "out_of_range");
}

}  // namespace
