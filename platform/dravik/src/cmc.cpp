#include "cmc.h"

#include "dravik/dravik.h"
#include "error.h"

namespace dravik {
namespace {

// DER, written by hand for the few CMC structures OpenSSL has no codec for.
std::string tlv(unsigned char tag, const std::string& content) {
  std::string out(1, static_cast<char>(tag));
  size_t length = content.size();
  if (length < 0x80) {
    out += static_cast<char>(length);
  } else {
    std::string digits;
    for (; length; length >>= 8) digits.insert(digits.begin(), static_cast<char>(length & 0xFF));
    out += static_cast<char>(0x80 | digits.size());
    out += digits;
  }
  return out + content;
}

constexpr unsigned char kInteger = 0x02;
constexpr unsigned char kOctetString = 0x04;
constexpr unsigned char kEnumerated = 0x0A;
constexpr unsigned char kUtf8String = 0x0C;
constexpr unsigned char kSequence = 0x30;
constexpr unsigned char kSet = 0x31;
constexpr unsigned char kTaggedRequestTcr = 0xA0;  // [0] IMPLICIT, constructed
constexpr unsigned char kExplicitZero = 0xA0;      // [0] EXPLICIT

std::string sequence(const std::string& content) { return tlv(kSequence, content); }

// A small non-negative INTEGER or ENUMERATED.
std::string smallNumber(unsigned char tag, unsigned value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>(value & 0xFF));
    value >>= 8;
  } while (value);
  if (static_cast<unsigned char>(digits[0]) & 0x80) digits.insert(digits.begin(), '\0');
  return tlv(tag, digits);
}

template <typename T>
std::string der(const T* object, int (*i2d)(const T*, unsigned char**)) {
  unsigned char* bytes = nullptr;
  int length = i2d(object, &bytes);
  require(length > 0, DRAVIK_E_ASN1_ENCODE);
  std::string out(reinterpret_cast<char*>(bytes), static_cast<size_t>(length));
  OPENSSL_free(bytes);
  return out;
}

constexpr unsigned kBodyPartId = 1;

std::string pkiData(const std::string& controls, const std::string& requests) {
  // controlSequence, reqSequence, cmsSequence, otherMsgSequence
  return sequence(sequence(controls) + sequence(requests) + sequence("") + sequence(""));
}

}  // namespace

const ASN1_OBJECT* pkiDataType() { return OBJ_nid2obj(NID_id_cct_PKIData); }

std::string requestPkiData(X509_REQ* request) {
  std::string tcr = tlv(kTaggedRequestTcr, smallNumber(kInteger, kBodyPartId) + der(request, i2d_X509_REQ));
  return pkiData("", tcr);
}

std::string unsignedPkiData(const std::string& pkiData) {
  std::string encapsulated =
      sequence(der(pkiDataType(), i2d_ASN1_OBJECT) + tlv(kExplicitZero, tlv(kOctetString, pkiData)));
  std::string signedData = sequence(smallNumber(kInteger, 3) + tlv(kSet, "") + encapsulated + tlv(kSet, ""));
  std::string message = sequence(der(OBJ_nid2obj(NID_pkcs7_signed), i2d_ASN1_OBJECT) + tlv(kExplicitZero, signedData));
  OPENSSL_cleanse(&encapsulated[0], encapsulated.size());
  OPENSSL_cleanse(&signedData[0], signedData.size());
  return message;
}

bool validRevocationReason(int reason) { return reason >= 0 && reason <= 10 && reason != 7; }

std::string revocationPkiData(const Revocation& revocation) {
  require(validRevocationReason(revocation.reason), DRAVIK_E_PARAMETER);
  std::string body = der(X509_get_issuer_name(revocation.certificate), i2d_X509_NAME) +
                     der(X509_get0_serialNumber(revocation.certificate), i2d_ASN1_INTEGER) +
                     smallNumber(kEnumerated, static_cast<unsigned>(revocation.reason));
  if (revocation.passphrase) body += tlv(kOctetString, revocation.passphrase->value());
  if (revocation.comment) body += tlv(kUtf8String, *revocation.comment);
  std::string control =
      sequence(smallNumber(kInteger, kBodyPartId) + der(OBJ_nid2obj(NID_id_cmc_revokeRequest), i2d_ASN1_OBJECT) +
               tlv(kSet, sequence(body)));
  OPENSSL_cleanse(&body[0], body.size());
  std::string whole = pkiData(control, "");
  OPENSSL_cleanse(&control[0], control.size());
  return whole;
}

}  // namespace dravik
