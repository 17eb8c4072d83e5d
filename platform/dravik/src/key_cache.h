// Private keys the library has opened, and the passwords that opened them,
// kept per path until ClearPrivateKeys (or the token's logout).
#pragma once

#include <string>

#include "ossl.h"

namespace dravik {

// Opens the container or key file at path (asking for the token, its PIN and
// the password as needed) and returns the key that fits certificate.
KeyPtr loadKeyFor(const std::string& path, const char* password, X509* certificate);
// A loaded key that fits certificate, or null.
KeyPtr loadedKeyFor(X509* certificate);
// Forgets what was opened on the token at device.
void forgetKeysOn(const std::string& device);
void clearKeyCache();

}  // namespace dravik
