// The pieces the layer's text conversions share: reading UTF-16 by code
// point and writing a code point as UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace com {
namespace utf {

// Calls sink(code point) for each character of the UTF-16 text; a surrogate
// that is not part of a pair reads as U+FFFD.
template <typename Sink>
void forEachCodePoint(const char16_t* text, std::size_t length, Sink sink) {
  for (std::size_t i = 0; i < length; ++i) {
    const uint32_t unit = text[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      const uint32_t low = text[++i];
      sink(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
    } else if (unit >= 0xD800 && unit < 0xE000) {
      sink(0xFFFD);
    } else {
      sink(unit);
    }
  }
}

// Values above U+10FFFF are written as U+FFFD.
void appendUtf8(std::string& out, uint32_t code);

}  // namespace utf
}  // namespace com
