// Key containers: a folder with a description (a verifier of the container
// password) and private keys encrypted under that password.
#pragma once

#include <filesystem>
#include <vector>

#include "ossl.h"
#include "password_verifier.h"
#include "secret.h"

namespace dravik {

class Container {
 public:
  static bool exists(const std::filesystem::path& folder);
  // 195 when a container is there already, 216 when it cannot be written.
  static void create(const std::filesystem::path& folder, const Secret& password);
  // 169 when folder holds no readable container.
  static Container open(const std::filesystem::path& folder);

  bool accepts(const Secret& password) const { return verifier_.matches(password); }
  // Every key, decrypted with an accepted password; 168 when one is damaged.
  std::vector<KeyPtr> keys(const Secret& password) const;
  // Adds key under an accepted password; 216 when it cannot be written.
  void store(EVP_PKEY* key, const Secret& password) const;

 private:
  std::filesystem::path folder_;
  PasswordVerifier verifier_;
};

}  // namespace dravik
