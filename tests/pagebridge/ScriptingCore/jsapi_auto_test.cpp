#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScriptingCore/JSAPIAuto.h"
#include "ScriptingCore/ScopedZone.h"
#include "support/RecordingPageObject.h"

namespace {

using PB::variant;
using PB::VariantList;

class Auto : public PB::JSAPIAuto {
public:
    Auto() : PB::JSAPIAuto("<test object>") {}
    int echoCount = 0;
};

// The outcome of a call: the value's text, or the error's text.
std::string outcome(const std::function<PB::Promise<variant>()>& call)
{
    std::string result = "pending";
    try {
        call().done([&result](variant v) { result = v.empty() ? "(empty)" : v.convert_cast<std::string>(); },
                    [&result](std::exception_ptr e) {
                        try {
                            std::rethrow_exception(e);
                        } catch (const std::exception& x) {
                            result = std::string("rejected: ") + x.what();
                        }
                    });
    } catch (const std::exception& e) {
        result = std::string("thrown: ") + e.what();
    }
    return result;
}

std::string thrown(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

TEST(JSAPIAuto, BareObjectMembers)
{
    auto obj = std::make_shared<Auto>();
    std::vector<std::string> names;
    obj->getMemberNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"getAttribute", "setAttribute", "toString", "valid", "value"}));
    EXPECT_EQ(obj->getMemberCount(), 5u);
    EXPECT_FALSE(obj->hasProperty("toString"));
    EXPECT_FALSE(obj->hasMethod("value"));
    EXPECT_TRUE(obj->hasProperty("value"));
    EXPECT_TRUE(obj->hasMethod(std::wstring(L"toString")));

    const struct {
        const char* what;
        std::function<PB::Promise<variant>()> call;
        std::string expected;
    } cases[] = {
        {"toString", [&] { return obj->invoke("toString", {}); }, "<test object>"},
        {"toString ignores arguments", [&] { return obj->invoke("toString", {1, 2, 3}); }, "<test object>"},
        {"value", [&] { return obj->getProperty("value"); }, "<test object>"},
        {"valid", [&] { return obj->getProperty("valid"); }, "true"},
        {"getProperty of a method", [&] { return obj->getProperty("toString"); },
         "thrown: The specified member does not exist: toString"},
        {"unknown method", [&] { return obj->invoke("sign", {}); },
         "thrown: The specified member does not exist: sign"},
        {"missing attribute reads empty", [&] { return obj->invoke("getAttribute", {"nothing"}); }, "(empty)"},
        {"getAttribute without a name", [&] { return obj->invoke("getAttribute", {}); },
         "thrown: Error: Argument 1 is not optional."},
        {"setAttribute with too many", [&] { return obj->invoke("setAttribute", {"a", 1, 2}); },
         "thrown: Too many arguments, expected 2."},
        {"setAttribute with a name only", [&] { return obj->invoke("setAttribute", {"a"}); }, "(empty)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcome(c.call), c.expected) << c.what;

    // Writing the default properties is accepted and changes nothing.
    obj->setProperty("value", variant("other"));
    obj->setProperty("valid", variant(false));
    EXPECT_EQ(outcome([&] { return obj->getProperty("value"); }), "<test object>");
    EXPECT_EQ(outcome([&] { return obj->getProperty("valid"); }), "true");
}

TEST(JSAPIAuto, AttributesAndReadOnly)
{
    auto obj = std::make_shared<Auto>();
    EXPECT_EQ(thrown([&] { obj->setProperty("color", variant("red")); }),
              "The specified member does not exist: color");
    EXPECT_FALSE(obj->hasProperty("color"));
    obj->invoke("setAttribute", {"color", "red"});
    obj->setProperty("color", variant("blue"));
    EXPECT_EQ(outcome([&] { return obj->getProperty("color"); }), "blue");

    obj->registerAttribute("fixed", variant(1), true);
    EXPECT_EQ(thrown([&] { obj->setProperty("fixed", variant(2)); }), "The specified member does not exist: fixed");
    EXPECT_EQ(thrown([&] { obj->setAttribute("fixed", variant(2)); }), "Cannot set read-only property fixed");
    EXPECT_EQ(outcome([&] { return obj->invoke("setAttribute", {"fixed", 2}); }),
              "rejected: Cannot set read-only property fixed");
    EXPECT_EQ(thrown([&] { obj->unregisterAttribute("fixed"); }), "Cannot remove read-only property fixed");
    obj->registerAttribute("fixed", variant(3), false);
    obj->unregisterAttribute("fixed");
    EXPECT_FALSE(obj->hasProperty("fixed"));
}

TEST(JSAPIAuto, NumericIndexForms)
{
    auto obj = std::make_shared<Auto>();
    obj->registerAttribute("3", variant("three"));
    obj->registerAttribute("-1", variant("minus one"));
    EXPECT_EQ(outcome([&] { return obj->getProperty(3); }), "three");
    EXPECT_EQ(outcome([&] { return obj->getProperty(-1); }), "minus one");
    EXPECT_TRUE(obj->hasProperty(3));
    EXPECT_FALSE(obj->hasProperty(4));
    EXPECT_EQ(outcome([&] { return obj->getProperty(4); }), "thrown: The specified member does not exist: 4");
    EXPECT_EQ(thrown([&] { obj->setProperty(0, variant(1)); }), "The specified member does not exist: 0");
    EXPECT_EQ(thrown([&] { obj->setProperty(3, variant(1)); }), "The specified member does not exist: 3");
    EXPECT_EQ(thrown([&] { obj->removeProperty(-1); }), "The specified member does not exist: -1");
    {
        PB::ScopedZone high(*obj, 9);
        obj->registerAttribute("7", variant("hidden below 9"));
    }
    EXPECT_TRUE(obj->hasProperty(7));  // no zone test
    EXPECT_EQ(outcome([&] { return obj->getProperty(7); }), "thrown: The specified member does not exist: 7");
}

TEST(JSAPIAuto, RemovePropertyNeverRemoves)
{
    auto obj = std::make_shared<Auto>();
    obj->removeProperty("value");
    EXPECT_TRUE(obj->hasProperty("value"));
    EXPECT_EQ(thrown([&] { obj->removeProperty("nothing"); }), "The specified member does not exist: nothing");
}

TEST(JSAPIAuto, ZonesHideMembersRegisteredAbove)
{
    auto obj = std::make_shared<Auto>();
    obj->registerMethod("act", [](const VariantList&) { return PB::Promise<variant>(variant(1)); });
    {
        PB::ScopedZone zone(*obj, 2);
        obj->registerAttribute("act", variant("attr"));
        EXPECT_TRUE(obj->hasMethod("act"));
        EXPECT_EQ(outcome([&] { return obj->invoke("act", {}); }), "1");
    }
    EXPECT_FALSE(obj->hasMethod("act"));
    EXPECT_EQ(outcome([&] { return obj->invoke("act", {}); }), "thrown: The specified member does not exist: act");
    std::vector<std::string> names;
    obj->getMemberNames(names);
    EXPECT_EQ(std::count(names.begin(), names.end(), "act"), 0);

    // Removing the attribute removes the shared zone entry: the method is gone too.
    obj->registerMethod("act", [](const VariantList&) { return PB::Promise<variant>(variant(1)); });
    obj->registerAttribute("act", variant("attr"));
    obj->unregisterAttribute("act");
    EXPECT_EQ(outcome([&] { return obj->invoke("act", {}); }), "thrown: The specified member does not exist: act");
}

TEST(JSAPIAuto, InvalidObjects)
{
    auto obj = std::make_shared<Auto>();
    obj->invalidate();
    EXPECT_EQ(outcome([&] { return obj->invoke("toString", {}); }), "thrown: This object is no longer valid");
    EXPECT_EQ(outcome([&] { return obj->getProperty("valid"); }), "thrown: This object is no longer valid");
    EXPECT_EQ(thrown([&] { obj->setProperty(1, variant()); }), "This object is no longer valid");
    EXPECT_FALSE(obj->hasMethod("toString"));
    EXPECT_FALSE(obj->hasProperty("value"));
    EXPECT_EQ(obj->getMemberCount(), 5u);
}

TEST(JSAPIAuto, MemberFailures)
{
    auto obj = std::make_shared<Auto>();
    obj->registerMethod("castFails", [](const VariantList&) -> PB::Promise<variant> {
        variant(1).cast<std::string>();
        return PB::Promise<variant>(variant());
    });
    obj->registerMethod("throws", [](const VariantList&) -> PB::Promise<variant> {
        throw std::logic_error("plain failure");
    });
    obj->registerProperty("typed", PB::PropertyFunctors([] { return PB::Promise<variant>(variant()); },
                                                        [](const variant& v) { v.cast<int>(); }));
    EXPECT_EQ(outcome([&] { return obj->invoke("castFails", {}); }),
              "thrown: Could not convert from int to std::string");
    EXPECT_EQ(outcome([&] { return obj->invoke("throws", {}); }), "thrown: plain failure");
    EXPECT_EQ(thrown([&] { obj->setProperty("typed", variant("x")); }), "Could not convert from std::string to int");
}

TEST(JSAPIAuto, EventAttributeHook)
{
    auto obj = std::make_shared<Auto>();
    auto fn = std::make_shared<test::RecordingPageObject>("fn", nullptr);
    obj->invoke("setAttribute", {"onload", PB::JSObjectPtr(fn)});
    obj->registerAttribute("onother", variant("not a function"));
    obj->fireEvent("onload", {42});
    obj->fireEvent("onother", {1});
    ASSERT_EQ(fn->calls.size(), 1u);
    EXPECT_EQ(fn->calls[0].name, "");
    EXPECT_EQ(fn->calls[0].args[0].cast<int>(), 42);

    obj->fireEventObject("onload", PB::VariantMap{{"detail", 1}});
    ASSERT_EQ(fn->calls.size(), 2u);
    EXPECT_EQ(fn->calls[1].args[0].cast<PB::VariantMap>().at("type").cast<std::string>(), "onload");

    struct Throwing : test::RecordingPageObject {
        using RecordingPageObject::RecordingPageObject;
        PB::Promise<variant> invoke(std::string, const VariantList&) override { throw std::logic_error("page"); }
    };
    obj->invoke("setAttribute", {"onfail", PB::JSObjectPtr(std::make_shared<Throwing>("t", nullptr))});
    EXPECT_NO_THROW(obj->fireEvent("onfail", {}));
    fn->calls.clear();  // the recorded event objects point back at obj
}

TEST(JSAPIAuto, InvalidatedObjectsFireNotEvenTheirEventAttribute)
{
    auto obj = std::make_shared<Auto>();
    auto fn = std::make_shared<test::RecordingPageObject>("fn", nullptr);
    obj->invoke("setAttribute", {"onload", PB::JSObjectPtr(fn)});
    obj->invalidate();
    obj->fireEvent("onload", {1});
    obj->fireEventObject("onload", PB::VariantMap{{"detail", 1}});
    obj->fireEventObject("onload", PB::VariantList{2});
    EXPECT_TRUE(fn->calls.empty());
}

}  // namespace
