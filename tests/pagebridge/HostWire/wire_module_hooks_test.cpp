// HostWire_Init starts the module for the product's factory and
// HostWire_Finit stops it, as the other adapters' entry points do.

#include <gtest/gtest.h>

#include "FakeHost.h"
#include "TestPlugin.h"

namespace {

TEST(HostWireModuleHooks, InitStartsAndFinitStopsTheModule)
{
    const auto factory = hostwire_test::testFactory();
    const int starts = factory->moduleStarts;
    const int stops = factory->moduleStops;
    {
        hostwire_test::FakeHost host;
        EXPECT_EQ(factory->moduleStarts, starts + 1);
        EXPECT_EQ(factory->moduleStops, stops);
    }
    EXPECT_EQ(factory->moduleStarts, starts + 1);
    EXPECT_EQ(factory->moduleStops, stops + 1);
}

TEST(HostWireModuleHooks, FinitWithoutInitStopsNothing)
{
    const auto factory = hostwire_test::testFactory();
    const int stops = factory->moduleStops;
    HostWire_Finit();
    EXPECT_EQ(factory->moduleStops, stops);
}

}  // namespace
