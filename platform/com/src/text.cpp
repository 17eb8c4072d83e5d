#include <com/bstr.h>

#include <cstdint>

namespace com {

std::string toUtf8(const std::wstring& text) {
  std::string result;
  for (wchar_t c : text) {
    auto code = static_cast<uint32_t>(c);
    if (code > 0x10FFFF) code = 0xFFFD;
    if (code < 0x80) {
      result.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      result.push_back(static_cast<char>(0xC0 | (code >> 6)));
      result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      result.push_back(static_cast<char>(0xE0 | (code >> 12)));
      result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      result.push_back(static_cast<char>(0xF0 | (code >> 18)));
      result.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
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
