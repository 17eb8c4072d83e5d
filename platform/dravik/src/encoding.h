// Reading objects given in DER, PEM or Base64, and writing them in any of the
// three: the one place where encodings are told apart and converted.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "ossl.h"

namespace dravik {

enum class ObjectKind { Request = 1, Certificate = 2, Crl = 3 };

// The first object of kind in input, or the kind's decode code (185, 186, 187).
X509Ptr decodeCertificate(const void* data, size_t length);
CrlPtr decodeCrl(const void* data, size_t length);
ReqPtr decodeRequest(const void* data, size_t length);
// Every object of kind in input (a PEM text may hold several); empty when none.
std::vector<X509Ptr> decodeCertificates(const std::string& input);
std::vector<CrlPtr> decodeCrls(const std::string& input);

std::string derOf(X509* certificate);
std::string derOf(X509_CRL* crl);
std::string derOf(X509_REQ* request);

// DER bytes in the asked format (DRAVIK_FORMAT_*); 207 for another format.
std::string encodeAs(const std::string& der, const char* pemLabel, int format);

std::string base64Encode(const std::string& bytes);
// Whitespace is skipped; nullopt for anything else outside the alphabet.
std::optional<std::string> base64Decode(const std::string& text);

std::string hexUpper(const unsigned char* bytes, size_t length);

}  // namespace dravik
