#include "PluginCore/Win/SystemProxyDetectorWin.h"

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>
#include <wininet/wininet.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "PluginCore/URI.h"
#include "ScriptingCore/Log.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {

namespace {

std::vector<std::string> split(const std::string& text, const char* separators)
{
    std::vector<std::string> pieces;
    boost::algorithm::split(pieces, text, boost::algorithm::is_any_of(separators));
    return pieces;
}

std::string systemMessage(DWORD code)
{
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string message = (length && text) ? std::string(text, length) : std::string();
    LocalFree(text);
    return message;
}

}  // namespace

SystemProxyDetector* SystemProxyDetector::get()
{
    static SystemProxyDetectorWin detector;
    return &detector;
}

void SystemProxyDetectorWin::applyProxyList(std::map<std::string, std::string>& settings, std::uint32_t accessType,
                                            const std::string& proxyList, const std::string& url)
{
    if (accessType != INTERNET_OPEN_TYPE_PROXY)
        return;
    const std::string scheme = URI::fromString(url).protocol;
    for (const std::string& entry : split(proxyList, " ")) {
        std::vector<std::string> parts = split(entry, "=");
        if (parts.empty() || entry.empty())
            continue;
        if (parts.size() == 1)
            parts.insert(parts.begin(), scheme == "https" ? "https" : "http");
        std::vector<std::string> host = split(parts[1], ":");
        if (host.size() < 2)
            continue;
        if (parts[0] == scheme || (parts[0] == "socks" && !settings.count("type"))) {
            settings["port"] = host[1];
            settings["hostname"] = host[0];
            settings["type"] = parts[0];
        }
    }
}

bool SystemProxyDetectorWin::detectProxy(std::map<std::string, std::string>& settings, std::string url)
{
    settings.clear();
    try {
        DWORD size = 0;
        InternetQueryOptionW(nullptr, INTERNET_OPTION_PROXY, nullptr, &size);
        std::vector<unsigned char> buffer(size ? size : sizeof(INTERNET_PROXY_INFOW));
        size = static_cast<DWORD>(buffer.size());
        if (!InternetQueryOptionW(nullptr, INTERNET_OPTION_PROXY, buffer.data(), &size))
            throw std::runtime_error(std::string("InternetQueryOption(INTERNET_OPTION_PROXY)") + ": " +
                                     systemMessage(GetLastError()));
        const auto* info = reinterpret_cast<const INTERNET_PROXY_INFOW*>(buffer.data());
        // The list is a wide string; it is converted, not read as bytes.
        const std::string list = info->lpszProxy ? wstring_to_utf8(info->lpszProxy) : std::string();
        applyProxyList(settings, info->dwAccessType, list, url);
    } catch (const std::exception& e) {
        Log::warn("SystemProxyDetector", std::string("Could not detect system proxy: ") + e.what(), __FILE__,
                  __LINE__, "PB::SystemProxyDetectorWin::detectProxy");
        settings.clear();
        return false;
    }
    return settings.count("type") != 0;
}

}  // namespace PB
