// Trust material (trusted CAs, untrusted chain certificates, CRLs) and the
// checking of certificates under the verification flags.
#pragma once

#include <cstdint>

#include "ossl.h"

namespace dravik {

// 0 when certificate passes the checks flags (DRAVIK_VERIFY_*) ask for, else
// the verification code 2-28.
int verifyCertificate(X509* certificate, uint32_t flags);
void clearTrust();

// The library code for an OpenSSL verification error.
int verifyCode(int opensslError);

}  // namespace dravik
