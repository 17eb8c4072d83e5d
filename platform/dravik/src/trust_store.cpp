#include "trust_store.h"

#include <set>
#include <system_error>
#include <vector>

#include "api_call.h"
#include "certificates.h"
#include "file_bytes.h"
#include "clock.h"
#include "encoding.h"
#include "locations.h"

namespace dravik {
namespace {

struct Trust {
  std::vector<X509Ptr> authorities;
  std::vector<X509Ptr> intermediates;
  std::vector<CrlPtr> crls;
};

Trust& trust() {
  static Trust instance;
  return instance;
}

// The files at path: path itself, or the regular files of the folder in name
// order. 196 when nothing exists there.
std::vector<std::filesystem::path> sourceFiles(const char* path) {
  require(path != nullptr, DRAVIK_E_NULL_PARAM);
  std::error_code error;
  std::filesystem::path root = fileSystemPath(path);
  require(std::filesystem::exists(root, error), DRAVIK_E_CA_FILE_MISSING);
  if (!std::filesystem::is_directory(root, error)) return {root};
  std::set<std::filesystem::path> files;
  for (std::filesystem::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
    if (it->is_regular_file(error)) files.insert(it->path());
  }
  return {files.begin(), files.end()};
}

template <typename Ptr>
size_t loadInto(const char* path, std::vector<Ptr>& target, std::vector<Ptr> (*decode)(const std::string&)) {
  size_t loaded = 0;
  for (const std::filesystem::path& file : sourceFiles(path)) {
    std::string bytes;
    try {
      bytes = readFileBytes(file);
    } catch (const DravikError&) {
      continue;  // an unreadable file of a folder is skipped like a foreign one
    }
    for (Ptr& object : decode(bytes)) {
      target.push_back(std::move(object));
      ++loaded;
    }
  }
  return loaded;
}

bool inValidity(X509* certificate, int& code) {
  std::time_t at = now();
  int notBefore = X509_cmp_time(X509_get0_notBefore(certificate), &at);
  if (notBefore == 0) return code = DRAVIK_E_VERIFY_ERROR_NOT_BEFORE, false;
  if (notBefore > 0) return code = DRAVIK_E_VERIFY_NOT_YET_VALID, false;
  int notAfter = X509_cmp_time(X509_get0_notAfter(certificate), &at);
  if (notAfter == 0) return code = DRAVIK_E_VERIFY_ERROR_NOT_AFTER, false;
  if (notAfter < 0) return code = DRAVIK_E_VERIFY_EXPIRED, false;
  return true;
}

bool allowsSigning(X509* certificate) {
  if ((X509_get_extension_flags(certificate) & EXFLAG_KUSAGE) == 0) return true;
  return (X509_get_key_usage(certificate) & (KU_DIGITAL_SIGNATURE | KU_NON_REPUDIATION)) != 0;
}

int verifyChain(X509* certificate, uint32_t flags) {
  StorePtr store(X509_STORE_new());
  StoreCtxPtr context(X509_STORE_CTX_new());
  struct StackFree {
    void operator()(STACK_OF(X509) * stack) const { sk_X509_free(stack); }
  };
  // The stack only borrows the certificates, which trust() keeps.
  std::unique_ptr<STACK_OF(X509), StackFree> untrusted(sk_X509_new_null());
  require(store && context && untrusted, DRAVIK_E_MEMORY);
  for (const X509Ptr& authority : trust().authorities) X509_STORE_add_cert(store.get(), authority.get());
  for (const CrlPtr& crl : trust().crls) X509_STORE_add_crl(store.get(), crl.get());
  for (const X509Ptr& intermediate : trust().intermediates) sk_X509_push(untrusted.get(), intermediate.get());
  require(X509_STORE_CTX_init(context.get(), store.get(), certificate, untrusted.get()) == 1, DRAVIK_E_MEMORY);

  unsigned long checks = X509_V_FLAG_TRUSTED_FIRST;
  if (flags & (DRAVIK_VERIFY_CRL | DRAVIK_VERIFY_CRL_ALL)) checks |= X509_V_FLAG_CRL_CHECK;
  if (flags & DRAVIK_VERIFY_CRL_ALL) checks |= X509_V_FLAG_CRL_CHECK_ALL;
  if (flags & DRAVIK_VERIFY_PARTIAL_CHAIN) checks |= X509_V_FLAG_PARTIAL_CHAIN;
  X509_VERIFY_PARAM* parameters = X509_STORE_CTX_get0_param(context.get());
  X509_VERIFY_PARAM_set_flags(parameters, checks);
  X509_VERIFY_PARAM_set_time(parameters, now());
  if (X509_verify_cert(context.get()) == 1) return 0;
  return verifyCode(X509_STORE_CTX_get_error(context.get()));
}

}  // namespace

int verifyCode(int error) {
  if (error >= X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT && error <= X509_V_ERR_CERT_REVOKED) return error;
  switch (error) {
    case X509_V_OK:
      return 0;
    case X509_V_ERR_NO_ISSUER_PUBLIC_KEY:
      return DRAVIK_E_VERIFY_BAD_ISSUER_KEY;
    case X509_V_ERR_PATH_LENGTH_EXCEEDED:
    case X509_V_ERR_PATH_LOOP:
      return DRAVIK_E_VERIFY_CHAIN_TOO_LONG;
    case X509_V_ERR_INVALID_PURPOSE:
    case X509_V_ERR_KEYUSAGE_NO_CERTSIGN:
    case X509_V_ERR_KEYUSAGE_NO_CRL_SIGN:
    case X509_V_ERR_KEYUSAGE_NO_DIGITAL_SIGNATURE:
      return DRAVIK_E_VERIFY_KEY_USAGE;
    case X509_V_ERR_UNHANDLED_CRITICAL_EXTENSION:
      return DRAVIK_E_VERIFY_CRITICAL_EXTENSION;
    case X509_V_ERR_UNHANDLED_CRITICAL_CRL_EXTENSION:
      return DRAVIK_E_VERIFY_CRITICAL_CRL_EXTENSION;
    case X509_V_ERR_INVALID_CA:
    case X509_V_ERR_INVALID_NON_CA:
      return DRAVIK_E_VERIFY_NOT_CA;
    case X509_V_ERR_UNABLE_TO_GET_CRL_ISSUER:
    case X509_V_ERR_DIFFERENT_CRL_SCOPE:
    case X509_V_ERR_CRL_PATH_VALIDATION_ERROR:
      return DRAVIK_E_VERIFY_NO_CRL;
    case X509_V_ERR_SUBJECT_ISSUER_MISMATCH:
    case X509_V_ERR_AKID_SKID_MISMATCH:
    case X509_V_ERR_AKID_ISSUER_SERIAL_MISMATCH:
    case X509_V_ERR_STORE_LOOKUP:
      return DRAVIK_E_VERIFY_NO_ISSUER;
    case X509_V_ERR_OUT_OF_MEM:
      return DRAVIK_E_VERIFY_OUT_OF_MEMORY;
    default:
      // Untrusted, rejected, policy and every other refusal of the chain.
      return DRAVIK_E_VERIFY_UNTRUSTED;
  }
}

int verifyCertificate(X509* certificate, uint32_t flags) {
  int code = 0;
  if ((flags & DRAVIK_VERIFY_TIME) && !inValidity(certificate, code)) return code;
  if ((flags & DRAVIK_VERIFY_KEY_USAGE) && !allowsSigning(certificate)) return DRAVIK_E_VERIFY_KEY_USAGE;
  const uint32_t chainChecks = DRAVIK_VERIFY_CHAIN | DRAVIK_VERIFY_CRL | DRAVIK_VERIFY_CRL_ALL | DRAVIK_VERIFY_PARTIAL_CHAIN;
  if (flags & chainChecks) return verifyChain(certificate, flags);
  return 0;
}

void clearTrust() { trust() = Trust(); }

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API int AddCAs(const char* path) {
  return callInt("AddCAs", Needs::Init, Args().text("path", path), [&] {
    require(loadInto(path, trust().authorities, decodeCertificates) > 0, DRAVIK_E_CA_ADD);
    return 0;
  });
}

extern "C" DRAVIK_API int AddCertificates(const char* path) {
  return callInt("AddCertificates", Needs::Init, Args().text("path", path), [&] {
    require(loadInto(path, trust().intermediates, decodeCertificates) > 0, DRAVIK_E_CERT_READ);
    return 0;
  });
}

extern "C" DRAVIK_API int AddCRLs(const char* path) {
  return callInt("AddCRLs", Needs::Init, Args().text("path", path), [&] {
    require(loadInto(path, trust().crls, decodeCrls) > 0, DRAVIK_E_CRL_READ);
    return 0;
  });
}
