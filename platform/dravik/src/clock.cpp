#include "clock.h"

namespace dravik {
namespace {
std::optional<std::time_t> fixed;
}

std::time_t now() { return fixed ? *fixed : std::time(nullptr); }

std::optional<std::time_t> fixedTime() { return fixed; }

void setFixedTime(int64_t secondsSinceEpoch) {
  if (secondsSinceEpoch == 0)
    fixed.reset();
  else
    fixed = static_cast<std::time_t>(secondsSinceEpoch);
}

}  // namespace dravik
