// Code-page conversion: the system code pages are UTF-8, wide text is UTF-32.
#include <win32/kernel.h>

#include <string>

namespace {

bool isUtf8Page(UINT codePage) {
  return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ||
         codePage == CP_UTF8;
}

bool validCodePoint(uint32_t c) { return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

// Decodes one UTF-8 sequence at text[i]; returns false for an invalid one (i moves past the bad
// bytes).
bool decodeUtf8(const unsigned char* text, size_t size, size_t& i, uint32_t& out) {
  unsigned char lead = text[i];
  if (lead < 0x80) {
    out = lead;
    ++i;
    return true;
  }
  size_t length;
  uint32_t value;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    value = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    value = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    value = lead & 0x07;
  } else {
    ++i;
    return false;
  }
  size_t j = 1;
  for (; j < length; ++j) {
    if (i + j >= size || (text[i + j] & 0xC0) != 0x80) {
      i += j;
      return false;
    }
    value = (value << 6) | (text[i + j] & 0x3F);
  }
  i += length;
  static const uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < minimum[length] || !validCodePoint(value)) return false;
  out = value;
  return true;
}

void encodeUtf8(uint32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByte, int multiByteLength,
                        LPWSTR wide, int wideLength) {
  if (!isUtf8Page(codePage) || !multiByte || multiByteLength == 0 || multiByteLength < -1 ||
      wideLength < 0 || (wideLength > 0 && !wide)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  size_t size = multiByteLength == -1 ? std::char_traits<char>::length(multiByte) + 1
                                      : static_cast<size_t>(multiByteLength);
  const auto* bytes = reinterpret_cast<const unsigned char*>(multiByte);
  std::wstring result;
  for (size_t i = 0; i < size;) {
    uint32_t c;
    if (!decodeUtf8(bytes, size, i, c)) {
      if (flags & MB_ERR_INVALID_CHARS) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
      }
      c = 0xFFFD;
    }
    result += static_cast<wchar_t>(c);
  }
  if (wideLength == 0) return static_cast<int>(result.size());
  if (result.size() > static_cast<size_t>(wideLength)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  result.copy(wide, result.size());
  return static_cast<int>(result.size());
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideLength, LPSTR multiByte,
                        int multiByteLength, LPCSTR defaultChar, LPBOOL usedDefaultChar) {
  if (!isUtf8Page(codePage) || !wide || wideLength == 0 || wideLength < -1 ||
      multiByteLength < 0 || (multiByteLength > 0 && !multiByte) || defaultChar ||
      usedDefaultChar) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (flags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_INVALID_FLAGS);
    return 0;
  }
  size_t size = wideLength == -1 ? std::char_traits<wchar_t>::length(wide) + 1
                                 : static_cast<size_t>(wideLength);
  std::string result;
  for (size_t i = 0; i < size; ++i) {
    uint32_t c = static_cast<uint32_t>(wide[i]);
    if (!validCodePoint(c)) {
      if (flags & WC_ERR_INVALID_CHARS) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
      }
      c = 0xFFFD;
    }
    encodeUtf8(c, result);
  }
  if (multiByteLength == 0) return static_cast<int>(result.size());
  if (result.size() > static_cast<size_t>(multiByteLength)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  result.copy(multiByte, result.size());
  return static_cast<int>(result.size());
}
