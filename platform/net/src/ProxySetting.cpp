// The environment as the system proxy setting.
#include "ProxySetting.h"

#include <cctype>
#include <cstdlib>

namespace wininet {

namespace {

// Lower-case name first, then upper case; empty values count as unset.
std::string variable(const std::string& lower) {
  const char* value = std::getenv(lower.c_str());
  if (value && *value) return value;
  std::string upper = lower;
  for (auto& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  value = std::getenv(upper.c_str());
  return value && *value ? value : std::string();
}

std::string trim(const std::string& text) {
  size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(start, end - start + 1);
}

std::string lower(std::string text) {
  for (auto& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool isSocks(const std::string& scheme) {
  return scheme == "socks" || scheme == "socks4" || scheme == "socks4a" || scheme == "socks5" ||
         scheme == "socks5h";
}

std::string defaultPort(const std::string& scheme) {
  if (scheme == "https") return "443";
  if (isSocks(scheme)) return "1080";
  return "80";
}

}  // namespace

std::string proxyAddress(const std::string& raw, std::string* scheme) {
  std::string value = trim(raw);
  scheme->clear();
  size_t separator = value.find("://");
  if (separator != std::string::npos) {
    *scheme = lower(value.substr(0, separator));
    value = value.substr(separator + 3);
  }
  // Only the authority counts: no path, and never the credentials.
  size_t end = value.find_first_of("/?#");
  if (end != std::string::npos) value = value.substr(0, end);
  size_t at = value.rfind('@');
  if (at != std::string::npos) value = value.substr(at + 1);
  std::string host, port;
  if (!value.empty() && value[0] == '[') {
    size_t close = value.find(']');
    if (close == std::string::npos) return std::string();
    host = value.substr(0, close + 1);
    if (close + 1 < value.size()) {
      if (value[close + 1] != ':') return std::string();
      port = value.substr(close + 2);
    }
  } else {
    size_t colon = value.rfind(':');
    host = value.substr(0, colon);
    if (colon != std::string::npos) port = value.substr(colon + 1);
  }
  if (host.empty() || host.find_first_of(" \t:") != std::string::npos) {
    if (host.empty() || host[0] != '[') return std::string();
  }
  if (port.empty()) port = defaultPort(*scheme);
  for (char c : port)
    if (!std::isdigit(static_cast<unsigned char>(c))) return std::string();
  return host + ":" + port;
}

ProxySetting readProxySetting() {
  ProxySetting setting;
  std::string entries;
  auto add = [&entries](const std::string& entry) {
    if (!entries.empty()) entries += ' ';
    entries += entry;
  };
  std::string scheme;
  std::string all = proxyAddress(variable("all_proxy"), &scheme);
  if (!all.empty()) add(isSocks(scheme) ? "socks=" + all : all);
  std::string http = proxyAddress(variable("http_proxy"), &scheme);
  if (!http.empty()) add("http=" + http);
  std::string https = proxyAddress(variable("https_proxy"), &scheme);
  if (!https.empty()) add("https=" + https);
  setting.useProxy = !entries.empty();
  setting.proxyList = entries;

  std::string bypass = variable("no_proxy");
  size_t start = 0;
  while (start <= bypass.size()) {
    size_t comma = bypass.find(',', start);
    std::string entry = trim(bypass.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (!entry.empty()) {
      if (entry[0] == '.') entry = "*" + entry;
      if (!setting.bypassList.empty()) setting.bypassList += ';';
      setting.bypassList += entry;
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return setting;
}

}  // namespace wininet
