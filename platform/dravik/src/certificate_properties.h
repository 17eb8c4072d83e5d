// Texts of certificate properties, in the forms the header documents.
#pragma once

#include <string>

#include "ossl.h"

namespace dravik {

std::string nameText(X509_NAME* name);
std::string subjectText(X509* certificate);
std::string issuerText(X509* certificate);
std::string serialText(X509* certificate);
std::string notBeforeText(X509* certificate);
std::string notAfterText(X509* certificate);
std::string fingerprintText(X509* certificate);
std::string versionText(X509* certificate);
std::string publicKeyAlgorithmText(X509* certificate);
size_t liveCertificateInfoRecords();

}  // namespace dravik
