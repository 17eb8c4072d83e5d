// The module object's start and stop reach the product's factory, and the
// instance objects are made through the factory's replaceable operation.

#include <gtest/gtest.h>

#include "NpapiCore/NpapiPluginModule.h"
#include "NpapiFixture.h"

namespace {

TEST(NpapiModuleHooks, TheModuleObjectStartsAndStopsTheModule)
{
    const auto factory = test::testFactory();
    const int starts = factory->moduleStarts;
    const int stops = factory->moduleStops;
    NPPluginFuncs funcs{};
    ASSERT_EQ(NP_GetEntryPoints(&funcs), NPERR_NO_ERROR);
    NPNetscapeFuncs browser{};
    browser.size = sizeof(browser);
    browser.version = 27;
    ASSERT_EQ(NP_Initialize(&browser), NPERR_NO_ERROR);  // the same module object
    EXPECT_EQ(factory->moduleStarts, starts + 1);
    EXPECT_EQ(factory->moduleStops, stops);
    NP_Shutdown();
    EXPECT_EQ(factory->moduleStops, stops + 1);
}

class NpapiFactory : public test::NpapiTest {};

TEST_F(NpapiFactory, InstancesAreMadeThroughTheFactorysOperation)
{
    const int made = test::testFactory()->npapiPlugins;
    NPP instance = newInstance();
    EXPECT_EQ(test::testFactory()->npapiPlugins, made + 1);
    ASSERT_NE(data(instance), nullptr);  // the adapter's own part made it
    EXPECT_NE(data(instance)->plugin, nullptr);
}

}  // namespace
