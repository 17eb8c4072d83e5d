// The adapter reaches the product's factory through its replaceable
// operations: here the COM face of a scriptable object.

#include <com/com.h>

#include "AxFixture.h"
#include "pagebridge/HostWire/TestPlugin.h"

namespace {

class AdapterFactory : public axtest::AxFixture {};

TEST_F(AdapterFactory, ScriptableObjectsGetTheirComFaceThroughTheFactory)
{
    const int made = hostwire_test::testFactory()->comObjects;
    com::ComPtr<IDispatchEx> face = apiWrapper();
    EXPECT_EQ(hostwire_test::testFactory()->comObjects, made + 1);
    EXPECT_TRUE(face);  // made by the adapter's own part
}

}  // namespace
