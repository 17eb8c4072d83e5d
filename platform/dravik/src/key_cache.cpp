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
  std::vector<NamedKey> keys;
};

std::map<std::string, Opened>& opened() {
  static std::map<std::string, Opened> cache;
  return cache;
}

std::optional<Secret> cachedPassword(const std::string& path) {
  auto found = opened().find(path);
  return found == opened().end() ? std::nullopt : found->second.password;
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

Secret unlock(const std::string& path, const Container& container, const char* given,
              const std::optional<Secret>& cached) {
  for (const Secret& candidate : silentCandidates(given, cached)) {
    if (container.accepts(candidate)) return candidate;
  }
  const Callbacks& c = callbacks();
  return askPassword({c.psePassword, c.pseError, DRAVIK_E_CONTAINER, path},
                     [&](const Secret& typed) { return container.accepts(typed); });
}

Opened openKeyFile(const std::string& path, const Location& where, const char* given,
                   const std::optional<Secret>& cached, KeyFilePrompt prompt) {
  KeyFile file = KeyFile::read(where.local);
  Opened result;
  if (!file.encrypted()) {
    result.keys.push_back(NamedKey{"", file.open(Secret())});
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
    require(prompt == KeyFilePrompt::Ask, DRAVIK_E_KEY_READ);
    const Callbacks& c = callbacks();
    result.password = askPassword({c.keyPassword, c.privateKeyError, DRAVIK_E_KEY_READ, path},
                                  [&](const Secret& typed) { return (key = file.open(typed)) != nullptr; });
  }
  result.keys.push_back(NamedKey{"", key});
  return result;
}

KeyPtr fitting(const std::vector<NamedKey>& keys, X509* certificate) {
  EVP_PKEY* wanted = X509_get0_pubkey(certificate);
  if (!wanted) return nullptr;
  for (const NamedKey& named : keys) {
    if (EVP_PKEY_eq(wanted, named.key.get()) == 1) return named.key;
  }
  return nullptr;
}

}  // namespace

const std::vector<NamedKey>& openedKeys(const std::string& path, const char* given, KeyFilePrompt prompt) {
  Location where = locate(path);
  if (where.onToken) loginToken(where.device);
  auto found = opened().find(path);
  if (found != opened().end() && !found->second.keys.empty()) return found->second.keys;
  std::optional<Secret> cached = cachedPassword(path);

  Opened result;
  std::error_code error;
  if (Container::exists(where.local)) {
    Container container = Container::open(where.local);
    result.password = unlock(path, container, given, cached);
    result.keys = container.keys(*result.password);
  } else if (std::filesystem::is_regular_file(where.local, error)) {
    result = openKeyFile(path, where, given, cached, prompt);
  } else {
    fail(DRAVIK_E_CONTAINER);
  }
  result.device = where.device;
  Opened& slot = opened()[path];
  slot = std::move(result);
  return slot.keys;
}

KeyPtr loadKeyFor(const std::string& path, const char* password, X509* certificate) {
  KeyPtr key = fitting(openedKeys(path, password), certificate);
  require(key != nullptr, DRAVIK_E_KEY_NOT_LOADED);
  return key;
}

KeyPtr loadedKeyFor(X509* certificate) {
  for (const auto& [path, entry] : opened()) {
    if (KeyPtr key = fitting(entry.keys, certificate)) return key;
  }
  return nullptr;
}

UnlockedContainer unlockContainer(const std::string& path, const char* given) {
  Location where = locate(path);
  if (where.onToken) loginToken(where.device);
  Container container = Container::open(where.local);
  Secret password = unlock(path, container, given, cachedPassword(path));
  Opened& slot = opened()[path];
  slot.device = where.device;
  slot.password = password;
  return UnlockedContainer{std::move(container), std::move(password)};
}

void rememberPassword(const std::string& path, const Secret& password) {
  Opened& slot = opened()[path];
  slot.device = locate(path).device;
  slot.password = password;
  slot.keys.clear();
}

void forgetKeysOn(const std::string& device) {
  for (auto it = opened().begin(); it != opened().end();) {
    if (!device.empty() && it->second.device == device)
      it = opened().erase(it);
    else
      ++it;
  }
}

void forgetPath(const std::string& path) { opened().erase(path); }

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

extern "C" DRAVIK_API int ClearPrivateKeysAt(const char* path) {
  return callInt("ClearPrivateKeysAt", Needs::Init, Args().text("path", path), [&] {
    require(path != nullptr, DRAVIK_E_NULL_PARAM);
    forgetPath(path);
    return 0;
  });
}
