// The library's notion of now: the system clock, or a time set by the test
// control.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>

namespace dravik {

std::time_t now();
// The time set by the test control, if any.
std::optional<std::time_t> fixedTime();
void setFixedTime(int64_t secondsSinceEpoch);  // 0 returns to the clock

}  // namespace dravik
