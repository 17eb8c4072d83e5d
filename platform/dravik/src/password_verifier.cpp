#include "password_verifier.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdlib>

#include "dravik/dravik.h"
#include "encoding.h"
#include "error.h"

namespace dravik {
namespace {

constexpr int kIterations = 2048;
constexpr size_t kSaltBytes = 16;
constexpr size_t kHashBytes = 32;

std::optional<std::string> unhex(const std::string& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    char pair[3] = {text[i], text[i + 1], 0};
    char* end = nullptr;
    long value = std::strtol(pair, &end, 16);
    if (end != pair + 2) return std::nullopt;
    bytes += static_cast<char>(value);
  }
  return bytes;
}

std::string derive(const Secret& password, const std::string& salt, int iterations) {
  unsigned char hash[kHashBytes];
  require(PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                            reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()),
                            iterations, EVP_sha256(), sizeof hash, hash) == 1,
          DRAVIK_E_INTERNAL);
  return hexUpper(hash, sizeof hash);
}

}  // namespace

PasswordVerifier PasswordVerifier::make(const Secret& password) {
  unsigned char salt[kSaltBytes];
  require(RAND_bytes(salt, sizeof salt) == 1, DRAVIK_E_INTERNAL);
  PasswordVerifier verifier;
  verifier.salt = hexUpper(salt, sizeof salt);
  verifier.iterations = kIterations;
  verifier.hash = derive(password, std::string(reinterpret_cast<char*>(salt), sizeof salt), kIterations);
  return verifier;
}

std::optional<PasswordVerifier> PasswordVerifier::from(const ConfValues& values, const std::string& prefix) {
  auto salt = values.find(prefix + "salt");
  auto iterations = values.find(prefix + "iterations");
  auto hash = values.find(prefix + "verifier");
  if (salt == values.end() || iterations == values.end() || hash == values.end()) return std::nullopt;
  PasswordVerifier verifier;
  verifier.salt = salt->second;
  verifier.hash = hash->second;
  char* end = nullptr;
  long count = std::strtol(iterations->second.c_str(), &end, 10);
  if (*end != '\0' || count < 1 || count > 10000000) return std::nullopt;
  verifier.iterations = static_cast<int>(count);
  if (!unhex(verifier.salt) || verifier.hash.size() != kHashBytes * 2 || !unhex(verifier.hash)) return std::nullopt;
  return verifier;
}

void PasswordVerifier::store(ConfValues& values, const std::string& prefix) const {
  values[prefix + "salt"] = salt;
  values[prefix + "iterations"] = std::to_string(iterations);
  values[prefix + "verifier"] = hash;
}

bool PasswordVerifier::matches(const Secret& password) const {
  std::optional<std::string> rawSalt = unhex(salt);
  if (!rawSalt) return false;
  std::string candidate = derive(password, *rawSalt, iterations);
  return candidate.size() == hash.size() && CRYPTO_memcmp(candidate.data(), hash.data(), hash.size()) == 0;
}

}  // namespace dravik
