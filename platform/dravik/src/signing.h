// Signing contexts: one signer (certificate and private key) each.
#pragma once

#include <cstddef>

#include "ossl.h"

struct DravikSignContext {
  dravik::X509Ptr certificate;
  dravik::KeyPtr key;
};

namespace dravik {

size_t liveSignContexts();

}  // namespace dravik
