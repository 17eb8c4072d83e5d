// Private keys in PKCS#8 files: encrypted ("ENCRYPTED PRIVATE KEY", under a
// password) or not ("PRIVATE KEY"), in PEM or DER. Standalone key files and
// the keys inside containers share this form.
#pragma once

#include <filesystem>
#include <string>

#include "ossl.h"
#include "secret.h"

namespace dravik {

class KeyFile {
 public:
  // 208 when the file cannot be read, 191 when it holds no PKCS#8 key.
  static KeyFile read(const std::filesystem::path& file);
  // 191 when the bytes hold no PKCS#8 key.
  static KeyFile parse(const std::string& bytes);

  bool encrypted() const { return encrypted_ != nullptr; }
  // The key; null for a wrong password. An unencrypted key ignores password.
  // 191 when the decrypted content is not a key.
  KeyPtr open(const Secret& password) const;

 private:
  std::shared_ptr<X509_SIG> encrypted_;
  std::shared_ptr<PKCS8_PRIV_KEY_INFO> plain_;
};

// The key as an encrypted PKCS#8 PEM text under password (PBES2, AES-256).
std::string encryptKey(EVP_PKEY* key, const Secret& password);

// Writes a file only its owner may read, creating its folder; false on failure.
bool writePrivateFile(const std::filesystem::path& file, const std::string& bytes);

}  // namespace dravik
