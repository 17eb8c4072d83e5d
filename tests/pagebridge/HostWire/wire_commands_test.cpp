// The host's commands and the module's replies: the dispatcher's codes, the
// handlers' answers and errors, instances, plug-in objects and method
// references.

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <memory>

#include "FakeHost.h"
#include "HostWire/CommandIds.h"
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

TEST_F(WireCommandTest, TheRootObjectAnswersBeforeTheInstanceIsReady)
{
    host.answerAtOnce = false;
    ASSERT_EQ(host.send(kNew), 1);
    ASSERT_EQ(host.reply(), "[\"success\",2]");
    EXPECT_EQ(host.send("[\"Invoke\",2,0,\"add\",[2,3]]"), 1);
    EXPECT_EQ(host.reply(), "[\"success\",5]");
    EXPECT_EQ(testFactory()->lastPlugin.lock()->readyCalls, 0);
    host.deliver();
    EXPECT_EQ(testFactory()->lastPlugin.lock()->readyCalls, 1);
}

TEST_F(WireCommandTest, EachInstanceHasAnObjectZeroOfItsOwn)
{
    ASSERT_EQ(host.send(kNew), 1);
    host.send("[\"SetP\",1,0,\"count\",5]");
    host.send("[\"SetP\",2,0,\"count\",9]");
    host.send("[\"GetP\",1,0,\"count\"]");
    EXPECT_EQ(host.reply(), "[\"success\",5]");
    host.send("[\"GetP\",2,0,\"count\"]");
    EXPECT_EQ(host.reply(), "[\"success\",9]");
    EXPECT_NE(spawnHost(1)->getObject(0), spawnHost(2)->getObject(0));
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

// A second host table, to tell which one the module uses.
struct OtherTable {
    static std::vector<std::string> commands;
    static std::vector<std::string> replies;
    static std::vector<std::pair<void (*)(void*), void*>> scheduled;

    static std::uint8_t call(std::uint32_t, std::uint32_t, const char* text, std::uint32_t length)
    {
        commands.emplace_back(text, length);
        return 0;
    }
    static std::uint8_t cb(std::uint32_t, std::uint32_t, const char* text, std::uint32_t length)
    {
        replies.emplace_back(text, length);
        return 0;
    }
    static std::uint8_t schedule(void (*function)(void*), void* data)
    {
        scheduled.emplace_back(function, data);
        return 0;
    }
};
std::vector<std::string> OtherTable::commands;
std::vector<std::string> OtherTable::replies;
std::vector<std::pair<void (*)(void*), void*>> OtherTable::scheduled;

struct TableCase {
    const char* name;
    std::uint16_t size;
    bool commands;
    bool replies;
    bool schedules;
};

const TableCase kTables[] = {
    {"Whole", sizeof(WireHostFuncs), true, true, true},
    {"LongerThanTheModulesOwn", 0xFFFF, true, true, true},
    {"WithoutScheduler", offsetof(WireHostFuncs, scheduleAsync), true, true, false},
    {"CallOnly", offsetof(WireHostFuncs, cb), true, false, false},
    {"NoEntries", offsetof(WireHostFuncs, call), false, false, false},
};

class HostTableTest : public ::testing::TestWithParam<TableCase> {};

// Every table here is the first host's replaced by a second HostWire_Init;
// the entries past its size are set, so a read past it would call them.
TEST_P(HostTableTest, OnlyTheEntriesTheSecondTableHoldsAreCalled)
{
    FakeHost first;
    OtherTable::commands.clear();
    OtherTable::replies.clear();
    OtherTable::scheduled.clear();
    // Exactly one table on the heap: reading past it is caught under the sanitizer.
    auto table = std::make_unique<WireHostFuncs>();
    table->size = GetParam().size;
    table->call = &OtherTable::call;
    table->cb = &OtherTable::cb;
    table->scheduleAsync = &OtherTable::schedule;
    WireModuleFuncs module{};
    ASSERT_EQ(HostWire_Init(table.get(), &module), 0);
    table.reset();
    EXPECT_EQ(WireColony::colonyCount(), 1u);
    EXPECT_EQ(module.call, first.module.call);

    EXPECT_EQ(first.send(kNew), 1);
    EXPECT_EQ(OtherTable::commands,
              GetParam().commands ? std::vector<std::string>{"[\"New\",\"browser\",{}]"} : std::vector<std::string>{});
    EXPECT_EQ(OtherTable::replies,
              GetParam().replies ? std::vector<std::string>{"[\"success\",1]"} : std::vector<std::string>{});
    EXPECT_TRUE(first.commands().empty());
    EXPECT_EQ(first.replyCount(), 0u);
    const auto host = WireColony::findColony(0)->spawns().at(1)->host;
    EXPECT_EQ(host->ScheduleAsyncCall([](void*) {}, nullptr), GetParam().schedules);
    EXPECT_EQ(OtherTable::scheduled.size(), GetParam().schedules ? 1u : 0u);
    for (const auto& call : OtherTable::scheduled)
        call.first(call.second);
}

INSTANTIATE_TEST_SUITE_P(HostWire, HostTableTest, ::testing::ValuesIn(kTables),
                         [](const ::testing::TestParamInfo<TableCase>& info) { return info.param.name; });

TEST(WireEntry, TheModulesCommandsAreNumberedFromOne)
{
    FakeHost host;
    ASSERT_EQ(host.send(kNew), 1);
    EXPECT_EQ(host.commands(),
              (std::vector<std::string>{"[\"New\",\"browser\",{}]", "[\"Enum\",7,0]", "[\"Invoke\",7,0,\"getWindow\",[]]",
                                        "[\"Enum\",7,1]", "[\"Invoke\",7,0,\"getDocument\",[]]", "[\"Enum\",7,2]"}));
    EXPECT_EQ(host.commandIds(), (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6}));
}

struct IdCase {
    const char* name;
    std::uint32_t next;
    std::vector<std::uint32_t> pending;
    std::uint32_t id;
    std::uint32_t nextAfter;
};

const IdCase kIds[] = {
    {"First", 1, {}, 1, 2},
    {"Counting", 41, {1, 2, 3}, 41, 42},
    {"LastBeforeTheWrap", 0xFFFFFFFFu, {}, 0xFFFFFFFFu, 0},
    {"WrappedToZero", 0, {}, 0, 1},
    {"WrappedOntoPendingIds", 0xFFFFFFFFu, {0xFFFFFFFFu, 0, 1, 3}, 2, 3},
};

class CommandIdTest : public ::testing::TestWithParam<IdCase> {};

TEST_P(CommandIdTest, APendingIdIsNeverTakenAgain)
{
    std::map<std::uint32_t, int> pending;
    for (std::uint32_t id : GetParam().pending)
        pending[id] = 0;
    std::uint32_t next = GetParam().next;
    EXPECT_EQ(PB::HostWire::takeCommandId(next, pending), GetParam().id);
    EXPECT_EQ(next, GetParam().nextAfter);
}

INSTANTIATE_TEST_SUITE_P(HostWire, CommandIdTest, ::testing::ValuesIn(kIds),
                         [](const ::testing::TestParamInfo<IdCase>& info) { return info.param.name; });

}  // namespace
}  // namespace hostwire_test
