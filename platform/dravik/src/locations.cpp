#include "locations.h"

#include <cctype>
#include <cstdio>

#include "dravik/dravik.h"
#include "error.h"
#include "home.h"

namespace dravik {
namespace {

const char* const kTokenPrefixes[] = {"etoken", "aks ifdh", "aladdin token jc", "rutoken", "aktiv co. rutoken",
                                      "pkcs11"};

std::string lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::string encodeDevice(const std::string& device) {
  std::string name;
  for (unsigned char c : device) {
    if (std::isalnum(c) || c == '.' || c == '_' || c == '-') {
      name += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      name += escaped;
    }
  }
  return name;
}

}  // namespace

std::optional<std::string> deviceOf(const std::string& path) {
  size_t colon = path.find(':');
  if (colon == std::string::npos) return std::nullopt;
  std::string folded = lower(path);
  bool token = false;
  for (const char* prefix : kTokenPrefixes) token = token || startsWith(folded, prefix);
  if (!token) return std::nullopt;
  size_t end = colon + 1;
  if (startsWith(folded, "pkcs11")) {
    // "pkcs110:\rtPKCS11ECP": the module's name belongs to the device.
    size_t start = end;
    while (start < path.size() && isSeparator(path[start])) ++start;
    if (start < path.size()) {
      end = start;
      while (end < path.size() && !isSeparator(path[end])) ++end;
    }
  }
  return path.substr(0, end);
}

std::filesystem::path fileSystemPath(const std::string& path) {
  std::string local = path;
  for (char& c : local) c = c == '\\' ? '/' : c;
  return local;
}

std::filesystem::path tokensFolder() { return homeFolder() / "tokens"; }

std::filesystem::path tokenFolder(const std::string& device) { return tokensFolder() / encodeDevice(device); }

std::string tokenPath(const std::string& device, const std::string& inner) {
  return inner.empty() ? device : device + "\\" + inner;
}

std::string joinPath(const std::string& base, const std::string& relative) {
  bool backslashes = deviceOf(base) || (base.find('\\') != std::string::npos && base.find('/') == std::string::npos);
  char separator = backslashes ? '\\' : '/';
  std::string joined = base;
  while (!joined.empty() && isSeparator(joined.back())) joined.pop_back();
  joined += separator;
  for (char c : relative) joined += isSeparator(c) ? separator : c;
  return joined;
}

Location locate(const std::string& path) {
  Location location;
  std::optional<std::string> device = deviceOf(path);
  if (!device) {
    location.local = fileSystemPath(path);
    return location;
  }
  location.onToken = true;
  location.device = *device;
  location.local = tokenFolder(*device);
  std::string rest = path.substr(device->size());
  std::string part;
  auto take = [&] {
    if (part.empty()) return;
    require(part != "." && part != "..", DRAVIK_E_PARAMETER);
    location.local /= part;
    location.inner += (location.inner.empty() ? "" : "\\") + part;
    part.clear();
  };
  for (char c : rest) {
    if (isSeparator(c))
      take();
    else
      part += c;
  }
  take();
  return location;
}

}  // namespace dravik
