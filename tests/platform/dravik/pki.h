// Test material made at run time with OpenSSL (and the GOST engine the
// library loaded): keys, a GOST CA, certificates in every state the tests
// need, a CRL and a certificate request.
#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <filesystem>
#include <memory>
#include <string>

namespace dravik_test {

enum class KeyKind { Gost256, Gost512, Rsa };

using KeyPtr = std::shared_ptr<EVP_PKEY>;
using CertPtr = std::shared_ptr<X509>;

struct Identity {
  KeyPtr key;
  CertPtr cert;

  std::string certPem() const;
  std::string certDer() const;
  std::string keyPem() const;  // unencrypted PKCS#8
  std::string encryptedKeyPem(const std::string& password) const;
  std::string serialHex() const;
};

struct CertificateShape {
  std::string commonName;
  KeyKind kind = KeyKind::Gost256;
  long notBeforeDays = -1;  // relative to now
  long notAfterDays = 365;
  bool ca = false;
  const char* keyUsage = "critical,digitalSignature,nonRepudiation";
  long serial = 0;  // 0: a fresh one
  bool emptySubject = false;  // a subject without any attribute (commonName unused)
};

KeyPtr makeKey(KeyKind kind);
// Issued by issuer, or self-signed when issuer is null.
Identity makeIdentity(const CertificateShape& shape, const Identity* issuer);

// The material most tests share, made on first use in the process.
class Pki {
 public:
  static Pki& get();
  const Identity& ca();
  const Identity& user(KeyKind kind);
  const Identity& expired();
  const Identity& notYetValid();
  const Identity& revoked();
  const Identity& stranger();        // issued by a CA the tests never load
  const Identity& noSigningUsage();  // key usage without digital signature
  std::string crlPem();              // by ca(), listing revoked()
  std::string requestPem();          // PKCS#10, GOST 256

 private:
  struct Material;
  std::shared_ptr<Material> material_;
  Material& m();
};

// A certificate (PEM) for the public key and subject of a request (PEM or
// DER), issued by issuer.
std::string certifyRequest(const std::string& request, const Identity& issuer);

std::string readFile(const std::filesystem::path& file);
void writeFile(const std::filesystem::path& file, const std::string& bytes);

}  // namespace dravik_test
