// Key containers and key pairs made by the library: PSE_Generation creates a
// container, NewKeysGenerationEx a key pair in it and the certificate request
// for the new key.
#include <openssl/pem.h>

#include <fstream>
#include <optional>
#include <system_error>

#include "api_call.h"
#include "callbacks.h"
#include "container.h"
#include "encoding.h"
#include "key_algorithms.h"
#include "key_cache.h"
#include "key_file.h"
#include "locations.h"
#include "password_flow.h"
#include "request_builder.h"
#include "settings.h"
#include "tokens.h"

namespace dravik {
namespace {

namespace fs = std::filesystem;

void createContainer(const std::string& path, const char* password, int createFolders) {
  Location where = locate(path);
  if (where.onToken) {
    loginToken(where.device);
    // A container needs a name on the token; its root holds the token itself.
    require(!where.inner.empty(), DRAVIK_E_CONTAINER_CREATE);
  }
  if (Container::exists(where.local)) fail(DRAVIK_E_KEYS_EXIST);
  std::error_code error;
  require(!fs::exists(where.local, error) || fs::is_directory(where.local, error), DRAVIK_E_CONTAINER_CREATE);
  fs::path parent = where.local.parent_path();
  require(createFolders != 0 || parent.empty() || fs::is_directory(parent, error), DRAVIK_E_CONTAINER_CREATE);
  // On a token the PIN guards the container; it gets no password of its own
  // unless one is given.
  Secret secret = where.onToken && !password ? Secret() : newPassword(password, callbacks().keyNewPassword, path);
  try {
    Container::create(where.local, secret);
  } catch (const DravikError&) {
    fail(DRAVIK_E_CONTAINER_CREATE);
  }
  rememberPassword(path, secret);
}

void writeRequest(const char* requestFile, X509_REQ* request) {
  std::string text = encodeAs(derOf(request), PEM_STRING_X509_REQ, settings().outputFormat);
  Location where = locate(requestFile);
  require(!where.onToken, DRAVIK_E_REQUEST_WRITE);
  std::ofstream out(where.local, std::ios::binary | std::ios::trunc);
  require(out && out.write(text.data(), static_cast<std::streamsize>(text.size())) && out.flush(),
          DRAVIK_E_REQUEST_WRITE);
}

// Where the new key goes: the key file named (on a token, after its login),
// or the container when none is named. 195 when the file exists already.
std::optional<fs::path> keyFileTarget(const char* keyFile) {
  if (!keyFile) return std::nullopt;
  require(*keyFile != '\0', DRAVIK_E_KEY_WRITE);
  Location where = locate(keyFile);
  if (where.onToken) loginToken(where.device);
  std::error_code error;
  require(!fs::exists(where.local, error), DRAVIK_E_FILE_EXISTS);
  return where.local;
}

// The new key, under the container's password either way.
void storeKey(const UnlockedContainer& target, const std::optional<fs::path>& keyFile, EVP_PKEY* key) {
  if (keyFile) {
    require(writePrivateFile(*keyFile, encryptKey(key, target.password)), DRAVIK_E_KEY_WRITE);
    return;
  }
  try {
    target.container.store(key, target.password);
  } catch (const DravikError&) {
    fail(DRAVIK_E_KEY_WRITE);
  }
}

}  // namespace
}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int PSE_Generation(const char* path, int reserved, const char* password, int createFolders) {
  Args args;
  args.text("path", path).number("reserved", reserved).secret("password", password);
  args.number("createFolders", createFolders);
  return callInt("PSE_Generation", Needs::Init, args, [&] {
    require(path != nullptr, DRAVIK_E_NULL_PARAM);
    createContainer(path, password, createFolders);
    return 0;
  });
}

extern "C" DRAVIK_API int NewKeysGenerationEx(const char* path, int reserved, const char* keyFile, int reserved2,
                                              const char* requestFile) {
  Args args;
  args.text("path", path).number("reserved", reserved).text("keyFile", keyFile).number("reserved2", reserved2);
  args.text("requestFile", requestFile);
  return callInt("NewKeysGenerationEx", Needs::Init, args, [&] {
    require(path != nullptr, DRAVIK_E_NULL_PARAM);
    require(requestFile != nullptr && *requestFile != '\0', DRAVIK_E_REQUEST_FILE);
    UnlockedContainer target = unlockContainer(path, nullptr);
    std::optional<fs::path> keyTarget = keyFileTarget(keyFile);
    KeyPtr key = generateKey();
    ReqPtr request = buildRequest(key.get());
    // The request goes out first: a key stored for a request that could not
    // be written would be a key nobody can get certified.
    writeRequest(requestFile, request.get());
    storeKey(target, keyTarget, key.get());
    rememberPassword(path, target.password);
    return 0;
  });
}
