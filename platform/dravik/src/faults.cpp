#include "faults.h"

#include <map>
#include <set>
#include <vector>

namespace dravik {
namespace {

// Every exported function that returns a result (the release functions and
// the two queries of the last error and key name cannot be forced).
const std::set<std::string>& forcibleFunctions() {
  static const std::set<std::string> names = {
      "PKCS7Init", "PKCS7Final", "SetInputCodePage", "SetOutputCodePage", "SetOutputFormat",
      "InsertCertificateToSign", "InsertSigningTimeToSign", "GetPKCS7Flags", "SetPKCS7Flags",
      "GetCertificateVerifyFlags", "SetCertificateVerifyFlags", "GetCertificateRequestFlags",
      "SetCertificateRequestFlags", "SetBasicConstraints", "AddExtendedKeyUsage",
      "ResetExtensions", "SetKeysPasswordCallbackFun", "SetKeysNewPasswordCallbackFun",
      "SetPrivateKeyErrorCallbackFun", "SetPSEPasswordCallbackFun", "SetPSEErrorCallbackFun",
      "SetTokenPinCallbackFun", "CADB_set_device_request_callback", "AllocBuffer",
      "AddPSEPrivateKeyFromBufferEx", "ClearPrivateKeys", "ClearPrivateKeysAt", "GetSignCTX", "AddSigner",
      "SignBufferEx", "DK_GetCertificateContext", "DK_GetCertificateContextParam",
      "GetCertificateSubjectBuffer", "GetCertificateIssuerBuffer", "GetCertificateSerialBuffer",
      "GetCertificateNotBeforeBuffer", "GetCertificateNotAfterBuffer", "GetCertFingerprintBuffer",
      "GetCertificateInfoBufferEx", "ConvertEncodedObject", "AddCAs", "AddCertificates",
      "AddCRLs", "CADB_by_dir", "CADB_is_dir", "FileExists", "TokenInserted", "GetTokenInfo",
      "LogoutToken", "CopyCertificate", "SetNewKeysAlgorithm", "SetKeysLength", "SetKeyUsage",
      "AddCertificatePolicy", "SetSubjectSignTool", "SetDistinguishedNameAttribute", "ResetDistinguishedName",
      "PSE_Generation", "NewKeysGenerationEx", "PSE_ChangePassword", "PSE_Copy", "GetPrivateKeyAlgorithm",
      "CertAndPSEPrivateKeysMatchBuffer", "SetSignEncapsulatedContentType", "MakeRevocationRequest",
      "DK_GetRequestContext", "DK_GetRequestContextParam", "GetRequestFingerprintBuffer", "GetRequestInfoBuffer",
      "GetX509NameAttributeNumber", "GetX509NameAttributeOID", "GetX509NameAttributeValue", "GetX509NameString"};
  return names;
}

struct Forcing {
  unsigned long long target;  // the call count at which to fire
  int code;
};

struct Faults {
  std::map<std::string, unsigned long long> calls;
  std::map<std::string, std::vector<Forcing>> pending;
};

Faults& faults() {
  static Faults instance;
  return instance;
}

}  // namespace

std::optional<int> takeForcedResult(const char* function) {
  Faults& f = faults();
  unsigned long long count = ++f.calls[function];
  auto found = f.pending.find(function);
  if (found == f.pending.end()) return std::nullopt;
  std::vector<Forcing>& list = found->second;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it->target == count) {
      int code = it->code;
      list.erase(it);
      return code;
    }
  }
  return std::nullopt;
}

bool forceResult(const std::string& function, unsigned nth, int code) {
  if (nth == 0 || forcibleFunctions().count(function) == 0) return false;
  Faults& f = faults();
  f.pending[function].push_back(Forcing{f.calls[function] + nth, code});
  return true;
}

void clearForcedResults() {
  faults().calls.clear();
  faults().pending.clear();
}

}  // namespace dravik
