// Plug-in objects held for the page side (the records behind object ids and
// their keep-alive), and the browser host before and after its start.

#include <gtest/gtest.h>

#include "FakeHost.h"
#include "HostWire/LocalWireling.h"
#include "HostWire/WireBrowserHost.h"
#include "HostWire/WireColony.h"
#include "ScriptingCore/JSAPIAuto.h"
#include "support/Errors.h"

namespace hostwire_test {
namespace {

using namespace PB;
using namespace PB::HostWire;

class HeldObjectTest : public ::testing::Test {
protected:
    FakeHost fake;
    std::shared_ptr<WireBrowserHost> host = std::make_shared<WireBrowserHost>(WireColony::findColony(0), 4);
    JSAPIPtr object = std::make_shared<JSAPIAuto>();
};

struct RetainCase {
    const char* name;
    std::function<void(const std::shared_ptr<WireBrowserHost>&, const JSAPIPtr&)> steps;
    std::size_t retained;
};

const RetainCase kRetains[] = {
    {"KeptAliveRecord", [](const auto& host, const auto& object) { host->registerObject(object, 1); }, 1},
    {"WeakRecord", [](const auto& host, const auto& object) { host->registerObject(JSAPIWeakPtr(object), 1); }, 0},
    {"CopyGoneAgain",
     [](const auto& host, const auto& object) {
         host->registerObject(object, 1);
         LocalWireling copy = host->findObject(1);
         LocalWireling moved(std::move(copy));
         LocalWireling assigned;
         assigned = moved;
     },
     1},
    {"SameIdReplaced",
     [](const auto& host, const auto& object) {
         host->registerObject(object, 1);
         host->registerObject(object, 1);
     },
     1},
    {"TwoIds",
     [](const auto& host, const auto& object) {
         host->registerNewObject(object);
         host->registerNewObject(object);
     },
     2},
    {"ReleasedId",
     [](const auto& host, const auto& object) {
         host->registerObject(object, 1);
         host->releaseObject(1);
     },
     0},
};

void PrintTo(const RetainCase& c, std::ostream* os)
{
    *os << c.name;
}

class RetainTest : public HeldObjectTest, public ::testing::WithParamInterface<RetainCase> {};

TEST_P(RetainTest, EachRecordKeepsItsObjectOnce)
{
    GetParam().steps(host, object);
    EXPECT_EQ(host->retainedCount(), GetParam().retained);
}

INSTANTIATE_TEST_SUITE_P(HostWire, RetainTest, ::testing::ValuesIn(kRetains),
                         [](const ::testing::TestParamInfo<RetainCase>& info) { return info.param.name; });

TEST_F(HeldObjectTest, RecordsFailClearlyOnceTheirObjectOrIdIsGone)
{
    host->registerObject(JSAPIWeakPtr(object), 3);
    EXPECT_EQ(host->getObject(3), object);
    object.reset();
    EXPECT_THROW(host->getObject(3), std::bad_cast);
    EXPECT_THROW(host->Invoke(3, VariantList(), "toString"), std::bad_cast);
    EXPECT_THROW(host->findObject(9), std::runtime_error);
    EXPECT_THROW(host->releaseObject(9), std::runtime_error);
}

TEST_F(HeldObjectTest, ARecordOutlivingItsHostReleasesNothing)
{
    LocalWireling record = host->registerObject(object, 1);
    host.reset();
    EXPECT_NO_THROW({ LocalWireling copy(record); });
    EXPECT_EQ(record.getAPI(), object);
}

TEST_F(HeldObjectTest, ServicesBeforeTheAnnouncementFail)
{
    EXPECT_THROW(host->evaluateJavaScript("x"), std::runtime_error);
    EXPECT_THROW(host->invokeDelayed(0, JSObjectPtr(), VariantList(), ""), std::runtime_error);
    std::exception_ptr failed;
    host->getArrayValues(JSObjectPtr()).fail([&failed](std::exception_ptr e) { failed = e; });
    EXPECT_EQ(test::messageOf(failed), "Promise invalid");
    EXPECT_FALSE(host->getDOMWindow());
    EXPECT_EQ(host->getContextID(), reinterpret_cast<void*>(4));
}

TEST_F(HeldObjectTest, ShutdownBeforeThePageAnsweredTellsSpawnZero)
{
    fake.responder = nullptr;
    host->sendNew();
    host->shutdown();
    host->shutdown();
    EXPECT_EQ(fake.commandsNamed("Destroy"), std::vector<std::string>{"[\"Destroy\",0]"});
}

TEST_F(HeldObjectTest, MainThreadCallsGoThroughTheHostsScheduler)
{
    EXPECT_TRUE(host->ScheduleAsyncCall([](void*) {}, nullptr));
    EXPECT_EQ(fake.scheduledCount(), 1u);
    fake.refuseSchedule = true;
    EXPECT_FALSE(host->ScheduleAsyncCall([](void*) {}, nullptr));
    fake.deliver();
}

TEST(WireEntry, FinitWithoutInitAndInitTwice)
{
    EXPECT_EQ(HostWire_Finit(), 0);
    {
        FakeHost first;
        WireHostFuncs table{};
        table.size = sizeof table;
        WireModuleFuncs module{};
        EXPECT_EQ(HostWire_Init(&table, &module), 0);
        EXPECT_EQ(WireColony::colonyCount(), 1u);
        EXPECT_EQ(module.call, first.module.call);
    }
    EXPECT_EQ(WireColony::colonyCount(), 0u);
}

}  // namespace
}  // namespace hostwire_test
