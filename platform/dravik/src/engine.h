// The GOST engine: GOST R 34.10-2012 keys and signatures and GOST R 34.11-2012
// digests exist in OpenSSL 3 only through it.
#pragma once

#include <openssl/evp.h>

namespace dravik {

// Loads and registers the engine once per process; 178 when it cannot be.
void loadGostEngine();

// The digest a key signs with: its GOST R 34.11-2012 size for GOST keys,
// SHA-256 otherwise. 108 when the engine's digest is missing.
const EVP_MD* signingDigest(EVP_PKEY* key);

}  // namespace dravik
