// The extensions of the certificate request being built (process-wide).
// Key generation writes them into each request it makes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace dravik {

struct CertificatePolicy {
  std::string oid;     // dotted
  std::string cpsUri;  // empty: no qualifier
};

struct RequestExtensions {
  bool hasBasicConstraints = false;
  bool ca = false;
  bool basicConstraintsCritical = false;
  std::vector<std::string> extendedKeyUsages;  // dotted OIDs, in the order added
  bool extendedKeyUsageCritical = false;
  uint32_t keyUsage = 0;  // DRAVIK_KEY_USAGE_* bits; 0: no extension
  bool keyUsageCritical = false;
  std::vector<CertificatePolicy> policies;  // in the order added
  bool subjectSignTool = false;
};

const RequestExtensions& requestExtensions();
void resetRequestExtensions();

}  // namespace dravik
