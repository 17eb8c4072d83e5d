// Private keys the library has opened, and the passwords that opened them,
// kept per path until ClearPrivateKeys (or the token's logout).
#pragma once

#include <string>
#include <vector>

#include "container.h"
#include "ossl.h"
#include "secret.h"

namespace dravik {

// Whether a key file's password may be asked for; probes ask nothing of the
// key-password callbacks (a container still asks the PSE ones).
enum class KeyFilePrompt { Ask, Silent };

// Every key of the container or key file at path (asking for the token, its
// PIN and the password as needed), kept for later calls. A silent key file
// that no given, cached or empty password opens gives 107.
const std::vector<NamedKey>& openedKeys(const std::string& path, const char* password,
                                        KeyFilePrompt prompt = KeyFilePrompt::Ask);
// Opens the container or key file at path and returns the key that fits
// certificate; 215 when none does.
KeyPtr loadKeyFor(const std::string& path, const char* password, X509* certificate);
// A loaded key that fits certificate, or null.
KeyPtr loadedKeyFor(X509* certificate);
struct UnlockedContainer {
  Container container;
  Secret password;
};
// The container at path and its password: the one given, a cached one or the
// empty one when it fits, else asked through the PSE callbacks. The token of
// a token path is logged into first. 169 when there is no container.
UnlockedContainer unlockContainer(const std::string& path, const char* given);
// Keeps password for path; the keys read from it before are read again.
void rememberPassword(const std::string& path, const Secret& password);
// Forgets what was opened on the token at device.
void forgetKeysOn(const std::string& device);
// Forgets the password and keys kept for path.
void forgetPath(const std::string& path);
void clearKeyCache();

}  // namespace dravik
