// getNetworkInterfaceInfo against a listener on the loopback address.
#include "ApiFixture.h"

#include <iphlpapi/iphlpapi_test.h>

#include <ifaddrs.h>
#include <net/if.h>

#include <map>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

namespace velon_test {
namespace {

// Name resolution that honours configured addresses finds IPv4 only where
// an interface other than loopback has one.
bool has_ipv4_beyond_loopback()
{
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return false;
    bool found = false;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next)
        found |= entry->ifa_addr && entry->ifa_addr->sa_family == AF_INET && !(entry->ifa_flags & IFF_LOOPBACK);
    freeifaddrs(list);
    return found;
}

class Network : public ApiTest {
protected:
    void SetUp() override
    {
        ApiTest::SetUp();
        if (!has_ipv4_beyond_loopback())
            GTEST_SKIP() << "no IPv4 interface besides loopback";
        acceptor.open(boost::asio::ip::tcp::v4());
        acceptor.bind({boost::asio::ip::make_address_v4("127.0.0.1"), 0});
        acceptor.listen();
        port = std::to_string(acceptor.local_endpoint().port());
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
    // Before initPlugin, too. Loopback has no hardware address.
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

}  // namespace
}  // namespace velon_test
