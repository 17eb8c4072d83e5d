#include "engine.h"

#include <openssl/crypto.h>
#include <openssl/engine.h>
#include <openssl/obj_mac.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "dravik/dravik.h"
#include "error.h"

namespace dravik {
namespace {

constexpr const char* kEngineId = "gost";

// OpenSSL's engines folder, from its build information ('ENGINESDIR: "..."').
std::string enginesFolder() {
  if (const char* dir = std::getenv("OPENSSL_ENGINES"); dir && *dir) return dir;
  std::string info = OpenSSL_version(OPENSSL_ENGINES_DIR);
  size_t open = info.find('"');
  size_t close = info.rfind('"');
  if (open == std::string::npos || close <= open) return "/usr/lib/x86_64-linux-gnu/engines-3";
  return info.substr(open + 1, close - open - 1);
}

std::string enginePath() {
  if (const char* env = std::getenv("DRAVIK_GOST_ENGINE"); env && *env) return env;
  return enginesFolder() + "/gost.so";
}

// An engine already in OpenSSL's list (loaded by a configuration file, say);
// the lookup by id would try to load one from the default folder instead.
ENGINE* listedEngine() {
  for (ENGINE* e = ENGINE_get_first(); e; e = ENGINE_get_next(e)) {
    if (std::strcmp(ENGINE_get_id(e), kEngineId) == 0) return e;  // holds a reference
  }
  return nullptr;
}

ENGINE* loadFromFile(const std::string& path) {
  ENGINE* e = ENGINE_by_id("dynamic");
  if (!e) return nullptr;
  if (!ENGINE_ctrl_cmd_string(e, "SO_PATH", path.c_str(), 0) ||
      !ENGINE_ctrl_cmd_string(e, "ID", kEngineId, 0) ||
      !ENGINE_ctrl_cmd_string(e, "LIST_ADD", "1", 0) ||
      !ENGINE_ctrl_cmd_string(e, "LOAD", nullptr, 0)) {
    ENGINE_free(e);
    return nullptr;
  }
  return e;
}

bool engineReady = false;

}  // namespace

void loadGostEngine() {
  if (engineReady) return;
  ENGINE* e = listedEngine();
  if (!e) e = loadFromFile(enginePath());
  if (!e) fail(DRAVIK_E_ENGINE);
  bool ok = ENGINE_init(e) && ENGINE_set_default(e, ENGINE_METHOD_ALL);
  // ENGINE_init took a functional reference that stays for the process; the
  // structural one from the lookup goes.
  ENGINE_free(e);
  if (!ok) fail(DRAVIK_E_ENGINE);
  engineReady = true;
}

const EVP_MD* signingDigest(EVP_PKEY* key) {
  const char* name = nullptr;
  switch (EVP_PKEY_get_base_id(key)) {
    case NID_id_GostR3410_2012_256:
      name = SN_id_GostR3411_2012_256;
      break;
    case NID_id_GostR3410_2012_512:
      name = SN_id_GostR3411_2012_512;
      break;
    default:
      return EVP_sha256();
  }
  const EVP_MD* md = EVP_get_digestbyname(name);
  require(md != nullptr, DRAVIK_E_HASH_ALGORITHM);
  return md;
}

}  // namespace dravik
