// The host's commands and the module's replies: the dispatcher's codes, the
// handlers' answers and errors, instances, plug-in objects and method
// references.

#include <gtest/gtest.h>

#include "FakeHost.h"
#include "HostWire/WireBrowserHost.h"
#include "HostWire/WireColony.h"
#include "TestPlugin.h"

namespace hostwire_test {
namespace {

using PB::HostWire::WireColony;

const char* const kNew = "[\"New\",\"application/x-velon\",{}]";

std::string failure(const char* stage, const std::string& message)
{
    return std::string("[\"error\",{\"error\":\"") + stage + "\",\"message\":\"" + message + "\"}]";
}

class WireCommandTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(host.send(kNew), 1); }

    std::shared_ptr<PB::HostWire::WireBrowserHost> spawnHost(std::uint32_t spawnId)
    {
        return WireColony::findColony(0)->spawns().at(spawnId)->host;
    }

    FakeHost host;
};

struct CommandCase {
    std::string command;
    int code;
    std::string reply;  // "" when none may come
};

// Nested deeper than the reader goes.
const std::string kTooDeep = std::string(2000, '[') + std::string(2000, ']');

const CommandCase kCommands[] = {
    // Not a command: the code is the whole answer.
    {"[]", 3, ""},
    {"{}", 3, ""},
    {"[5]", 3, ""},
    {"\"New\"", 3, ""},
    {"[\"DelP\",1,0,\"x\"]", 4, ""},
    {"[\"enum\",0,0]", 4, ""},
    {"[", 2, ""},
    {"", 2, ""},
    {"[\"Enum\",0,0,]", 2, ""},
    {kTooDeep, 2, ""},
    // The first value counts; comments and text after it are passed over.
    {"[\"Enum\",0,0] trailing", 1, "[\"success\",[]]"},
    {"[\"Enum\",0,0]]", 1, "[\"success\",[]]"},
    {"// which\n[\"Enum\",0,0 /* spawn, object */]", 1, "[\"success\",[]]"},
    // A text is taken by its length, NUL bytes and all.
    {std::string("[\"Invoke\",1,0,\"echo\",[\"a\0b\"]]", 30), 1, "[\"success\",\"a\\u0000b\"]"},
    // Arguments that cannot be read.
    {"[\"Invoke\",1,0,\"echo\",[{\"$type\":\"ref\",\"data\":[-1,2]}]]", 2,
     failure("Malformed JSON request", "LargestInt out of UInt range")},
    {"[\"Enum\",0,0]", 1, "[\"success\",[]]"},
    {"[\"Enum\",9,0]", 1, failure("Could not execute command", "Invalid object")},
    {"[\"Enum\",1,42]", 1, failure("Could not execute command", "Object not found")},
    {"[\"GetP\",1]", 1, failure("Could not execute command", "GetP needs 3 arguments, got 1")},
    {"[\"Invoke\",1,0,\"add\"]", 1, failure("Could not execute command", "Invoke needs 4 arguments, got 3")},
    {"[\"GetP\",0,0,\"x\"]", 1, failure("Could not execute command", "The specified member does not exist: x")},
    {"[\"SetP\",0,0,\"x\",1]", 1, failure("Could not execute command", "The specified member does not exist: x")},
    {"[\"GetP\",1,0,\"count\"]", 1, "[\"success\",0]"},
    {"[\"GetP\",1,0,\"nope\"]", 1, failure("Could not execute command", "The specified member does not exist: nope")},
    {"[\"SetP\",1,0,\"count\",5]", 1, "[\"success\",null]"},
    {"[\"Invoke\",1,0,\"add\",[2,3]]", 1, "[\"success\",5]"},
    {"[\"Invoke\",1,0,\"echo\",[[1,\"a\",{\"k\":true}]]]", 1, "[\"success\",[1.0,\"a\",{\"k\":true}]]"},
    {"[\"Invoke\",1,0,\"fail\",[\"refused\"]]", 1, failure("Command threw an exception", "refused")},
    {"[\"Invoke\",1,0,\"echo\",\"not a list\"]", 1, failure("Could not execute command", "bad cast")},
    {"[\"Invoke\",1,0,\"add\",[true]]", 1,
     failure("Could not execute command", "Error: Argument 2 is not optional.")},
    {"[\"Invoke\",1,0,\"echo\",[{\"$type\":\"local-ref\",\"data\":[1,0]}]]", 1,
     "[\"success\",{\"$type\":\"ref\",\"data\":[1,1]}]"},
    {"[\"Invoke\",1,0,\"echo\",[{\"$type\":\"local-ref\",\"data\":[5,5]}]]", 1, "[\"success\",null]"},
    {"[\"Destroy\",9]", 1, failure("Invalid object", "Invalid object")},
    {"[\"RelObj\",0,5]", 1, failure("Could not execute command", "Invalid object")},
    {"[\"RelObj\",1,42]", 1, failure("Could not execute command", "Object not found")},
    {"[\"New\",\"text/plain\",{}]", 1, failure("Could not execute command", "No plug-in for the MIME type text/plain")},
    {"[\"New\",\"application/x-velon\",\"not a map\"]", 1, "[\"success\",2]"},
};

