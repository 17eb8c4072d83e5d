// Certificate contexts, and certificates read from files or tokens.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "ossl.h"

struct DravikCertificateContext {
  dravik::X509Ptr certificate;
};

namespace dravik {

// The certificate in the file at path (a token path waits for the token):
// 166 when it cannot be read, 186 when it holds no certificate.
X509Ptr readCertificateAt(const std::string& path);
// The certificate named by a source kind: DRAVIK_SOURCE_NAME (a path) or
// DRAVIK_SOURCE_BYTES; 207 for another kind.
X509Ptr certificateFrom(int source, const void* certificate, uint32_t length);
// The certificate of a live context; null for anything else.
X509* liveCertificate(const DravikCertificateContext* context);
size_t liveCertificateContexts();

}  // namespace dravik
