// Owning pointers for OpenSSL objects, so that every exit path frees them.
#pragma once

#include <openssl/bio.h>
#include <openssl/cms.h>
#include <openssl/evp.h>
#include <openssl/pkcs12.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <string>

namespace dravik {

template <typename T, void (*Free)(T*)>
struct OsslDeleter {
  void operator()(T* p) const { Free(p); }
};

using BioPtr = std::unique_ptr<BIO, OsslDeleter<BIO, BIO_free_all>>;
using X509Ptr = std::unique_ptr<X509, OsslDeleter<X509, X509_free>>;
using CrlPtr = std::unique_ptr<X509_CRL, OsslDeleter<X509_CRL, X509_CRL_free>>;
using ReqPtr = std::unique_ptr<X509_REQ, OsslDeleter<X509_REQ, X509_REQ_free>>;
using CmsPtr = std::unique_ptr<CMS_ContentInfo, OsslDeleter<CMS_ContentInfo, CMS_ContentInfo_free>>;
using StorePtr = std::unique_ptr<X509_STORE, OsslDeleter<X509_STORE, X509_STORE_free>>;
using StoreCtxPtr = std::unique_ptr<X509_STORE_CTX, OsslDeleter<X509_STORE_CTX, X509_STORE_CTX_free>>;
using P8InfoPtr =
    std::unique_ptr<PKCS8_PRIV_KEY_INFO, OsslDeleter<PKCS8_PRIV_KEY_INFO, PKCS8_PRIV_KEY_INFO_free>>;
using X509SigPtr = std::unique_ptr<X509_SIG, OsslDeleter<X509_SIG, X509_SIG_free>>;
using KeyPtr = std::shared_ptr<EVP_PKEY>;

inline KeyPtr shareKey(EVP_PKEY* key) { return KeyPtr(key, EVP_PKEY_free); }

inline void freeBasicConstraints(BASIC_CONSTRAINTS* bc) { BASIC_CONSTRAINTS_free(bc); }
using BasicConstraintsPtr =
    std::unique_ptr<BASIC_CONSTRAINTS, OsslDeleter<BASIC_CONSTRAINTS, freeBasicConstraints>>;

// A memory BIO over bytes the caller keeps alive.
inline BioPtr readOnlyBio(const void* data, size_t length) {
  return BioPtr(BIO_new_mem_buf(data, static_cast<int>(length)));
}

// The bytes written so far into a memory BIO.
inline std::string bioBytes(BIO* bio) {
  char* data = nullptr;
  long length = BIO_get_mem_data(bio, &data);
  return length > 0 ? std::string(data, static_cast<size_t>(length)) : std::string();
}

}  // namespace dravik