void PrintTo(const CommandCase& c, std::ostream* os)
{
    *os << (c.command.size() > 60 ? c.command.substr(0, 60) + "..." : c.command);
}

class DispatchTest : public WireCommandTest, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(DispatchTest, ACommandGetsItsCodeAndAtMostOneReply)
{
    const std::size_t before = host.replyCount();
    EXPECT_EQ(host.send(GetParam().command), GetParam().code);
    EXPECT_EQ(host.reply(), GetParam().reply);
    EXPECT_EQ(host.replyCount(), before + (GetParam().reply.empty() ? 0 : 1));
}

INSTANTIATE_TEST_SUITE_P(HostWire, DispatchTest, ::testing::ValuesIn(kCommands));

TEST_F(WireCommandTest, AnInstanceAnnouncesItselfAndBecomesReady)
{
    EXPECT_EQ(host.reply(), "[\"success\",1]");
    host.answerAtOnce = false;
    const std::size_t first = host.commands().size();
    ASSERT_EQ(host.send(kNew), 1);
    EXPECT_EQ(host.reply(), "[\"success\",2]");
    EXPECT_EQ(testFactory()->lastPlugin.lock()->readyCalls, 0);
    host.deliver();
    EXPECT_EQ(std::vector<std::string>(host.commands().begin() + first, host.commands().begin() + first + 4),
              (std::vector<std::string>{"[\"New\",\"browser\",{}]", "[\"Enum\",7,0]",
                                        "[\"Invoke\",7,0,\"getWindow\",[]]", "[\"Invoke\",7,0,\"getDocument\",[]]"}));
    EXPECT_EQ(testFactory()->lastPlugin.lock()->readyCalls, 1);
    EXPECT_TRUE(spawnHost(2)->getDOMWindow());
    EXPECT_TRUE(spawnHost(2)->getDOMDocument());
    EXPECT_EQ(spawnHost(2)->getBrowserSpawnId(), 7u);
}

TEST_F(WireCommandTest, InstancesComeAndGo)
{
    EXPECT_EQ(host.send(kNew), 1);
    EXPECT_EQ(host.reply(), "[\"success\",2]");
    auto plugin = testFactory()->lastPlugin;
    host.send("[\"Destroy\",2]");
    EXPECT_EQ(host.reply(), "[\"success\",2]");
    EXPECT_TRUE(plugin.expired());
    EXPECT_EQ(host.commandsNamed("Destroy"), std::vector<std::string>{"[\"Destroy\",7]"});
    host.send("[\"Destroy\",2]");
    EXPECT_EQ(host.reply(), failure("Invalid object", "Invalid object"));
}

TEST_F(WireCommandTest, PlugInObjectsLiveWhileThePageHoldsTheirIds)
{
    host.send("[\"Invoke\",1,0,\"child\",[\"a\"]]");
    EXPECT_EQ(host.reply(), "[\"success\",{\"$type\":\"ref\",\"data\":[1,1]}]");
    host.send("[\"Invoke\",1,0,\"child\",[\"b\"]]");
    EXPECT_EQ(host.reply(), "[\"success\",{\"$type\":\"ref\",\"data\":[1,2]}]");
    const std::weak_ptr<PB::JSAPI> first = spawnHost(1)->getObject(1);
    EXPECT_EQ(spawnHost(1)->retainedCount(), 3u);

    host.send("[\"GetP\",1,1,\"name\"]");
    EXPECT_EQ(host.reply(), "[\"success\",\"a\"]");
    host.send("[\"RelObj\",1,1]");
    EXPECT_EQ(host.reply(), "[\"success\",null]");
    EXPECT_TRUE(first.expired()) << "a released object is let go at once";
    host.send("[\"GetP\",1,1,\"name\"]");
    EXPECT_EQ(host.reply(), failure("Could not execute command", "Object not found"));
    host.send("[\"GetP\",1,2,\"name\"]");
    EXPECT_EQ(host.reply(), "[\"success\",\"b\"]");
}

