// Page objects as the plug-in sees them over HostWire, and the browser
// services that go through the page's browser object.

#include <gtest/gtest.h>

#include "FakeHost.h"
#include "HostWire/AlienLarvae.h"
#include "HostWire/AlienWireling.h"
#include "HostWire/WireBrowserHost.h"
#include "HostWire/WireColony.h"
#include "TestPlugin.h"
#include "support/Errors.h"
#include "support/LogCapture.h"

namespace hostwire_test {
namespace {

using namespace PB;
using namespace PB::HostWire;

const char* const kNew = "[\"New\",\"application/x-velon\",{}]";

class PageObjectTest : public ::testing::Test {
protected:
    std::shared_ptr<WireBrowserHost> spawnHost() { return WireColony::findColony(0)->spawns().at(1)->host; }
    // A page object of the instance, read from a "ref" the page sent.
    std::shared_ptr<AlienWireling> pageObject(std::uint32_t objectId)
    {
        return AlienWireling::create(spawnHost(), WireColony::findColony(0)->getAlienLarvae(7, objectId));
    }
    std::vector<std::string> commandsSince(std::size_t first)
    {
        return std::vector<std::string>(host.commands().begin() + first, host.commands().end());
    }
    // The module's "Invoke" commands of the browser object's method.
    std::vector<std::string> browserCalls(const std::string& method)
    {
        std::vector<std::string> calls;
        for (const std::string& text : host.commandsNamed("Invoke"))
            if (parse(text)[3].asString() == method)
                calls.push_back(text);
        return calls;
    }
    // The id the module gave the command of that text.
    std::uint32_t idOf(const std::string& text)
    {
        for (std::size_t i = 0; i < host.commands().size(); ++i)
            if (host.commands()[i] == text)
                return host.commandIds()[i];
        ADD_FAILURE() << "not sent: " << text;
        return 0;
    }

    FakeHost host;
};

TEST_F(PageObjectTest, CallsWaitForTheMemberNamesAndGoOutInOrder)
{
    ASSERT_EQ(host.send(kNew), 1);
    host.answerAtOnce = false;
    const std::size_t first = host.commands().size();
    std::shared_ptr<AlienWireling> page = pageObject(5);
    EXPECT_EQ(page->getMemberCount(), 0u);
    EXPECT_FALSE(page->hasProperty("x"));
    variant read;
    page->getProperty(-5).done([&read](variant v) { read = v; });
    page->setProperty("a", variant(1));
    page->removeProperty("a");
    page->invoke("f", VariantList{variant(1), variant("s")});
    EXPECT_EQ(commandsSince(first), std::vector<std::string>{"[\"Enum\",7,5]"});

    host.deliver();
    EXPECT_TRUE(page->hasProperty("x"));
    EXPECT_TRUE(page->hasMethod("a"));
    EXPECT_TRUE(read.is_null());
    EXPECT_EQ(commandsSince(first), (std::vector<std::string>{
                                        "[\"Enum\",7,5]",
                                        "[\"GetP\",7,5,\"-5\"]",
                                        "[\"SetP\",7,5,\"a\",1]",
                                        "[\"DelP\",7,5,\"a\"]",
                                        "[\"Invoke\",7,5,\"f\",[1,\"s\"]]",
                                    }));
    std::vector<std::string> names{"z"};
    page->getMemberNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"a", "x", "z"}));

    page.reset();
    EXPECT_EQ(host.commands().back(), "[\"RelObj\",7,5]");
}

TEST_F(PageObjectTest, AReleaseNeverOvertakesWaitingCommands)
{
    ASSERT_EQ(host.send(kNew), 1);
    host.answerAtOnce = false;
    const std::size_t first = host.commands().size();
    std::shared_ptr<AlienWireling> page = pageObject(5);
    page->invoke("f", VariantList());
    page.reset();
    host.deliver();
    EXPECT_EQ(commandsSince(first), (std::vector<std::string>{"[\"Enum\",7,5]", "[\"Invoke\",7,5,\"f\",[]]",
                                                              "[\"RelObj\",7,5]"}));
}

