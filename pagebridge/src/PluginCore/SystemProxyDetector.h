#pragma once
// Which proxy the system would use for a URL: "type" (the scheme the proxy
// serves), "hostname" and "port", or nothing when the connection is direct.

#include <map>
#include <string>

namespace PB {

class SystemProxyDetector {
public:
    SystemProxyDetector() = default;
    SystemProxyDetector(const SystemProxyDetector&) = delete;
    SystemProxyDetector& operator=(const SystemProxyDetector&) = delete;
    virtual ~SystemProxyDetector() = default;

    // Fills settings and returns true when a proxy applies; false otherwise,
    // also on any failure (which is logged).
    virtual bool detectProxy(std::map<std::string, std::string>& settings, std::string url) = 0;

    // The process-wide detector, made on first use.
    static SystemProxyDetector* get();
};

}  // namespace PB
