// The subject name of the certificate request being built (process-wide):
// its attributes in the order they were set, each its own RDN.
#pragma once

#include "ossl.h"

namespace dravik {

// The subject so far (never null; an empty name when nothing was set).
X509_NAME* requestSubject();
void resetRequestSubject();

}  // namespace dravik