TEST_F(PageObjectTest, AFailedStartInvalidatesTheObject)
{
    ASSERT_EQ(host.send(kNew), 1);
    host.responder = [](const Json::Value& command) {
        return command[0].asString() == "Enum" ? std::string("[\"success\",\"not a list\"]") : std::string();
    };
    host.answerAtOnce = false;
    test::LogCapture log;
    std::shared_ptr<AlienWireling> page = pageObject(6);
    std::exception_ptr failed;
    page->getProperty("x").fail([&failed](std::exception_ptr e) { failed = e; });
    host.deliver();
    EXPECT_EQ(test::messageOf(failed), "Invalid Arguments");
    EXPECT_FALSE(page->isValid());
    EXPECT_THROW(page->getProperty("x"), object_invalidated);
    bool warned = false;
    for (const test::LogLine& line : log.lines())
        warned = warned || line.message == "AlienWireling startup failure!Invalid Arguments";
    EXPECT_TRUE(warned);
    // The page gave the object an id all the same: it is let go, once.
    const std::size_t sent = host.commands().size();
    page->invalidate();
    page.reset();
    EXPECT_EQ(commandsSince(sent), std::vector<std::string>{"[\"RelObj\",7,6]"});
}

struct UnansweredCase {
    const char* name;
    bool releasedFirst;  // the plug-in lets the object go before the instance ends
    bool finit;          // the connection ends rather than the instance
    std::vector<std::string> sent;
};

// The instance's end also lets the window (7,1) and the document (7,2) go.
const std::vector<std::string> kReleaseThenEnd{"[\"Enum\",7,5]", "[\"RelObj\",7,1]", "[\"RelObj\",7,2]",
                                               "[\"RelObj\",7,5]", "[\"Destroy\",7]"};
const UnansweredCase kUnanswered[] = {
    {"ReleasedThenDestroyed", true, false, kReleaseThenEnd},
    {"ReleasedThenFinit", true, true, kReleaseThenEnd},
    {"DestroyedThenReleased", false, false,
     {"[\"Enum\",7,5]", "[\"RelObj\",7,1]", "[\"RelObj\",7,2]", "[\"Destroy\",7]", "[\"RelObj\",7,5]"}},
};

void PrintTo(const UnansweredCase& c, std::ostream* os)
{
    *os << c.name;
}

class UnansweredNamesTest : public PageObjectTest, public ::testing::WithParamInterface<UnansweredCase> {};

// A page object whose member names never come still goes back to the page,
// at the instance's end at the latest, and what waited on it is dropped.
TEST_P(UnansweredNamesTest, TheReleaseGoesOutByTheEnd)
{
    ASSERT_EQ(host.send(kNew), 1);
    host.responder = [](const Json::Value& command) {
        return command[0].asString() == "Enum" ? std::string() : FakeHost::pageAnswer(command);
    };
    const std::shared_ptr<WireBrowserHost> kept = spawnHost();
    const std::size_t first = host.commands().size();
    std::shared_ptr<AlienWireling> page = pageObject(5);
    std::exception_ptr failed;
    page->getProperty("a").fail([&failed](std::exception_ptr e) { failed = e; });
    page->setProperty("a", variant(1));
    if (GetParam().releasedFirst)
        page.reset();
    EXPECT_EQ(commandsSince(first), std::vector<std::string>{"[\"Enum\",7,5]"});
    const std::uint32_t enumId = idOf("[\"Enum\",7,5]");

    if (GetParam().finit)
        HostWire_Finit();
    else
        host.send("[\"Destroy\",1]");
    page.reset();
    EXPECT_EQ(commandsSince(first), GetParam().sent);
    if (!GetParam().finit) {
        // Names that come after all send nothing more.
        host.answer(enumId, "[\"success\",[\"a\"]]");
        EXPECT_EQ(commandsSince(first), GetParam().sent);
    }
    EXPECT_EQ(test::messageOf(failed), GetParam().finit ? "Deferred object destroyed: 1" : "This object is no longer valid");
}

INSTANTIATE_TEST_SUITE_P(HostWire, UnansweredNamesTest, ::testing::ValuesIn(kUnanswered),
                         [](const ::testing::TestParamInfo<UnansweredCase>& info) { return info.param.name; });

