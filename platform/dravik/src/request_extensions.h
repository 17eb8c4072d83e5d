// The extensions of the certificate request being built (process-wide).
// Request generation (a later version) writes them into each request.
#pragma once

#include <string>
#include <vector>

namespace dravik {

struct RequestExtensions {
  bool hasBasicConstraints = false;
  bool ca = false;
  bool basicConstraintsCritical = false;
  std::vector<std::string> extendedKeyUsages;  // dotted OIDs, in the order added
  bool extendedKeyUsageCritical = false;
};

const RequestExtensions& requestExtensions();
void resetRequestExtensions();

}  // namespace dravik
