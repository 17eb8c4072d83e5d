#include "key_algorithms.h"

#include <openssl/ec.h>
#include <openssl/rsa.h>

#include <cstring>

#include "api_call.h"
#include "engine.h"

namespace dravik {
namespace {

struct Algorithm {
  const char* name;      // as callers choose it
  int keyNid;            // EVP_PKEY type
  const char* paramset;  // the GOST engine's name of the curve; null for RSA
  int curveNid;
};

// GOST R 34.10-2012 keys: the CryptoPro curves (A, B, C and the exchange sets
// XchA, XchB) and the TC 26 ones.
const Algorithm kAlgorithms[] = {
    {"GOST3410-2012-256-A-ParamSet", NID_id_GostR3410_2012_256, "A", NID_id_GostR3410_2001_CryptoPro_A_ParamSet},
    {"GOST3410-2012-256-B-ParamSet", NID_id_GostR3410_2012_256, "B", NID_id_GostR3410_2001_CryptoPro_B_ParamSet},
    {"GOST3410-2012-256-C-ParamSet", NID_id_GostR3410_2012_256, "C", NID_id_GostR3410_2001_CryptoPro_C_ParamSet},
    {"GOST3410-2012-256-XchA-ParamSet", NID_id_GostR3410_2012_256, "XA", NID_id_GostR3410_2001_CryptoPro_XchA_ParamSet},
    {"GOST3410-2012-256-XchB-ParamSet", NID_id_GostR3410_2012_256, "XB", NID_id_GostR3410_2001_CryptoPro_XchB_ParamSet},
    {"TC26-GOST3410-2012-256-A-ParamSet", NID_id_GostR3410_2012_256, "TCA", NID_id_tc26_gost_3410_2012_256_paramSetA},
    {"GOST3410-2012-512-A-ParamSet", NID_id_GostR3410_2012_512, "A", NID_id_tc26_gost_3410_2012_512_paramSetA},
    {"GOST3410-2012-512-B-ParamSet", NID_id_GostR3410_2012_512, "B", NID_id_tc26_gost_3410_2012_512_paramSetB},
    {"GOST3410-2012-512-C-ParamSet", NID_id_GostR3410_2012_512, "C", NID_id_tc26_gost_3410_2012_512_paramSetC},
    {"RSA", EVP_PKEY_RSA, nullptr, NID_undef},
};

constexpr const char* kDefaultAlgorithm = "GOST3410-2012-256-XchA-ParamSet";
constexpr int kDefaultRsaBits = 2048;
constexpr int kMinRsaBits = 1024;
constexpr int kMaxBits = 16384;

struct Choice {
  const Algorithm* algorithm = nullptr;
  int bits = 0;  // 0: the default; GOST keys have the size of their curve
};

Choice& choice() {
  static Choice instance;
  return instance;
}

const Algorithm* named(const char* name) {
  for (const Algorithm& algorithm : kAlgorithms) {
    if (std::strcmp(algorithm.name, name) == 0) return &algorithm;
  }
  return nullptr;
}

const Algorithm& chosen() { return choice().algorithm ? *choice().algorithm : *named(kDefaultAlgorithm); }

using KeyContextPtr = std::unique_ptr<EVP_PKEY_CTX, OsslDeleter<EVP_PKEY_CTX, EVP_PKEY_CTX_free>>;

int curveOf(EVP_PKEY* key) {
  const EC_KEY* ec = static_cast<const EC_KEY*>(EVP_PKEY_get0(key));
  const EC_GROUP* group = ec ? EC_KEY_get0_group(ec) : nullptr;
  return group ? EC_GROUP_get_curve_name(group) : NID_undef;
}

}  // namespace

KeyPtr generateKey() {
  loadGostEngine();
  const Algorithm& algorithm = chosen();
  int bits = choice().bits > 0 ? choice().bits : kDefaultRsaBits;
  if (!algorithm.paramset) require(bits >= kMinRsaBits, DRAVIK_E_KEY_ALGORITHM);
  KeyContextPtr context(EVP_PKEY_CTX_new_id(algorithm.keyNid, nullptr));
  require(context && EVP_PKEY_keygen_init(context.get()) == 1, DRAVIK_E_KEY_GENERATION);
  if (algorithm.paramset)
    require(EVP_PKEY_CTX_ctrl_str(context.get(), "paramset", algorithm.paramset) > 0, DRAVIK_E_KEY_GENERATION);
  else
    require(EVP_PKEY_CTX_set_rsa_keygen_bits(context.get(), bits) == 1, DRAVIK_E_KEY_GENERATION);
  EVP_PKEY* key = nullptr;
  require(EVP_PKEY_keygen(context.get(), &key) == 1 && key != nullptr, DRAVIK_E_KEY_GENERATION);
  return shareKey(key);
}

std::string algorithmName(EVP_PKEY* key) {
  int type = EVP_PKEY_get_base_id(key);
  if (type == EVP_PKEY_RSA) return "RSA";
  if (type != NID_id_GostR3410_2012_256 && type != NID_id_GostR3410_2012_512) {
    const char* name = OBJ_nid2sn(type);
    return name ? name : "";
  }
  int curve = curveOf(key);
  for (const Algorithm& algorithm : kAlgorithms) {
    if (algorithm.keyNid == type && algorithm.curveNid == curve) return algorithm.name;
  }
  return type == NID_id_GostR3410_2012_256 ? "GOST3410-2012-256" : "GOST3410-2012-512";
}

void resetKeyGeneration() { choice() = Choice(); }

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int SetNewKeysAlgorithm(const char* name) {
  return callInt("SetNewKeysAlgorithm", Needs::Init, Args().text("name", name), [&] {
    require(name != nullptr, DRAVIK_E_NULL_PARAM);
    const Algorithm* algorithm = named(name);
    require(algorithm != nullptr, DRAVIK_E_KEY_ALGORITHM);
    choice().algorithm = algorithm;
    return 0;
  });
}

extern "C" DRAVIK_API int SetKeysLength(int bits) {
  return callInt("SetKeysLength", Needs::Init, Args().number("bits", bits), [&] {
    require(bits > 0 && bits <= kMaxBits, DRAVIK_E_KEY_ALGORITHM);
    choice().bits = bits;
    return 0;
  });
}
