#pragma once
// Keys, key containers and tokens that the user unlocks (a password, a PIN)
// stay unlocked in the crypto library for the whole process, whichever page
// asked. So that what the user unlocked for one site does not sign for
// another without the user being asked, the plug-in remembers which site
// last handed each key path and each token to the library; before another
// site's call hands it over, the library forgets what it keeps for that
// path, or logs out of that token, and asks again when it needs to.
//
// A page that names many paths would make the record grow without end; it
// keeps at most kMostRecorded of them, and the one claimed longest ago
// leaves it only after the library has forgotten what it keeps there.
//
// Like the configuration, this is process-wide state touched only on the
// thread that runs the API calls.

#include <cstddef>
#include <string>

namespace velon {
namespace KeyUnlocks {

// Called before a call of the page at site hands path (in the library's code
// page) to the library. Answers the library's result code of forgetting (0
// when nothing had to be forgotten or forgetting worked).
int claim(const std::string& site, const std::string& path);

constexpr std::size_t kMostRecorded = 256;
// How many paths and tokens the record holds now.
std::size_t recorded();

// The token a path lies on, named as the library names it: up to the first
// colon ("etoken0:"), for a PKCS#11 path up to the end of the module's name
// ("pkcs110:\rtPKCS11ECP"). Empty for a path of the file system.
std::string token_of(const std::string& path);

}  // namespace KeyUnlocks
}  // namespace velon