TEST_F(WireCommandTest, MethodsReadAsValuesCanBeCalledAndReleased)
{
    host.send("[\"GetP\",1,0,\"add\"]");
    EXPECT_EQ(host.reply(), "[\"success\",{\"$type\":\"ref\",\"data\":[0,1]}]");
    host.send("[\"GetP\",1,0,\"echo\"]");
    EXPECT_EQ(host.reply(), "[\"success\",{\"$type\":\"ref\",\"data\":[0,2]}]");
    host.send("[\"Invoke\",0,1,\"\",[2,2]]");
    EXPECT_EQ(host.reply(), "[\"success\",4]");
    host.send("[\"Invoke\",0,1,\"x\",[]]");
    EXPECT_EQ(host.reply(), failure("Could not execute command", "The specified member does not exist: x"));
    host.send("[\"RelObj\",0,1]");
    EXPECT_EQ(host.reply(), "[\"success\",null]");
    host.send("[\"Invoke\",0,1,\"\",[2,2]]");
    EXPECT_EQ(host.reply(), failure("Could not execute command", "Invalid object"));
}

TEST_F(WireCommandTest, APromiseIsAnsweredWhenItSettles)
{
    host.send("[\"Invoke\",1,0,\"later\",[\"x\"]]");
    const std::uint32_t id = 100 + 1;
    EXPECT_EQ(host.reply(id), "");
    EXPECT_EQ(host.scheduledCount(), 1u);
    host.deliver();
    EXPECT_EQ(host.reply(id), "[\"success\",\"later x\"]");
}

TEST_F(WireCommandTest, ALateAnswerAfterTheConnectionEndedIsDropped)
{
    TestApi::waiting() = PB::Deferred<PB::variant>();
    host.send("[\"Invoke\",1,0,\"wait\",[]]");
    HostWire_Finit();
    TestApi::waiting().resolve(PB::variant(1));
    EXPECT_EQ(host.reply(), "");
    EXPECT_EQ(host.send("[\"Enum\",1,0]"), PB::HostWire::kNoColony);
    EXPECT_EQ(host.commandsNamed("Destroy").size(), 1u);
}

TEST_F(WireCommandTest, AnswersAreTakenOnceAndOnlyWhenAwaited)
{
    EXPECT_EQ(host.answer(9999, "[\"success\",1]"), PB::HostWire::kNotPending);
    EXPECT_EQ(host.answer(0, "[\"success\",1]"), PB::HostWire::kNotPending);
    host.responder = nullptr;
    host.send("[\"Invoke\",1,0,\"evaluate\",[\"x = 1\"]]");
    ASSERT_EQ(host.commands().back(), "[\"Invoke\",7,0,\"evalFn\",[\"x = 1\"]]");
    EXPECT_EQ(host.answer(host.lastCommandId(), "[\"success\",null]"), PB::HostWire::kAnswerTaken);
    EXPECT_EQ(host.answer(host.lastCommandId(), "[\"success\",null]"), PB::HostWire::kNotPending);
    EXPECT_EQ(WireColony::findColony(0)->pendingCommandCount(), 0u);
}

TEST_F(WireCommandTest, FinitShutsLiveInstancesDown)
{
    auto plugin = testFactory()->lastPlugin.lock();
    HostWire_Finit();
    EXPECT_EQ(plugin->shutdownCalls, 1);
    EXPECT_EQ(host.commandsNamed("Destroy"), std::vector<std::string>{"[\"Destroy\",7]"});
    EXPECT_EQ(WireColony::colonyCount(), 0u);
}

TEST(WireEntry, OnlyTheColonyInitSetUpIsServed)
{
    FakeHost host;
    EXPECT_EQ(host.module.size, sizeof(WireModuleFuncs));
    EXPECT_EQ(host.module.version, 1);
    const std::string text = kNew;
    EXPECT_EQ(host.module.call(3, 1, text.data(), static_cast<std::uint32_t>(text.size())),
              PB::HostWire::kNoColony);
    EXPECT_EQ(host.module.cb(3, 1, text.data(), static_cast<std::uint32_t>(text.size())),
              PB::HostWire::kNotPending);
    EXPECT_EQ(HostWire_Init(nullptr, &host.module), 1);
    EXPECT_EQ(WireColony::colonyCount(), 1u);
}

TEST(WireEntry, AShortHostTableIsNotCalledPastItsEnd)
{
    FakeHost host;
    WireHostFuncs table{};
    table.size = offsetof(WireHostFuncs, cb);
    table.call = nullptr;
    ASSERT_EQ(HostWire_Init(&table, &host.module), 0);
    EXPECT_EQ(host.send(kNew), 1);
    EXPECT_EQ(host.replyCount(), 0u);
    EXPECT_TRUE(host.commands().empty());
}

}  // namespace
}  // namespace hostwire_test
