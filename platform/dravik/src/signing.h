// Signing contexts (one signer each) and the CMS SignedData the library makes.
#pragma once

#include <cstddef>
#include <string>

#include "dravik/dravik.h"
#include "ossl.h"

struct DravikSignContext {
  dravik::X509Ptr certificate;
  dravik::KeyPtr key;
  int contentType = DRAVIK_CONTENT_DATA;
};

namespace dravik {

struct SignedDataShape {
  X509* signer = nullptr;
  EVP_PKEY* key = nullptr;
  const ASN1_OBJECT* contentType = nullptr;  // null: id-data
  bool detached = false;
};

// DER of a CMS SignedData over length bytes of content, under the settings
// in force. A content type other than id-data always gets signed attributes,
// which the CMS rules require for it.
std::string signedData(const void* content, size_t length, const SignedDataShape& shape);
// The PEM label of signatures.
constexpr const char* kSignaturePemLabel = "CMS";

size_t liveSignContexts();

}  // namespace dravik
