// Key containers: a folder with a description (a verifier of the container
// password) and private keys encrypted under that password.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "ossl.h"
#include "password_verifier.h"
#include "secret.h"

namespace dravik {

// A key and where it came from: the key file's path relative to its container
// ("key01.key", "keys/rsa00000001.key"), or empty for a standalone key file.
struct NamedKey {
  std::string name;
  KeyPtr key;
};

class Container {
 public:
  static bool exists(const std::filesystem::path& folder);
  // 195 when a container is there already, 216 when it cannot be written.
  static void create(const std::filesystem::path& folder, const Secret& password);
  // 169 when folder holds no readable container.
  static Container open(const std::filesystem::path& folder);

  const std::filesystem::path& folder() const { return folder_; }
  bool accepts(const Secret& password) const { return verifier_.matches(password); }
  // Every key, decrypted with an accepted password; 168 when one is damaged.
  std::vector<NamedKey> keys(const Secret& password) const;
  // Adds key under an accepted password as the next free "keyNN.key", or as
  // name (relative to the folder); 195 when name is taken, 216 when it
  // cannot be written.
  void store(EVP_PKEY* key, const Secret& password, const std::string& name = "") const;
  // Re-encrypts every key and the verifier under fresh. Everything is written
  // beside the old files first, so that a failure leaves the container as it
  // was; 168 for a damaged key, 216 when it cannot be written.
  void changePassword(const Secret& old, const Secret& fresh);

 private:
  std::filesystem::path folder_;
  PasswordVerifier verifier_;
};

}  // namespace dravik
