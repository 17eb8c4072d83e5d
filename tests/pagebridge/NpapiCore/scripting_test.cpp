// Page script calling the plug-in's scriptable object through the NPClass
// callbacks: every answer is a page promise, settled later on the main
// thread; event listeners, enumeration and invalidation.

#include <gtest/gtest.h>

#include <thread>

#include "NpapiFixture.h"

namespace {

using test::FakeBrowser;
using test::FakeObject;

class NpapiScripting : public test::NpapiTest {
protected:
    void SetUp() override
    {
        NpapiTest::SetUp();
        instance = newInstance();
        api = scriptable(instance);
    }
    void TearDown() override
    {
        if (api)
            browser->releaseObject(api);
        NpapiTest::TearDown();
    }
    // Calls the method; true when the answer is a page promise object.
    bool callForPromise(const std::string& method, const std::vector<NPVariant>& args = {})
    {
        NPVariant result = call(api, method, args);
        const bool promise = FakeBrowser::describe(result) == "promise";
        browser->release(&result);
        return promise;
    }
    const test::Settlement& last() const { return *browser->settlements.back(); }

    NPP instance = nullptr;
    NPObject* api = nullptr;
};

TEST_F(NpapiScripting, EveryAnswerIsAPagePromiseSettledLater)
{
    const struct {
        const char* method;
        std::vector<NPVariant> args;
        const char* state;
        const char* value;
    } cases[] = {
        {"add", {FakeBrowser::intValue(2), FakeBrowser::intValue(3)}, "resolved", "5"},
        {"echo", {FakeBrowser::boolValue(true)}, "resolved", "true"},
        {"echo", {FakeBrowser::doubleValue(2.5)}, "resolved", "2.5"},
        {"echo", {}, "resolved", "void"},
        {"fail", {}, "rejected", "Error(boom)"},
        {"add", {FakeBrowser::intValue(1)}, "rejected", "Error(Error: Argument 2 is not optional.)"},
        {"nosuch", {}, "rejected", "Error(The specified member does not exist: nosuch)"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(callForPromise(c.method, c.args)) << c.method;
        EXPECT_EQ(last().state, "pending") << "settled inside the call: " << c.method;
        browser->pump();
        EXPECT_EQ(last().state, c.state) << c.method;
        EXPECT_EQ(last().value, c.value) << c.method;
        EXPECT_EQ(last().calls, 1) << c.method;
    }
    // The library and the helper went into the page once each.
    EXPECT_EQ(browser->evaluated.size(), 2u);
}

TEST_F(NpapiScripting, APromiseSettledOnAnotherThreadReachesThePageFromTheMainThread)
{
    ASSERT_TRUE(callForPromise("later"));
    browser->pump();
    EXPECT_EQ(last().state, "pending");
    PB::Deferred<PB::variant> pending = rootApi(instance)->pending;
    std::thread worker([pending] { pending.resolve(PB::variant(42)); });
    worker.join();
    EXPECT_EQ(last().state, "pending");
    ASSERT_TRUE(browser->pumpUntil([&] { return last().state != "pending"; }));
    EXPECT_EQ(last().state, "resolved");
    EXPECT_EQ(last().value, "42");
}

TEST_F(NpapiScripting, AnAbandonedPromiseRejectsThePagePromise)
{
    ASSERT_TRUE(callForPromise("later"));
    rootApi(instance)->pending = PB::Deferred<PB::variant>();  // nobody will settle the old one
    browser->pump();
    EXPECT_EQ(last().state, "rejected");
}

TEST_F(NpapiScripting, PropertiesAreReadAsPromisesAndWrittenDirectly)
{
    NPVariant value;
    ASSERT_TRUE(browser->getProperty(api, "name", &value));
    EXPECT_EQ(FakeBrowser::describe(value), "promise");
    browser->release(&value);
    browser->pump();
    EXPECT_EQ(last().value, "'api'");

    NPVariant text = browser->stringValue("renamed");
    EXPECT_TRUE(api->_class->setProperty(api, browser->id("name"), &text));
    browser->release(&text);
    EXPECT_EQ(rootApi(instance)->name, "renamed");

    // A property that cannot be read is a rejected promise.
    ASSERT_TRUE(browser->getProperty(api, "nosuch", &value));
    EXPECT_EQ(FakeBrowser::describe(value), "promise");
    browser->release(&value);
    browser->pump();
    EXPECT_EQ(last().state, "rejected");

    // A setter that throws answers false and sets no exception.
    NPVariant object = FakeBrowser::objectValue(browser->window());
    EXPECT_FALSE(api->_class->setProperty(api, browser->id("name"), &object));
    EXPECT_TRUE(browser->exceptions.empty());
}

TEST_F(NpapiScripting, MembersAsThePageSeesThem)
{
    const struct {
        const char* name;
        bool method;
        bool property;
    } cases[] = {
        {"add", true, false},
        {"name", false, true},
        {"toString", true, false},
        {"addEventListener", true, false},
        {"removeEventListener", true, false},
        {"nosuch", false, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(api->_class->hasMethod(api, browser->id(c.name)), c.method) << c.name;
        EXPECT_EQ(api->_class->hasProperty(api, browser->id(c.name)), c.property) << c.name;
    }

    NPIdentifier* ids = nullptr;
    uint32_t count = 0;
    ASSERT_TRUE(api->_class->enumerate(api, &ids, &count));
    ASSERT_EQ(count, rootApi(instance)->getMemberCount() + 2);
    EXPECT_EQ(ids[count - 2], browser->id("addEventListener"));
    EXPECT_EQ(ids[count - 1], browser->id("removeEventListener"));
    EXPECT_EQ(ids[0], browser->id([&] {
        std::vector<std::string> names;
        rootApi(instance)->getMemberNames(names);
        return names[0];
    }()));
    browser->funcs()->memfree(ids);
}

TEST_F(NpapiScripting, EventListenersAreAddedUnderOnAndCalledThroughThePage)
{
    FakeObject* handler = browser->makeFunction("clickHandler");
    NPVariant click = browser->stringValue("click");
    ASSERT_TRUE(callForPromise("addEventListener", {click}));
    browser->pump();
    EXPECT_EQ(last().value, "Error(Invalid Arguments)");

    NPVariant f = FakeBrowser::objectValue(handler);
    ASSERT_TRUE(callForPromise("addEventListener", {click, f, FakeBrowser::boolValue(false)}));
    browser->pump();
    EXPECT_EQ(last().state, "resolved");

    rootApi(instance)->fireEvent("onclick", {PB::variant(7)});
    browser->pump();
    ASSERT_EQ(handler->calls.size(), 1u);
    EXPECT_EQ(handler->calls[0], "(7)");

    ASSERT_TRUE(callForPromise("removeEventListener", {click, f}));
    browser->pump();
    rootApi(instance)->fireEvent("onclick", {PB::variant(8)});
    browser->pump();
    EXPECT_EQ(handler->calls.size(), 1u);
    browser->release(&click);
}

TEST_F(NpapiScripting, APluginObjectGivenBackKeepsItsIdentity)
{
    NPVariant self = FakeBrowser::objectValue(api);
    ASSERT_TRUE(callForPromise("echo", {self}));
    browser->pump();
    EXPECT_EQ(last().value, "plugin");

    // A new scripting object reaches the page as an object of its own.
    ASSERT_TRUE(callForPromise("child"));
    browser->pump();
    EXPECT_EQ(last().value, "plugin");
}

TEST_F(NpapiScripting, AfterInvalidationEveryCallbackAnswersFalse)
{
    api->_class->invalidate(api);
    EXPECT_EQ(rootApi(instance)->invalidations, 1);
    NPVariant result = FakeBrowser::intValue(9);
    EXPECT_FALSE(api->_class->invoke(api, browser->id("add"), nullptr, 0, &result));
    EXPECT_EQ(result.type, NPVariantType_Void);
    EXPECT_FALSE(api->_class->invokeDefault(api, nullptr, 0, &result));
    EXPECT_FALSE(api->_class->hasMethod(api, browser->id("add")));
    EXPECT_FALSE(api->_class->hasProperty(api, browser->id("name")));
    EXPECT_FALSE(api->_class->getProperty(api, browser->id("name"), &result));
    EXPECT_FALSE(api->_class->removeProperty(api, browser->id("name")));
    NPIdentifier* ids = nullptr;
    uint32_t count = 0;
    EXPECT_FALSE(api->_class->enumerate(api, &ids, &count));
    EXPECT_FALSE(api->_class->construct(api, nullptr, 0, &result));
}

TEST_F(NpapiScripting, ACallOnAShutDownHostLeavesThePagePromisePending)
{
    ASSERT_TRUE(callForPromise("later"));
    PB::Deferred<PB::variant> pending = rootApi(instance)->pending;
    host(instance)->shutdown();
    pending.resolve(PB::variant(1));
    browser->pump();
    EXPECT_EQ(last().state, "pending");
}

TEST_F(NpapiScripting, APromiseSettledAfterTheInstanceIsGoneTroublesNobody)
{
    ASSERT_TRUE(callForPromise("later"));
    PB::Deferred<PB::variant> pending = rootApi(instance)->pending;
    browser->releaseObject(api);
    api = nullptr;
    destroy(instance);
    EXPECT_NO_THROW(pending.resolve(PB::variant(1)));
    EXPECT_EQ(last().state, "pending");
}

}  // namespace
