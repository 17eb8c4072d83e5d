// getNetworkInterfaceInfo against a listener on the loopback address.
#include "ApiFixture.h"

#include <iphlpapi/iphlpapi_test.h>

#include <chrono>
#include <future>
#include <map>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include "support/Loopback.h"

namespace velon_test {
namespace {

class Network : public ApiTest {
protected:
    void SetUp() override
    {
        ApiTest::SetUp();
        if (!test::hasIpv4BeyondLoopback())
            GTEST_SKIP() << "no IPv4 interface besides loopback";
        acceptor.open(boost::asio::ip::tcp::v4());
        acceptor.bind({boost::asio::ip::make_address_v4("127.0.0.1"), 0});
        acceptor.listen();
        port = std::to_string(acceptor.local_endpoint().port());
        // The pages of these tests are served from the loopback address.
        Configuration::trusted_sites.push_back("127.0.0.1");
        location->props["href"] = "http://127.0.0.1:" + port + "/";
        initialise();
    }
    void TearDown() override
    {
        iphlpapi_test::reset();
        ApiTest::TearDown();
    }

    std::map<std::string, std::string> infoFor(const std::string& page)
    {
        location->props["href"] = page;
        const Outcome outcome = call("getNetworkInterfaceInfo");
        EXPECT_TRUE(outcome.ok) << outcome.error;
        std::map<std::string, std::string> info;
        if (outcome.ok)
            for (const auto& entry : outcome.value.cast<PB::VariantMap>())
                info[entry.first] = entry.second.cast<std::string>();
        return info;
    }

    boost::asio::io_context io;
    boost::asio::ip::tcp::acceptor acceptor{io};
    std::string port;
};

TEST_F(Network, AddressOfTheInterfaceThatReachesThePage)
{
    // Loopback has no hardware address.
    EXPECT_EQ((std::map<std::string, std::string>{{"IP_V4", "127.0.0.1"}}), infoFor("http://127.0.0.1:" + port + "/x?y#z"));

    put("sys/class/net/eth9/address", "0a:1b:2c:3d:4e:05\n");
    iphlpapi_test::setRoot(dir.path().string());
    iphlpapi_test::setInterfaces({{"eth9", "127.0.0.1", false}});
    EXPECT_EQ((std::map<std::string, std::string>{{"IP_V4", "127.0.0.1"}, {"ETH_MAC", "0A:1B:2C:3D:4E:05"}}),
              infoFor("127.0.0.1:" + port));
}

TEST_F(Network, NothingReachableGivesAnEmptyMap)
{
    acceptor.close();
    EXPECT_TRUE(infoFor("https://127.0.0.1:" + port + "/").empty());
    EXPECT_TRUE(infoFor("file:///c:/page.html").empty());
    location->props["href"] = std::string("http://a b/");
    EXPECT_EQ("error: Failed to parse page URL", call("getNetworkInterfaceInfo").text());
}

// A server that takes no connection (its queue is full) would hold the
// page's thread for the system's connection time-out, minutes; the plug-in
// gives up after a few seconds and finds nothing.
TEST_F(Network, AServerThatNeverAnswersIsGivenUpOn)
{
    const test::SilentServer server;
    const std::string silent = std::to_string(server.port());

    std::future<int> found = std::async(std::launch::async, [&] {
        unsigned char ipv4[4] = {};
        unsigned char mac[6] = {};
        return VelonAPI::collect_interface_addresses("127.0.0.1", silent, ipv4, mac);
    });
    // Far beyond the plug-in's bound, far below the system's time-out.
    ASSERT_EQ(std::future_status::ready, found.wait_for(std::chrono::seconds(60)));
    EXPECT_EQ(0, found.get());
}

// The machine's addresses go only to a page that may use the plug-in.
struct GuardCase {
    const char* name;
    bool initialised;
    const char* page;
    const char* error;
};

class NetworkGuard : public ApiTest, public ::testing::WithParamInterface<GuardCase> {};

TEST_P(NetworkGuard, RefusesPagesThatMayNotUseThePlugin)
{
    location->props["href"] = std::string(GetParam().page);
    if (GetParam().initialised)
        call("initPlugin");
    EXPECT_EQ(std::string("error: ") + GetParam().error, call("getNetworkInterfaceInfo").text());
    EXPECT_EQ(1u, logged("ERROR", "VelonAPI::check_initPlugin").size());
}

INSTANTIATE_TEST_SUITE_P(
    Pages, NetworkGuard,
    ::testing::Values(GuardCase{"beforeInitPlugin", false, kPage, "Initialisation error in initPlugin()"},
                      GuardCase{"refusedSite", true, "https://evil.example/",
                                "Orvanta Signature Plugin is not allowed to be loaded on this page"}),
    [](const ::testing::TestParamInfo<GuardCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velon_test
