// Request contexts: a certificate request (PKCS#10) held for questions.
#pragma once

#include <cstddef>

#include "ossl.h"

struct DravikRequestContext {
  dravik::ReqPtr request;
};

namespace dravik {

size_t liveRequestContexts();
size_t liveRequestInfoRecords();

}  // namespace dravik
