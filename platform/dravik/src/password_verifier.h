// Checks a password or PIN without keeping it: PBKDF2-HMAC-SHA256 over a
// random salt, stored as hex in a description file.
#pragma once

#include <optional>
#include <string>

#include "conf_file.h"
#include "secret.h"

namespace dravik {

struct PasswordVerifier {
  std::string salt;  // hex
  int iterations = 0;
  std::string hash;  // hex

  static PasswordVerifier make(const Secret& password);
  // nullopt when the values (prefix "pin-" or "") are missing or malformed.
  static std::optional<PasswordVerifier> from(const ConfValues& values, const std::string& prefix);
  void store(ConfValues& values, const std::string& prefix) const;
  bool matches(const Secret& password) const;
};

}  // namespace dravik