TEST_F(PageObjectTest, TheBrowserObjectIsNeverReleasedAndAGoneHostSendsNothing)
{
    ASSERT_EQ(host.send(kNew), 1);
    std::shared_ptr<AlienWireling> browser = pageObject(0);
    std::shared_ptr<AlienWireling> other = pageObject(8);
    const std::size_t sent = host.commands().size();
    browser.reset();
    EXPECT_EQ(host.commands().size(), sent);
    EXPECT_EQ(other->getContextID(), reinterpret_cast<void*>(1));
    host.send("[\"Destroy\",1]");
    EXPECT_EQ(other->getContextID(), nullptr);
    EXPECT_THROW(other->getProperty("a"), std::bad_cast);
    const std::size_t afterDestroy = host.commands().size();
    EXPECT_NO_THROW(other.reset());
    EXPECT_EQ(host.commands().size(), afterDestroy);
}

TEST_F(PageObjectTest, ThePlugInCallsThePageBack)
{
    ASSERT_EQ(host.send(kNew), 1);
    host.responder = [](const Json::Value& command) {
        if (command[0].asString() == "Invoke" && command[2].asUInt() == 5)
            return std::string("[\"success\",\"back from the page\"]");
        return FakeHost::pageAnswer(command);
    };
    const std::size_t first = host.commands().size();
    host.send("[\"Invoke\",1,0,\"callBack\",[{\"$type\":\"ref\",\"data\":[7,5]},\"hi\"]]");
    EXPECT_EQ(host.reply(), "[\"success\",\"back from the page\"]");
    EXPECT_EQ(commandsSince(first), (std::vector<std::string>{"[\"Enum\",7,5]", "[\"Invoke\",7,5,\"\",[\"hi\"]]",
                                                              "[\"RelObj\",7,5]"}));
}

TEST_F(PageObjectTest, EventsReachTheHandlerThePageSet)
{
    ASSERT_EQ(host.send(kNew), 1);
    host.send("[\"SetP\",1,0,\"ondone\",{\"$type\":\"ref\",\"data\":[7,9]}]");
    EXPECT_EQ(host.reply(), "[\"success\",null]");
    host.send("[\"Invoke\",1,0,\"fire\",[\"ondone\",3]]");
    EXPECT_EQ(host.commands().back(), "[\"Invoke\",7,9,\"\",[3.0]]");
}

TEST_F(PageObjectTest, OnloadRunsWithTheRootObjectOnceTheBrowserIsUp)
{
    host.answerAtOnce = false;
    ASSERT_EQ(host.send("[\"New\",\"application/x-velon\",{\"onload\":{\"$type\":\"ref\",\"data\":[7,3]}}]"), 1);
    EXPECT_TRUE(host.commandsNamed("Invoke").empty());
    host.deliver();
    EXPECT_EQ(host.commandsNamed("Invoke").back(),
              "[\"Invoke\",7,0,\"invokeWithDelay\",[250,{\"$type\":\"local-ref\",\"data\":[7,3]},"
              "[{\"$type\":\"ref\",\"data\":[1,1]}],\"\"]]");
}

TEST_F(PageObjectTest, ReadyWaitsForBothWindowAndDocument)
{
    host.responder = [](const Json::Value& command) {
        if (command[0].asString() == "Invoke" && command[3].asString() == "getWindow")
            return std::string("[\"success\",null]");
        return FakeHost::pageAnswer(command);
    };
    ASSERT_EQ(host.send(kNew), 1);
    EXPECT_FALSE(spawnHost()->getDOMWindow());
    EXPECT_TRUE(spawnHost()->getDOMDocument());
    EXPECT_EQ(testFactory()->lastPlugin.lock()->readyCalls, 0);
    spawnHost()->evaluateJavaScript("queued()");
    EXPECT_TRUE(browserCalls("evalFn").empty());
    EXPECT_THROW(spawnHost()->getDOMElement(), std::runtime_error);
    std::map<std::string, std::string> settings;
    EXPECT_THROW(spawnHost()->detectProxySettings(settings, "http://x/"), std::logic_error);
}

