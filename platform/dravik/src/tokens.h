// Simulated tokens: a folder under the home folder per device path, with a
// description (label, serial, slot, present flag, PIN verifier), holding key
// containers and certificates. The cryptography on them is real.
#pragma once

#include <optional>
#include <string>

#include "password_verifier.h"

namespace dravik {

struct TokenRecord {
  std::string label;
  std::string serial;
  std::string slot;
  bool present = false;
  std::optional<PasswordVerifier> pin;  // none: the token has no PIN
};

std::optional<TokenRecord> readToken(const std::string& device);
// 216 when the token's folder cannot be written.
void writeToken(const std::string& device, const TokenRecord& record);
bool tokenPresent(const std::string& device);
// Waits for the token through the device-request callback (184 when absent).
void requireToken(const std::string& device);
// Logs in through the PIN callback unless logged in already (184 on cancel).
void loginToken(const std::string& device);
bool logoutToken(const std::string& device);
void logoutAllTokens();

}  // namespace dravik
