#include "key_cache.h"

#include <map>
#include <optional>
#include <system_error>
#include <vector>

#include "api_call.h"
#include "callbacks.h"
#include "container.h"
#include "encoding.h"
#include "key_file.h"
#include "locations.h"
#include "password_flow.h"
#include "secret.h"
#include "tokens.h"

namespace dravik {
namespace {

struct Opened {
  std::string device;  // the token it came from, if any
  std::optional<Secret> password;
  std::vector<KeyPtr> keys;
};

std::map<std::string, Opened>& opened() {
  static std::map<std::string, Opened> cache;
  return cache;
}

// Passwords tried before anyone is asked: the one given, the one that opened
// the path before, and the empty one.
std::vector<Secret> silentCandidates(const char* given, const std::optional<Secret>& cached) {
  std::vector<Secret> candidates;
  if (given) candidates.emplace_back(std::string(given));
  if (cached) candidates.push_back(*cached);
  candidates.emplace_back();
  return candidates;
}

Opened openContainer(const std::string& path, const Location& where, const char* given,
                     const std::optional<Secret>& cached) {
  Container container = Container::open(where.local);
  std::optional<Secret> password;
  for (const Secret& candidate : silentCandidates(given, cached)) {
    if (container.accepts(candidate)) {
      password = candidate;
      break;
    }
  }
  if (!password) {
    const Callbacks& c = callbacks();
    password = askPassword({c.psePassword, c.pseError, DRAVIK_E_CONTAINER, path},
                           [&](const Secret& typed) { return container.accepts(typed); });
  }
  Opened result;
  result.keys = container.keys(*password);
  result.password = std::move(password);
  return result;
}

Opened openKeyFile(const std::string& path, const Location& where, const char* given,
                   const std::optional<Secret>& cached) {
  KeyFile file = KeyFile::read(where.local);
  Opened result;
  if (!file.encrypted()) {
    result.keys.push_back(file.open(Secret()));
    return result;
  }
  KeyPtr key;
  for (const Secret& candidate : silentCandidates(given, cached)) {
    if ((key = file.open(candidate))) {
      result.password = candidate;
      break;
    }
  }
  if (!key) {
    const Callbacks& c = callbacks();
    result.password = askPassword({c.keyPassword, c.privateKeyError, DRAVIK_E_KEY_READ, path},
                                  [&](const Secret& typed) { return (key = file.open(typed)) != nullptr; });
  }
  result.keys.push_back(key);
  return result;
}

const std::vector<KeyPtr>& keysAt(const std::string& path, const char* given) {
  Location where = locate(path);
  if (where.onToken) loginToken(where.device);
  auto found = opened().find(path);
  if (found != opened().end() && !found->second.keys.empty()) return found->second.keys;
  std::optional<Secret> cached;
  if (found != opened().end()) cached = found->second.password;

  Opened result;
  std::error_code error;
  if (Container::exists(where.local))
    result = openContainer(path, where, given, cached);
  else if (std::filesystem::is_regular_file(where.local, error))
    result = openKeyFile(path, where, given, cached);
  else
    fail(DRAVIK_E_CONTAINER);
  result.device = where.device;
  Opened& slot = opened()[path];
  slot = std::move(result);
  return slot.keys;
}

KeyPtr fitting(const std::vector<KeyPtr>& keys, X509* certificate) {
  EVP_PKEY* wanted = X509_get0_pubkey(certificate);
  if (!wanted) return nullptr;
  for (const KeyPtr& key : keys) {
    if (EVP_PKEY_eq(wanted, key.get()) == 1) return key;
  }
  return nullptr;
}

}  // namespace

KeyPtr loadKeyFor(const std::string& path, const char* password, X509* certificate) {
  KeyPtr key = fitting(keysAt(path, password), certificate);
  require(key != nullptr, DRAVIK_E_KEY_NOT_LOADED);
  return key;
}

KeyPtr loadedKeyFor(X509* certificate) {
  for (const auto& [path, entry] : opened()) {
    if (KeyPtr key = fitting(entry.keys, certificate)) return key;
  }
  return nullptr;
}

void forgetKeysOn(const std::string& device) {
  for (auto it = opened().begin(); it != opened().end();) {
    if (!device.empty() && it->second.device == device)
      it = opened().erase(it);
    else
      ++it;
  }
}

void clearKeyCache() { opened().clear(); }

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int AddPSEPrivateKeyFromBufferEx(const char* path, const char* password,
                                                       const void* certificate, uint32_t certificateLength,
                                                       int reserved) {
  Args args;
  args.text("path", path).secret("password", password).bytes("certificate", certificate, certificateLength);
  args.number("reserved", reserved);
  return callInt("AddPSEPrivateKeyFromBufferEx", Needs::Init, args, [&] {
    require(path != nullptr && certificate != nullptr, DRAVIK_E_NULL_PARAM);
    X509Ptr signer = decodeCertificate(certificate, certificateLength);
    loadKeyFor(path, password, signer.get());
    return 0;
  });
}

extern "C" DRAVIK_API int ClearPrivateKeys(void) {
  return callInt("ClearPrivateKeys", Needs::Init, Args(), [&] {
    clearKeyCache();
    return 0;
  });
}