TEST_F(PageObjectTest, TheDocumentMayComeFirstAndEvaluationsWaitInOrder)
{
    host.responder = [](const Json::Value& command) {
        const bool fetch = command[0].asString() == "Invoke" &&
                           (command[3].asString() == "getWindow" || command[3].asString() == "getDocument");
        return fetch ? std::string() : FakeHost::pageAnswer(command);
    };
    ASSERT_EQ(host.send(kNew), 1);
    const std::shared_ptr<WireBrowserHost> browserHost = spawnHost();
    for (const char* script : {"one()", "two()", "three()"})
        browserHost->evaluateJavaScript(script);

    host.answer(idOf("[\"Invoke\",7,0,\"getDocument\",[]]"), "[\"success\",{\"$type\":\"ref\",\"data\":[7,2]}]");
    EXPECT_TRUE(browserHost->getDOMDocument());
    EXPECT_FALSE(browserHost->getDOMWindow());
    EXPECT_TRUE(browserCalls("evalFn").empty());
    EXPECT_EQ(testFactory()->lastPlugin.lock()->readyCalls, 0);

    host.answer(idOf("[\"Invoke\",7,0,\"getWindow\",[]]"), "[\"success\",{\"$type\":\"ref\",\"data\":[7,1]}]");
    EXPECT_TRUE(browserHost->getDOMWindow());
    EXPECT_EQ(testFactory()->lastPlugin.lock()->readyCalls, 1);
    EXPECT_EQ(browserCalls("evalFn"), (std::vector<std::string>{"[\"Invoke\",7,0,\"evalFn\",[\"one()\"]]",
                                                                "[\"Invoke\",7,0,\"evalFn\",[\"two()\"]]",
                                                                "[\"Invoke\",7,0,\"evalFn\",[\"three()\"]]"}));
    browserHost->evaluateJavaScript("four()");
    EXPECT_EQ(host.commands().back(), "[\"Invoke\",7,0,\"evalFn\",[\"four()\"]]");

    host.send("[\"Destroy\",1]");
    EXPECT_FALSE(browserHost->getDOMWindow());
    EXPECT_FALSE(browserHost->getDOMDocument());
}

using HandlerStep = std::function<void(AlienWireling&, const JSObjectPtr&)>;

const std::pair<const char*, HandlerStep> kHandlerSteps[] = {
    {"addEventHandler", [](AlienWireling& page, const JSObjectPtr& f) { page.addEventHandler("onclick", f); }},
    {"addEventHandler wide", [](AlienWireling& page, const JSObjectPtr& f) { page.addEventHandler(L"onclick", f); }},
    {"removeEventHandler", [](AlienWireling& page, const JSObjectPtr& f) { page.removeEventHandler("onclick", f); }},
    {"addEventSink", [](AlienWireling& page, const JSObjectPtr& f) { page.addEventSink(f); }},
    {"removeEventSink", [](AlienWireling& page, const JSObjectPtr& f) { page.removeEventSink(f); }},
};

TEST_F(PageObjectTest, PageObjectsTakeNoEventHandlers)
{
    ASSERT_EQ(host.send(kNew), 1);
    std::shared_ptr<AlienWireling> page = pageObject(5);
    const JSObjectPtr handler = pageObject(6);
    const std::size_t sent = host.commands().size();
    for (const auto& step : kHandlerSteps) {
        try {
            step.second(*page, handler);
            ADD_FAILURE() << step.first << " did not throw";
        } catch (const script_error& e) {
            EXPECT_STREQ(e.what(), "Not implemented") << step.first;
        }
    }
    EXPECT_THROW(page->callHandlers("onclick", VariantList(), {}, {}), std::logic_error);
    EXPECT_EQ(host.commands().size(), sent);
}

struct PageAnswer {
    const char* call;    // the host's command to the plug-in
    const char* method;  // the method whose "Invoke" the page answers as below
    const char* sent;    // that "Invoke"
    const char* answer;
    std::string result;  // the plug-in's reply
};

