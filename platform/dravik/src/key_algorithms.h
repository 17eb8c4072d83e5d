// The algorithms of new keys (the parameter sets key generation offers and
// the RSA key length, process-wide) and the names of existing keys'
// algorithms in the same terms.
#pragma once

#include <string>

#include "ossl.h"

namespace dravik {

// A new key pair of the algorithm and length in force: 167 for an RSA length
// below 1024, 144 when generation fails.
KeyPtr generateKey();
// The parameter-set name of a GOST key ("GOST3410-2012-256-XchA-ParamSet"),
// "GOST3410-2012-256" or "-512" for a set without a name here, "RSA", or
// OpenSSL's short name for any other key.
std::string algorithmName(EVP_PKEY* key);
void resetKeyGeneration();

}  // namespace dravik
