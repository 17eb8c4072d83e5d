#include "pki.h"

#include <openssl/pem.h>
#include <openssl/pkcs12.h>
#include <openssl/x509v3.h>

#include <ctime>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>

namespace dravik_test {
namespace {

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test material: ") + what);
}

std::string bioText(BIO* bio) {
  char* data = nullptr;
  long length = BIO_get_mem_data(bio, &data);
  return std::string(data, static_cast<size_t>(length));
}

const EVP_MD* digestFor(EVP_PKEY* key) {
  switch (EVP_PKEY_get_base_id(key)) {
    case NID_id_GostR3410_2012_256:
      return EVP_get_digestbyname("md_gost12_256");
    case NID_id_GostR3410_2012_512:
      return EVP_get_digestbyname("md_gost12_512");
    default:
      return EVP_sha256();
  }
}

void addExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  check(extension != nullptr, "extension");
  X509_add_ext(cert, extension, -1);
  X509_EXTENSION_free(extension);
}

long nextSerial() {
  static long serial = 1000;
  return ++serial;
}

}  // namespace

KeyPtr makeKey(KeyKind kind) {
  EVP_PKEY_CTX* context = kind == KeyKind::Rsa ? EVP_PKEY_CTX_new_id(EVP_PKEY_RSA, nullptr)
                          : kind == KeyKind::Gost256
                              ? EVP_PKEY_CTX_new_id(NID_id_GostR3410_2012_256, nullptr)
                              : EVP_PKEY_CTX_new_id(NID_id_GostR3410_2012_512, nullptr);
  check(context != nullptr, "key context");
  EVP_PKEY* key = nullptr;
  bool ok = EVP_PKEY_keygen_init(context) == 1;
  if (kind == KeyKind::Rsa)
    ok = ok && EVP_PKEY_CTX_set_rsa_keygen_bits(context, 2048) == 1;
  else
    ok = ok && EVP_PKEY_CTX_ctrl_str(context, "paramset", "A") > 0;
  ok = ok && EVP_PKEY_keygen(context, &key) == 1;
  EVP_PKEY_CTX_free(context);
  check(ok, "key generation");
  return KeyPtr(key, EVP_PKEY_free);
}

Identity makeIdentity(const CertificateShape& shape, const Identity* issuer) {
  Identity identity;
  identity.key = makeKey(shape.kind);
  X509* cert = X509_new();
  identity.cert = CertPtr(cert, X509_free);
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), shape.serial ? shape.serial : nextSerial());
  X509_gmtime_adj(X509_getm_notBefore(cert), shape.notBeforeDays * 86400L);
  X509_gmtime_adj(X509_getm_notAfter(cert), shape.notAfterDays * 86400L);
  X509_NAME* name = X509_get_subject_name(cert);
  if (!shape.emptySubject) {
    X509_NAME_add_entry_by_txt(name, "C", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("RU"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("Orvanta Test"),
                               -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                               reinterpret_cast<const unsigned char*>(shape.commonName.c_str()), -1, -1, 0);
  }
  X509* issuerCert = issuer ? issuer->cert.get() : cert;
  EVP_PKEY* issuerKey = issuer ? issuer->key.get() : identity.key.get();
  X509_set_issuer_name(cert, X509_get_subject_name(issuerCert));
  X509_set_pubkey(cert, identity.key.get());
  addExtension(cert, issuerCert, NID_basic_constraints, shape.ca ? "critical,CA:TRUE" : "CA:FALSE");
  addExtension(cert, issuerCert, NID_subject_key_identifier, "hash");
  if (issuer) addExtension(cert, issuerCert, NID_authority_key_identifier, "keyid:always");
  if (shape.keyUsage) addExtension(cert, issuerCert, NID_key_usage, shape.keyUsage);
  check(X509_sign(cert, issuerKey, digestFor(issuerKey)) > 0, "certificate signature");
  return identity;
}

std::string Identity::certPem() const {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(bio, cert.get());
  std::string text = bioText(bio);
  BIO_free(bio);
  return text;
}

std::string Identity::certDer() const {
  unsigned char* der = nullptr;
  int length = i2d_X509(cert.get(), &der);
  std::string bytes(reinterpret_cast<char*>(der), static_cast<size_t>(length));
  OPENSSL_free(der);
  return bytes;
}

std::string Identity::keyPem() const {
  BIO* bio = BIO_new(BIO_s_mem());
  PKCS8_PRIV_KEY_INFO* info = EVP_PKEY2PKCS8(key.get());
  PEM_write_bio_PKCS8_PRIV_KEY_INFO(bio, info);
  PKCS8_PRIV_KEY_INFO_free(info);
  std::string text = bioText(bio);
  BIO_free(bio);
  return text;
}

std::string Identity::encryptedKeyPem(const std::string& password) const {
  BIO* bio = BIO_new(BIO_s_mem());
  PKCS8_PRIV_KEY_INFO* info = EVP_PKEY2PKCS8(key.get());
  X509_SIG* sealed = PKCS8_encrypt(-1, EVP_aes_256_cbc(), password.data(), static_cast<int>(password.size()),
                                   nullptr, 0, 2048, info);
  PEM_write_bio_PKCS8(bio, sealed);
  X509_SIG_free(sealed);
  PKCS8_PRIV_KEY_INFO_free(info);
  std::string text = bioText(bio);
  BIO_free(bio);
  return text;
}

std::string Identity::serialHex() const {
  BIGNUM* number = ASN1_INTEGER_to_BN(X509_get0_serialNumber(cert.get()), nullptr);
  char* hex = BN_bn2hex(number);
  std::string text = hex;
  OPENSSL_free(hex);
  BN_free(number);
  return text;
}

struct Pki::Material {
  std::map<std::string, Identity> identities;
};

