// SendARP over a stand-in system: interfaces given by the test, files under a temporary root.
#include <iphlpapi/iphlpapi.h>
#include <iphlpapi/iphlpapi_test.h>

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

IPAddr ip(const char* text) {
  IPAddr address = 0;
  ::inet_pton(AF_INET, text, &address);
  return address;
}

std::string macText(const unsigned char* mac) {
  char text[18];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
  return text;
}

struct ArpCase {
  const char* name;
  const char* destination;
  DWORD result;
  const char* mac;  // when found
};

class SendArp : public ::testing::TestWithParam<ArpCase> {
 protected:
  static void SetUpTestSuite() {
    root_ = std::filesystem::temp_directory_path() / ("iphlpapi-" + std::to_string(::getpid()));
    std::filesystem::create_directories(root_ / "sys/class/net/eth0");
    std::filesystem::create_directories(root_ / "sys/class/net/wlan1");
    std::filesystem::create_directories(root_ / "proc/net");
    std::ofstream(root_ / "sys/class/net/eth0/address") << "02:00:0a:0b:0c:0d\n";
    std::ofstream(root_ / "sys/class/net/wlan1/address") << "not an address\n";
    std::ofstream(root_ / "proc/net/arp")
        << "IP address       HW type     Flags       HW address            Mask     Device\n"
           "10.0.0.1         0x1         0x2         a0:b1:c2:d3:e4:f5     *        eth0\n"
           "10.0.0.2         0x1         0x0         00:00:00:00:00:00     *        eth0\n";
    iphlpapi_test::setRoot(root_.string());
    iphlpapi_test::setInterfaces({{"lo", "127.0.0.1", true}, {"eth0", "10.0.0.5", false}, {"wlan1", "10.0.1.5", false}});
  }
  static void TearDownTestSuite() {
    iphlpapi_test::reset();
    std::filesystem::remove_all(root_);
  }
  static std::filesystem::path root_;
};
std::filesystem::path SendArp::root_;

TEST_P(SendArp, LocalInterfacesAndNeighbours) {
  const ArpCase& c = GetParam();
  unsigned char mac[8] = {};
  ULONG length = sizeof mac;
  EXPECT_EQ(c.result, SendARP(ip(c.destination), 0, mac, &length));
  if (c.result == NO_ERROR) {
    EXPECT_EQ(6u, length);
    EXPECT_EQ(c.mac, macText(mac));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendArp,
    ::testing::Values(ArpCase{"own_interface", "10.0.0.5", NO_ERROR, "02:00:0A:0B:0C:0D"},
                      ArpCase{"loopback", "127.0.0.1", ERROR_GEN_FAILURE, ""},
                      ArpCase{"unreadable_address_file", "10.0.1.5", ERROR_GEN_FAILURE, ""},
                      ArpCase{"complete_neighbour", "10.0.0.1", NO_ERROR, "A0:B1:C2:D3:E4:F5"},
                      ArpCase{"incomplete_neighbour", "10.0.0.2", ERROR_BAD_NET_NAME, ""},
                      ArpCase{"unknown", "192.0.2.7", ERROR_BAD_NET_NAME, ""}),
    [](const ::testing::TestParamInfo<ArpCase>& info) { return std::string(info.param.name); });

TEST(SendArpArguments, RefusedBeforeAnyLookup) {
  unsigned char mac[6];
  ULONG shortLength = 5;
  ULONG length = 6;
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), SendARP(ip("10.0.0.5"), 0, nullptr, &length));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), SendARP(ip("10.0.0.5"), 0, mac, nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_BUFFER_OVERFLOW), SendARP(ip("10.0.0.5"), 0, mac, &shortLength));
}

}  // namespace
