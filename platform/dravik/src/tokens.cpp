#include "tokens.h"

#include <cstring>
#include <set>
#include <system_error>

#include "api_call.h"
#include "callbacks.h"
#include "key_cache.h"
#include "locations.h"
#include "password_flow.h"

namespace dravik {
namespace {

constexpr const char* kDescription = "token.conf";

std::set<std::string>& loggedIn() {
  static std::set<std::string> devices;
  return devices;
}

std::string value(const ConfValues& values, const char* key) {
  auto found = values.find(key);
  return found == values.end() ? std::string() : found->second;
}

// The device of a device path or of any path on a token; 208 otherwise.
std::string deviceNamed(const char* path) {
  require(path != nullptr, DRAVIK_E_NULL_PARAM);
  std::optional<std::string> device = deviceOf(path);
  require(device.has_value(), DRAVIK_E_OPEN);
  return *device;
}

}  // namespace

std::optional<TokenRecord> readToken(const std::string& device) {
  std::optional<ConfValues> values = readConf(tokenFolder(device) / kDescription);
  if (!values) return std::nullopt;
  TokenRecord record;
  record.label = value(*values, "label");
  record.serial = value(*values, "serial");
  record.slot = value(*values, "slot");
  record.present = value(*values, "present") == "1";
  record.pin = PasswordVerifier::from(*values, "pin-");
  return record;
}

void writeToken(const std::string& device, const TokenRecord& record) {
  std::error_code error;
  std::filesystem::create_directories(tokenFolder(device), error);
  require(!error, DRAVIK_E_WRITE_OBJECTS);
  ConfValues values;
  values["device"] = device;
  values["label"] = record.label;
  values["serial"] = record.serial;
  values["slot"] = record.slot;
  values["present"] = record.present ? "1" : "0";
  if (record.pin) record.pin->store(values, "pin-");
  require(writeConf(tokenFolder(device) / kDescription, values), DRAVIK_E_WRITE_OBJECTS);
  if (!record.present) {
    // Taking a token out ends its session and takes its keys away.
    loggedIn().erase(device);
    forgetKeysOn(device);
  }
}

bool tokenPresent(const std::string& device) {
  std::optional<TokenRecord> record = readToken(device);
  return record && record->present;
}

void requireToken(const std::string& device) {
  awaitDevice(callbacks().deviceRequest, device, [&] { return tokenPresent(device); });
}

void loginToken(const std::string& device) {
  requireToken(device);
  if (loggedIn().count(device)) return;
  std::optional<TokenRecord> record = readToken(device);
  require(record.has_value(), DRAVIK_E_OPEN);
  if (record->pin) {
    const PasswordVerifier& verifier = *record->pin;
    askPin(callbacks().tokenPin, device, record->label,
           [&](const Secret& pin) { return verifier.matches(pin); });
  }
  loggedIn().insert(device);
}

bool logoutToken(const std::string& device) {
  if (!readToken(device)) return false;
  loggedIn().erase(device);
  forgetKeysOn(device);
  return true;
}

void logoutAllTokens() { loggedIn().clear(); }

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int TokenInserted(const char* device) {
  return callAnswer("TokenInserted", Needs::Init, Args().text("device", device), [&] {
    require(device != nullptr, DRAVIK_E_NULL_PARAM);
    std::optional<std::string> name = deviceOf(device);
    return name && tokenPresent(*name) ? 1 : 0;
  });
}

extern "C" DRAVIK_API int GetTokenInfo(const char* device, int code, char* buffer, uint32_t* size) {
  Args args;
  args.text("device", device).number("code", code).handle("buffer", buffer).handle("size", size);
  return callInt("GetTokenInfo", Needs::Init, args, [&] {
    require(size != nullptr, DRAVIK_E_NULL_PARAM);
    std::string name = deviceNamed(device);
    require(code >= DRAVIK_TOKEN_LABEL && code <= DRAVIK_TOKEN_SLOT_NAME, DRAVIK_E_PARAMETER);
    std::optional<TokenRecord> record = readToken(name);
    require(record && record->present, DRAVIK_E_OPEN);
    const std::string& text =
        code == DRAVIK_TOKEN_LABEL ? record->label : code == DRAVIK_TOKEN_SERIAL_NUMBER ? record->serial : record->slot;
    uint32_t needed = static_cast<uint32_t>(text.size() + 1);
    if (!buffer) {
      *size = needed;
      return 0;
    }
    if (*size < needed) {
      *size = needed;
      return DRAVIK_E_BUFFER_TOO_SMALL;
    }
    std::memcpy(buffer, text.c_str(), needed);
    *size = needed;
    return 0;
  });
}

extern "C" DRAVIK_API int LogoutToken(const char* device) {
  return callAnswer("LogoutToken", Needs::Init, Args().text("device", device), [&] {
    require(device != nullptr, DRAVIK_E_NULL_PARAM);
    std::optional<std::string> name = deviceOf(device);
    return name && logoutToken(*name) ? 1 : 0;
  });
}
