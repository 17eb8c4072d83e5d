// Work on existing key containers: changing their password, copying them,
// and questions about the keys inside.
#include <cstring>
#include <system_error>

#include "api_call.h"
#include "buffers.h"
#include "callbacks.h"
#include "encoding.h"
#include "key_algorithms.h"
#include "key_cache.h"
#include "locations.h"
#include "password_flow.h"
#include "tokens.h"

namespace dravik {
namespace {

namespace fs = std::filesystem;

// Writes every key into a new container at target; on failure nothing of
// the copy stays behind.
void copyKeys(const std::vector<NamedKey>& keys, const fs::path& target, const Secret& password) {
  std::error_code error;
  // A folder that cannot be told absent counts as there, so that a failure
  // never removes what the copy did not make.
  bool folderExisted = fs::exists(target, error) || error;
  for (const NamedKey& named : keys) require(!fs::exists(target / named.name, error), DRAVIK_E_FILE_EXISTS);
  std::vector<fs::path> written;
  try {
    Container::create(target, password);
    written.push_back(target / "container.conf");
    Container copy = Container::open(target);
    for (const NamedKey& named : keys) {
      copy.store(named.key.get(), password, named.name);
      written.push_back(target / named.name);
    }
  } catch (const DravikError&) {
    if (!folderExisted) {
      fs::remove_all(target, error);
    } else {
      for (const fs::path& file : written) fs::remove(file, error);
    }
    fail(DRAVIK_E_KEY_COPY);
  }
}

}  // namespace
}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int PSE_ChangePassword(const char* path, int reserved, const char* newPasswordText) {
  Args args;
  args.text("path", path).number("reserved", reserved).secret("newPassword", newPasswordText);
  return callInt("PSE_ChangePassword", Needs::Init, args, [&] {
    require(path != nullptr, DRAVIK_E_NULL_PARAM);
    UnlockedContainer unlocked = unlockContainer(path, nullptr);
    Secret fresh = newPassword(newPasswordText, callbacks().keyNewPassword, path);
    unlocked.container.changePassword(unlocked.password, fresh);
    rememberPassword(path, fresh);
    return 0;
  });
}

extern "C" DRAVIK_API int PSE_Copy(const char* source, const char* sourcePassword, const char* target,
                                   const char* targetPassword) {
  Args args;
  args.text("source", source).secret("sourcePassword", sourcePassword).text("target", target);
  args.secret("targetPassword", targetPassword);
  return callInt("PSE_Copy", Needs::Init, args, [&] {
    require(source != nullptr && target != nullptr, DRAVIK_E_NULL_PARAM);
    UnlockedContainer from = unlockContainer(source, sourcePassword);
    std::vector<NamedKey> keys = from.container.keys(from.password);
    Location to = locate(target);
    if (to.onToken) {
      loginToken(to.device);
      require(!to.inner.empty(), DRAVIK_E_KEY_COPY);
    }
    require(!Container::exists(to.local), DRAVIK_E_FILE_EXISTS);
    Secret password = targetPassword ? Secret(std::string(targetPassword)) : from.password;
    copyKeys(keys, to.local, password);
    rememberPassword(target, password);
    return 0;
  });
}

extern "C" DRAVIK_API char* GetPrivateKeyAlgorithm(const char* path, const void* reserved1, const void* reserved2,
                                                   const char* password) {
  Args args;
  args.text("path", path).handle("reserved1", reserved1).handle("reserved2", reserved2);
  args.secret("password", password);
  return callPointer<char>("GetPrivateKeyAlgorithm", Needs::Init, args, [&] {
    require(path != nullptr, DRAVIK_E_NULL_PARAM);
    const std::vector<NamedKey>& keys = openedKeys(path, password, KeyFilePrompt::Silent);
    require(!keys.empty(), DRAVIK_E_KEY_NOT_LOADED);
    return newBuffer(algorithmName(keys.front().key.get()));
  });
}

extern "C" DRAVIK_API int CertAndPSEPrivateKeysMatchBuffer(const void* certificate, uint32_t length, const char* path,
                                                           char* keyName) {
  Args args;
  args.bytes("certificate", certificate, length).text("path", path).handle("keyName", keyName);
  return callAnswer("CertAndPSEPrivateKeysMatchBuffer", Needs::Init, args, [&] {
    require(certificate != nullptr && path != nullptr && keyName != nullptr, DRAVIK_E_NULL_PARAM);
    X509Ptr wanted = decodeCertificate(certificate, length);
    EVP_PKEY* publicKey = X509_get0_pubkey(wanted.get());
    require(publicKey != nullptr, DRAVIK_E_CERT_DECODE);
    for (const NamedKey& named : openedKeys(path, nullptr)) {
      if (EVP_PKEY_eq(publicKey, named.key.get()) != 1) continue;
      std::string name = named.name.empty() ? std::string(path) : joinPath(path, named.name);
      require(name.size() < DRAVIK_KEY_NAME_BUFFER, DRAVIK_E_BUFFER_TOO_SMALL);
      std::memcpy(keyName, name.c_str(), name.size() + 1);
      return 1;
    }
    return 0;
  });
}
