#pragma once
// Conversions between UTF-8 (the text form used everywhere inside) and the
// wide forms used at platform boundaries. wchar_t holds whole code points on
// this platform; UTF-16 is used where 16-bit units are the wire format.

#include <string>

namespace PB {

// Throws std::range_error("bad conversion") on invalid, overlong or truncated input.
std::wstring utf8_to_wstring(std::string utf8);

// Throws std::range_error("bad conversion") for values that are no code point
// (above 0x10FFFF). Lone surrogates are written as three-byte sequences.
std::string wstring_to_utf8(const std::wstring& wide);

// Characters beyond the Basic Multilingual Plane become surrogate pairs.
// Throws std::range_error("bad conversion") like utf8_to_wstring.
std::u16string utf8_to_utf16(std::string utf8);

}  // namespace PB