const char* const kReadList = "[\"Invoke\",1,0,\"readList\",[{\"$type\":\"ref\",\"data\":[7,4]}]]";
const char* const kReadArray = "[\"Invoke\",7,0,\"readArray\",[{\"$type\":\"local-ref\",\"data\":[7,4]}]]";
const char* const kReadMap = "[\"Invoke\",1,0,\"readMap\",[{\"$type\":\"ref\",\"data\":[7,4]}]]";
const char* const kReadObject = "[\"Invoke\",7,0,\"readObject\",[{\"$type\":\"local-ref\",\"data\":[7,4]}]]";
const char* const kCallBack = "[\"Invoke\",1,0,\"callBack\",[{\"$type\":\"ref\",\"data\":[7,5]},\"hi\"]]";
const char* const kCalled = "[\"Invoke\",7,5,\"\",[\"hi\"]]";

std::string thrown(const std::string& message)
{
    return "[\"error\",{\"error\":\"Command threw an exception\",\"message\":\"" + message + "\"}]";
}

const PageAnswer kPageAnswers[] = {
    {kReadList, "readArray", kReadArray, "[\"success\",[1,\"two\"]]", "[\"success\",[1.0,\"two\"]]"},
    {kReadList, "readArray", kReadArray, "[\"success\",{\"a\":1}]", thrown("bad cast")},
    {kReadList, "readArray", kReadArray, "[\"error\",{\"message\":\"no such array\"}]",
     thrown("no such array")},
    {kReadList, "readArray", kReadArray, "[\"error\",{}]",
     thrown("Unknown error returned from page: [\\\"error\\\",{}]")},
    {kReadList, "readArray", kReadArray, "[\"error\",\"text\"]",
     thrown("Unknown error returned from page: [\\\"error\\\",\\\"text\\\"]")},
    {kReadList, "readArray", kReadArray, "[\"nonsense\"]", thrown("Invalid response from client")},
    {kReadList, "readArray", kReadArray, "[3]", thrown("Invalid message format")},
    {kReadList, "readArray", kReadArray, "[\"success\"", thrown("Malformed JSON from client")},
    {kReadMap, "readObject", kReadObject, "[\"success\",{\"a\":1,\"b\":[\"c\"]}]",
     "[\"success\",{\"a\":1.0,\"b\":[\"c\"]}]"},
    {kReadMap, "readObject", kReadObject, "[\"success\",[1]]", thrown("bad cast")},
    {kReadMap, "readObject", kReadObject, "[\"error\",{\"message\":\"no such object\"}]",
     thrown("no such object")},
    {kCallBack, "", kCalled, "[\"success\",\"back\"]", "[\"success\",\"back\"]"},
    {kCallBack, "", kCalled, "[\"success\"]", "[\"success\",null]"},
    {kCallBack, "", kCalled, "[\"success\",\"back\"] // and more", "[\"success\",\"back\"]"},
    {kCallBack, "", kCalled, "[\"error\",{\"message\":5}]", thrown("5")},
    {kCallBack, "", kCalled, "[\"error\",{\"message\":{\"code\":5}}]", thrown("{\\\"code\\\":5}")},
};

void PrintTo(const PageAnswer& c, std::ostream* os)
{
    *os << c.method << " answered " << c.answer;
}

class PageAnswerTest : public PageObjectTest, public ::testing::WithParamInterface<PageAnswer> {};

TEST_P(PageAnswerTest, ThePagesAnswerDecidesTheReply)
{
    const std::string method = GetParam().method;
    const std::string answer = GetParam().answer;
    host.responder = [method, answer](const Json::Value& command) {
        if (command[0].asString() == "Invoke" && command[3].asString() == method)
            return answer;
        return FakeHost::pageAnswer(command);
    };
    ASSERT_EQ(host.send(kNew), 1);
    EXPECT_EQ(host.send(GetParam().call), 1);
    EXPECT_EQ(host.reply(), GetParam().result);
    EXPECT_EQ(browserCalls(method), std::vector<std::string>{GetParam().sent});
}

INSTANTIATE_TEST_SUITE_P(HostWire, PageAnswerTest, ::testing::ValuesIn(kPageAnswers));

}  // namespace
}  // namespace hostwire_test
