#pragma once
// Text conversions at the toolkit's edges: the device table and dravik speak
// UTF-8, the windows wide text. Input that is no valid UTF-8 gives an empty
// text rather than an exception inside a window procedure or a library
// callback; wide text always converts (a value that is no code point
// becomes U+FFFD).

#include <string>

std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const std::wstring& text);
