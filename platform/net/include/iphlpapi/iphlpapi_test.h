// For tests: what the IP Helper stand-in sees of the system. Not for production use.
#pragma once

#include <string>
#include <vector>

namespace iphlpapi_test {

struct Interface {
  std::string name;     // "eth0"
  std::string address;  // dotted IPv4 text
  bool loopback = false;
};

// Replaces the system's interface list.
void setInterfaces(std::vector<Interface> interfaces);
// A folder that stands for "/" when proc/net/arp and sys/class/net/<name>/address are read.
void setRoot(std::string root);
// Back to the system's own interfaces and files.
void reset();

}  // namespace iphlpapi_test
