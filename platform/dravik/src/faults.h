// Results forced by the test control onto chosen calls.
#pragma once

#include <optional>
#include <string>

namespace dravik {

// Counts this call of function; the forced code when one was set for it.
std::optional<int> takeForcedResult(const char* function);
// False when function is not a forcible library function or nth is 0.
bool forceResult(const std::string& function, unsigned nth, int code);
void clearForcedResults();

}  // namespace dravik
