// The property texts of a certificate and its information record.
#include <ctime>
#include <map>
#include <memory>

#include "api_call.h"
#include "buffers.h"
#include "certificate_properties.h"
#include "encoding.h"

namespace dravik {
namespace {

struct InfoTexts {
  std::string version, serialNumber, subject, issuer, notBefore, notAfter, fingerprint, publicKeyAlgorithm;
};

std::map<DravikCertificateInfo*, std::unique_ptr<InfoTexts>>& records() {
  static std::map<DravikCertificateInfo*, std::unique_ptr<InfoTexts>> live;
  return live;
}

char* text(std::string& value) { return &value[0]; }

using Property = std::string (*)(X509*);

char* propertyBuffer(const char* function, const void* certificate, uint32_t length, Property property) {
  return callPointer<char>(function, Needs::Init, Args().bytes("certificate", certificate, length), [&] {
    require(certificate != nullptr, DRAVIK_E_NULL_PARAM);
    X509Ptr parsed = decodeCertificate(certificate, length);
    return newBuffer(property(parsed.get()));
  });
}

}  // namespace

std::string nameText(X509_NAME* name) {
  BioPtr bio(BIO_new(BIO_s_mem()));
  require(bio != nullptr, DRAVIK_E_MEMORY);
  require(X509_NAME_print_ex(bio.get(), name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB) >= 0, DRAVIK_E_INTERNAL);
  return bioBytes(bio.get());
}

std::string subjectText(X509* certificate) { return nameText(X509_get_subject_name(certificate)); }

std::string issuerText(X509* certificate) { return nameText(X509_get_issuer_name(certificate)); }

std::string serialText(X509* certificate) {
  const ASN1_INTEGER* serial = X509_get0_serialNumber(certificate);
  const unsigned char* bytes = ASN1_STRING_get0_data(serial);
  int length = ASN1_STRING_length(serial);
  std::string digits = length > 0 ? hexUpper(bytes, static_cast<size_t>(length)) : std::string("00");
  return ASN1_STRING_type(serial) == V_ASN1_NEG_INTEGER ? "-" + digits : digits;
}

std::string timeText(const ASN1_TIME* time) {
  std::tm parts{};
  require(time != nullptr && ASN1_TIME_to_tm(time, &parts) == 1, DRAVIK_E_ASN1_DECODE);
  char text[32];
  require(std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts) > 0, DRAVIK_E_INTERNAL);
  return text;
}

std::string notBeforeText(X509* certificate) { return timeText(X509_get0_notBefore(certificate)); }

std::string notAfterText(X509* certificate) { return timeText(X509_get0_notAfter(certificate)); }

std::string fingerprintText(X509* certificate) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  require(X509_digest(certificate, EVP_sha1(), digest, &length) == 1, DRAVIK_E_INTERNAL);
  return hexUpper(digest, length);
}

std::string versionText(X509* certificate) { return std::to_string(X509_get_version(certificate) + 1); }

std::string publicKeyAlgorithmText(X509* certificate) {
  ASN1_OBJECT* algorithm = nullptr;
  X509_PUBKEY* key = X509_get_X509_PUBKEY(certificate);
  if (!key || X509_PUBKEY_get0_param(&algorithm, nullptr, nullptr, nullptr, key) != 1 || !algorithm) return "";
  int nid = OBJ_obj2nid(algorithm);
  if (nid != NID_undef) return OBJ_nid2sn(nid);
  char dotted[128];
  OBJ_obj2txt(dotted, sizeof dotted, algorithm, 1);
  return dotted;
}

size_t liveCertificateInfoRecords() { return records().size(); }

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API char* GetCertificateSubjectBuffer(const void* certificate, uint32_t length) {
  return propertyBuffer("GetCertificateSubjectBuffer", certificate, length, subjectText);
}

extern "C" DRAVIK_API char* GetCertificateIssuerBuffer(const void* certificate, uint32_t length) {
  return propertyBuffer("GetCertificateIssuerBuffer", certificate, length, issuerText);
}

extern "C" DRAVIK_API char* GetCertificateSerialBuffer(const void* certificate, uint32_t length) {
  return propertyBuffer("GetCertificateSerialBuffer", certificate, length, serialText);
}

extern "C" DRAVIK_API char* GetCertificateNotBeforeBuffer(const void* certificate, uint32_t length) {
  return propertyBuffer("GetCertificateNotBeforeBuffer", certificate, length, notBeforeText);
}

extern "C" DRAVIK_API char* GetCertificateNotAfterBuffer(const void* certificate, uint32_t length) {
  return propertyBuffer("GetCertificateNotAfterBuffer", certificate, length, notAfterText);
}

extern "C" DRAVIK_API char* GetCertFingerprintBuffer(const void* certificate, uint32_t length) {
  return propertyBuffer("GetCertFingerprintBuffer", certificate, length, fingerprintText);
}

extern "C" DRAVIK_API int GetCertificateInfoBufferEx(const void* certificate, uint32_t length,
                                                     DravikCertificateInfo* info) {
  Args args;
  args.bytes("certificate", certificate, length).handle("info", info);
  return callInt("GetCertificateInfoBufferEx", Needs::Init, args, [&] {
    require(info != nullptr, DRAVIK_E_NULL_PARAM);
    *info = DravikCertificateInfo{};
    require(certificate != nullptr, DRAVIK_E_NULL_PARAM);
    X509Ptr parsed = decodeCertificate(certificate, length);
    X509* c = parsed.get();
    auto texts = std::make_unique<InfoTexts>(InfoTexts{versionText(c), serialText(c), subjectText(c), issuerText(c),
                                                       notBeforeText(c), notAfterText(c), fingerprintText(c),
                                                       publicKeyAlgorithmText(c)});
    DravikCertificateInfo filled{text(texts->version),   text(texts->serialNumber), text(texts->subject),
                                 text(texts->issuer),    text(texts->notBefore),    text(texts->notAfter),
                                 text(texts->fingerprint), text(texts->publicKeyAlgorithm)};
    records()[info] = std::move(texts);
    *info = filled;
    return 0;
  });
}

extern "C" DRAVIK_API void FreeCertificateInfo(DravikCertificateInfo* info) {
  callRelease("FreeCertificateInfo", Args().handle("info", info), [&] {
    // Only a record this library filled is touched: the caller may hand in
    // one it never initialised.
    if (records().erase(info) > 0) *info = DravikCertificateInfo{};
  });
}
