#include <com/bstr.h>

#include <cstdint>
#include <cstring>

#include "utf.h"

namespace com {

void utf::appendUtf8(std::string& out, uint32_t code) {
  if (code > 0x10FFFF) code = 0xFFFD;
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

std::string toUtf8(const std::wstring& text) {
  std::string result;
  for (wchar_t c : text) utf::appendUtf8(result, static_cast<uint32_t>(c));
  return result;
}

std::string toUtf8(const char16_t* text, std::size_t length) {
  // A leading ASCII stretch (all of most texts) is found four units at a
  // time and narrowed in one go.
  std::size_t ascii = 0;
  for (uint64_t units; ascii + 4 <= length; ascii += 4) {
    std::memcpy(&units, text + ascii, sizeof units);
    if (units & 0xFF80FF80FF80FF80ULL) break;
  }
  while (ascii < length && text[ascii] < 0x80) ++ascii;
  std::string result(text, text + ascii);
  if (ascii == length) return result;
  result.reserve(length);
  utf::forEachCodePoint(text + ascii, length - ascii, [&result](uint32_t code) { utf::appendUtf8(result, code); });
  return result;
}

std::wstring fromUtf8(const std::string& text) {
  std::wstring result;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    uint32_t code = extra <= 0 ? lead : lead & (0x3F >> extra);
    bool valid = extra >= 0;
    for (int k = 1; valid && k <= extra; ++k) {
      if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
        valid = false;
      else
        code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    if (!valid || code > 0x10FFFF) {
      result.push_back(L'\xFFFD');
      ++i;
      continue;
    }
    result.push_back(static_cast<wchar_t>(code));
    i += static_cast<std::size_t>(extra) + 1;
  }
  return result;
}

}  // namespace com
