#pragma once
// For tests only: puts the process-wide configuration state back to its
// state at process start, so that tests do not depend on their order.

namespace ConfigurationTesting {

void reset();

}  // namespace ConfigurationTesting
