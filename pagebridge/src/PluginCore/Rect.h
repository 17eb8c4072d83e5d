#pragma once

#include <cstdint>

namespace PB {

// A rectangle in the order the windows report it: top, left, bottom, right.
struct Rect {
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t bottom = 0;
    std::int32_t right = 0;
};

}  // namespace PB