Pki& Pki::get() {
  static Pki pki;
  return pki;
}

Pki::Material& Pki::m() {
  if (!material_) material_ = std::make_shared<Material>();
  return *material_;
}

const Identity& Pki::ca() {
  auto& ids = m().identities;
  if (!ids.count("ca")) {
    CertificateShape shape;
    shape.commonName = "Orvanta Test CA";
    shape.ca = true;
    shape.notAfterDays = 3650;
    shape.keyUsage = "critical,keyCertSign,cRLSign";
    ids["ca"] = makeIdentity(shape, nullptr);
  }
  return ids["ca"];
}

namespace {

const Identity& issued(std::map<std::string, Identity>& ids, const std::string& key, const CertificateShape& shape,
                       const Identity& issuer) {
  if (!ids.count(key)) ids[key] = makeIdentity(shape, &issuer);
  return ids[key];
}

}  // namespace

const Identity& Pki::user(KeyKind kind) {
  CertificateShape shape;
  shape.kind = kind;
  shape.commonName = kind == KeyKind::Gost256 ? "User GOST 256" : kind == KeyKind::Gost512 ? "User GOST 512" : "User RSA";
  return issued(m().identities, shape.commonName, shape, ca());
}

const Identity& Pki::expired() {
  CertificateShape shape;
  shape.commonName = "Expired User";
  shape.notBeforeDays = -60;
  shape.notAfterDays = -30;
  return issued(m().identities, "expired", shape, ca());
}

const Identity& Pki::notYetValid() {
  CertificateShape shape;
  shape.commonName = "Future User";
  shape.notBeforeDays = 30;
  shape.notAfterDays = 60;
  return issued(m().identities, "future", shape, ca());
}

const Identity& Pki::revoked() {
  CertificateShape shape;
  shape.commonName = "Revoked User";
  return issued(m().identities, "revoked", shape, ca());
}

const Identity& Pki::stranger() {
  auto& ids = m().identities;
  if (!ids.count("other-ca")) {
    CertificateShape shape;
    shape.commonName = "Other CA";
    shape.ca = true;
    shape.keyUsage = "critical,keyCertSign,cRLSign";
    ids["other-ca"] = makeIdentity(shape, nullptr);
  }
  CertificateShape shape;
  shape.commonName = "Stranger";
  return issued(ids, "stranger", shape, ids["other-ca"]);
}

const Identity& Pki::noSigningUsage() {
  CertificateShape shape;
  shape.commonName = "Encipherment Only";
  shape.keyUsage = "critical,keyEncipherment";
  return issued(m().identities, "no-signing", shape, ca());
}

std::string Pki::crlPem() {
  const Identity& authority = ca();
  X509_CRL* crl = X509_CRL_new();
  X509_CRL_set_version(crl, 1);
  X509_CRL_set_issuer_name(crl, X509_get_subject_name(authority.cert.get()));
  ASN1_TIME* last = X509_gmtime_adj(nullptr, -86400L);
  ASN1_TIME* next = X509_gmtime_adj(nullptr, 30 * 86400L);
  X509_CRL_set1_lastUpdate(crl, last);
  X509_CRL_set1_nextUpdate(crl, next);
  X509_REVOKED* entry = X509_REVOKED_new();
  X509_REVOKED_set_serialNumber(entry, X509_get_serialNumber(revoked().cert.get()));
  X509_REVOKED_set_revocationDate(entry, last);
  X509_CRL_add0_revoked(crl, entry);
  X509_CRL_sort(crl);
  check(X509_CRL_sign(crl, authority.key.get(), digestFor(authority.key.get())) > 0, "CRL signature");
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509_CRL(bio, crl);
  std::string text = bioText(bio);
  BIO_free(bio);
  ASN1_TIME_free(last);
  ASN1_TIME_free(next);
  X509_CRL_free(crl);
  return text;
}

std::string Pki::requestPem() {
  KeyPtr key = makeKey(KeyKind::Gost256);
  X509_REQ* request = X509_REQ_new();
  X509_REQ_set_version(request, 0);
  X509_NAME* name = X509_REQ_get_subject_name(request);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>("Requester"), -1, -1,
                             0);
  X509_REQ_set_pubkey(request, key.get());
  check(X509_REQ_sign(request, key.get(), digestFor(key.get())) > 0, "request signature");
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509_REQ(bio, request);
  std::string text = bioText(bio);
  BIO_free(bio);
  X509_REQ_free(request);
  return text;
}

std::string certifyRequest(const std::string& request, const Identity& issuer) {
  BIO* in = BIO_new_mem_buf(request.data(), static_cast<int>(request.size()));
  X509_REQ* parsed = request.find("-----BEGIN") != std::string::npos ? PEM_read_bio_X509_REQ(in, nullptr, nullptr, nullptr)
                                                                    : d2i_X509_REQ_bio(in, nullptr);
  BIO_free(in);
  check(parsed != nullptr, "request to certify");
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), nextSerial());
  X509_gmtime_adj(X509_getm_notBefore(cert), -86400L);
  X509_gmtime_adj(X509_getm_notAfter(cert), 365 * 86400L);
  X509_set_subject_name(cert, X509_REQ_get_subject_name(parsed));
  X509_set_issuer_name(cert, X509_get_subject_name(issuer.cert.get()));
  X509_set_pubkey(cert, X509_REQ_get0_pubkey(parsed));
  check(X509_sign(cert, issuer.key.get(), digestFor(issuer.key.get())) > 0, "certificate of a request");
  BIO* out = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(out, cert);
  std::string text = bioText(out);
  BIO_free(out);
  X509_free(cert);
  X509_REQ_free(parsed);
  return text;
}

std::string readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFile(const std::filesystem::path& file, const std::string& bytes) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace dravik_test
