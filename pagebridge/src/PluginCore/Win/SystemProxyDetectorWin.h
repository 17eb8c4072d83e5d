#pragma once
// The system proxy setting read through WinINet.

#include <cstdint>

#include "PluginCore/SystemProxyDetector.h"

namespace PB {

class SystemProxyDetectorWin : public SystemProxyDetector {
public:
    bool detectProxy(std::map<std::string, std::string>& settings, std::string url) override;

    // Picks the entry of a proxy list ("scheme=host:port" or "host:port",
    // separated by spaces) that applies to the URL; a later entry for the
    // URL's own scheme wins over a "socks" one. Throws what the URL parser throws.
    static void applyProxyList(std::map<std::string, std::string>& settings, std::uint32_t accessType,
                               const std::string& proxyList, const std::string& url);
};

}  // namespace PB
