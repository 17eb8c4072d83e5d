// Certificate Management over CMS (RFC 5272): the PKIData bodies of the CMC
// messages the library makes. A signed message gets its SignedData from the
// signing code, with the content type id-cct-PKIData.
#pragma once

#include <optional>
#include <string>

#include "ossl.h"
#include "secret.h"

namespace dravik {

// The content type of a PKIData body.
const ASN1_OBJECT* pkiDataType();

// A Full PKI Request for one certificate: PKIData with no controls and one
// TaggedRequest, tcr { bodyPartID 1, the PKCS#10 request }.
std::string requestPkiData(X509_REQ* request);

struct Revocation {
  X509* certificate = nullptr;  // whose issuer and serial number are named
  int reason = 0;               // CRLReason 0-10 but 7
  std::optional<Secret> passphrase;
  std::optional<std::string> comment;  // UTF-8
};

// true for the CRLReason values RFC 5280 defines (7 is unused).
bool validRevocationReason(int reason);

// A CMS ContentInfo holding a SignedData without signers (version 3, no
// digest algorithms, no certificates) around pkiData: RFC 5272's form of a
// request that nobody signs.
std::string unsignedPkiData(const std::string& pkiData);

// PKIData with one control, id-cmc-revokeRequest (bodyPartID 1), holding a
// RevokeRequest { issuerName, serialNumber, reason, passphrase, comment }.
std::string revocationPkiData(const Revocation& revocation);

}  // namespace dravik
