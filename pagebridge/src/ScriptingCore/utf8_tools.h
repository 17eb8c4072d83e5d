#pragma once
// Conversions between UTF-8 (the text form used everywhere inside) and the
// wide forms used at platform boundaries. wchar_t holds whole code points on
// this platform; UTF-16 is used where 16-bit units are the wire format.

#include <string>

namespace PB {

// Throws std::range_error("bad conversion") on invalid, overlong or truncated
// input. An encoded surrogate (ED A0 80 to ED BF BF) becomes its unit: page
// strings may hold lone surrogates, and they are passed on as they are.
std::wstring utf8_to_wstring(std::string utf8);

// Never fails: a surrogate unit is written as its own three bytes (no pair is
// joined); a value that is neither a code point nor a surrogate (negative,
// above 0x10FFFF) is written as U+FFFD.
std::string wstring_to_utf8(const std::wstring& wide);

// Characters beyond the Basic Multilingual Plane become surrogate pairs.
// Throws std::range_error("bad conversion") like utf8_to_wstring.
std::u16string utf8_to_utf16(std::string utf8);

}  // namespace PB
