// Certificate requests (PKCS#10) of new keys: the subject and extensions of
// the request being built, signed with the new key.
#pragma once

#include "ossl.h"

namespace dravik {

// The name the subject-sign-tool extension gives.
constexpr const char* kSubjectSignTool = "dravik";

// 182 when the request cannot be put together, 147 when it cannot be signed.
ReqPtr buildRequest(EVP_PKEY* key);

}  // namespace dravik
