#pragma once
// Joining promises: one call when every promise of a list has resolved.

#include <functional>
#include <vector>

#include "ScriptingCore/Promise.h"

namespace PB {

// Calls f with the values in list order once all promises resolve and hands
// f's own promise on; the first rejection rejects the whole and f is never
// called. Throws "Promise invalid" when a promise of the list has no state.
Promise<variant> callWhenAllResolved(std::vector<Promise<variant>> promises,
                                     std::function<Promise<variant>(std::vector<variant>)> f);

}  // namespace PB
