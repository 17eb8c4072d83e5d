// The proxy setting read from the process environment.
#pragma once

#include <string>

namespace wininet {

struct ProxySetting {
  bool useProxy = false;
  std::string proxyList;   // "socks=h:p h:p http=h:p https=h:p" as present
  std::string bypassList;  // "a;*.b"
};

// Reads the proxy variables of the environment.
ProxySetting readProxySetting();

// One proxy variable's value as "host:port", with the URL scheme found (lower case, empty when
// none); empty when the value names no host.
std::string proxyAddress(const std::string& value, std::string* scheme);

}  // namespace wininet
