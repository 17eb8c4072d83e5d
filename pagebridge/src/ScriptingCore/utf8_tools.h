#pragma once
// Conversions between UTF-8 (the text form used everywhere inside) and the
// wide forms used at platform boundaries. wchar_t holds whole code points on
// this platform; UTF-16 is used where 16-bit units are the wire format.

#include <string>

namespace PB {

// Throws std::range_error("bad conversion") on invalid, overlong or truncated
// input and on encoded surrogates, which are no characters.
std::wstring utf8_to_wstring(std::string utf8);

// Never fails: a value that is no code point (negative, above 0x10FFFF, a
// lone surrogate) is written as U+FFFD.
std::string wstring_to_utf8(const std::wstring& wide);

// Characters beyond the Basic Multilingual Plane become surrogate pairs.
// Throws std::range_error("bad conversion") like utf8_to_wstring.
std::u16string utf8_to_utf16(std::string utf8);

}  // namespace PB
