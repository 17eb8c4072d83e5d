#include <iphlpapi/iphlpapi.h>
#include <iphlpapi/iphlpapi_test.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>

namespace {

using Mac = std::array<unsigned char, 6>;

struct View {
  std::mutex lock;
  std::optional<std::vector<iphlpapi_test::Interface>> interfaces;
  std::string root = "/";
};

View& view() {
  static View v;
  return v;
}

std::string textOf(IPAddr address) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

std::vector<iphlpapi_test::Interface> systemInterfaces() {
  std::vector<iphlpapi_test::Interface> found;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return found;
  std::unique_ptr<ifaddrs, decltype(&::freeifaddrs)> owner(list, &::freeifaddrs);
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    const auto* inet = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    found.push_back({entry->ifa_name, textOf(inet->sin_addr.s_addr), (entry->ifa_flags & IFF_LOOPBACK) != 0});
  }
  return found;
}

// "aa:bb:cc:dd:ee:ff" exactly.
std::optional<Mac> parseMac(const std::string& text) {
  Mac mac{};
  unsigned values[6];
  char tail = 0;
  if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &values[0], &values[1], &values[2], &values[3],
                  &values[4], &values[5], &tail) != 6)
    return std::nullopt;
  for (int i = 0; i < 6; ++i) mac[i] = static_cast<unsigned char>(values[i]);
  return mac;
}

std::optional<Mac> interfaceMac(const std::string& root, const std::string& name) {
  // An interface name never holds a slash; one that did could leave the folder.
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return std::nullopt;
  std::ifstream file(root + "/sys/class/net/" + name + "/address");
  std::string line;
  if (!std::getline(file, line)) return std::nullopt;
  return parseMac(line);
}

// The complete entry (flag 0x2) of the neighbour table for address.
std::optional<Mac> neighbourMac(const std::string& root, const std::string& address) {
  std::ifstream file(root + "/proc/net/arp");
  std::string line;
  std::getline(file, line);  // the heading
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string ip, type, flags, hardware;
    if (!(fields >> ip >> type >> flags >> hardware) || ip != address) continue;
    if ((std::strtoul(flags.c_str(), nullptr, 16) & 0x2u) == 0) continue;
    if (auto mac = parseMac(hardware)) return mac;
  }
  return std::nullopt;
}

}  // namespace

namespace iphlpapi_test {

void setInterfaces(std::vector<Interface> interfaces) {
  std::lock_guard<std::mutex> lock(view().lock);
  view().interfaces = std::move(interfaces);
}

void setRoot(std::string root) {
  std::lock_guard<std::mutex> lock(view().lock);
  view().root = std::move(root);
}

void reset() {
  std::lock_guard<std::mutex> lock(view().lock);
  view().interfaces.reset();
  view().root = "/";
}

}  // namespace iphlpapi_test

DWORD SendARP(IPAddr destination, IPAddr, PVOID macAddress, PULONG addressLength) {
  if (!macAddress || !addressLength) return ERROR_INVALID_PARAMETER;
  if (*addressLength < 6) return ERROR_BUFFER_OVERFLOW;

  std::vector<iphlpapi_test::Interface> interfaces;
  std::string root;
  {
    std::lock_guard<std::mutex> lock(view().lock);
    interfaces = view().interfaces ? *view().interfaces : systemInterfaces();
    root = view().root;
  }
  const std::string address = textOf(destination);
  std::optional<Mac> mac;
  bool local = false;
  for (const auto& entry : interfaces) {
    if (entry.address != address) continue;
    if (entry.loopback) return ERROR_GEN_FAILURE;
    local = true;
    mac = interfaceMac(root, entry.name);
    break;
  }
  if (!local) mac = neighbourMac(root, address);
  if (!mac) return local ? ERROR_GEN_FAILURE : ERROR_BAD_NET_NAME;
  std::memcpy(macAddress, mac->data(), mac->size());
  *addressLength = static_cast<ULONG>(mac->size());
  return NO_ERROR;
}
