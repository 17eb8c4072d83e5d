#include <com/bstr.h>

#include <com/memory.h>

#include <cstdlib>
#include <cstring>
#include <new>

#include "utf.h"

namespace {
// The prefix holds the byte length; the text is followed by a two-byte NUL (and a spare byte for
// odd byte lengths).
BSTR allocate(UINT bytes) {
  auto* block = static_cast<unsigned char*>(CoTaskMemAlloc(sizeof(uint32_t) + bytes + sizeof(OLECHAR) + 1));
  if (!block) return nullptr;
  const uint32_t length = bytes;
  std::memcpy(block, &length, sizeof length);
  std::memset(block + sizeof(uint32_t) + bytes, 0, sizeof(OLECHAR) + 1);
  return reinterpret_cast<BSTR>(block + sizeof(uint32_t));
}

unsigned char* blockOf(BSTR text) { return reinterpret_cast<unsigned char*>(text) - sizeof(uint32_t); }
}  // namespace

BSTR SysAllocString(LPCOLESTR text) {
  if (!text) return nullptr;
  UINT length = 0;
  while (text[length]) ++length;
  return SysAllocStringLen(text, length);
}

BSTR SysAllocStringLen(LPCOLESTR text, UINT length) {
  BSTR result = allocate(length * sizeof(OLECHAR));
  if (result && text) std::memcpy(result, text, length * sizeof(OLECHAR));
  else if (result) std::memset(result, 0, length * sizeof(OLECHAR));
  return result;
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length) {
  BSTR result = allocate(length);
  if (result && bytes) std::memcpy(result, bytes, length);
  return result;
}

void SysFreeString(BSTR text) {
  if (text) CoTaskMemFree(blockOf(text));
}

UINT SysStringByteLen(BSTR text) {
  if (!text) return 0;
  uint32_t length;
  std::memcpy(&length, blockOf(text), sizeof length);
  return length;
}

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

namespace com {

std::u16string toUtf16(const std::wstring& text) {
  std::u16string result;
  result.reserve(text.size());
  for (wchar_t c : text) {
    auto code = static_cast<uint32_t>(c);
    if (code > 0x10FFFF) code = 0xFFFD;
    if (code >= 0x10000) {
      code -= 0x10000;
      result.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
      result.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
    } else {
      result.push_back(static_cast<char16_t>(code));
    }
  }
  return result;
}

std::wstring fromUtf16(const char16_t* text, std::size_t length) {
  std::wstring result;
  result.reserve(length);
  utf::forEachCodePoint(text, length, [&result](uint32_t code) { result.push_back(static_cast<wchar_t>(code)); });
  return result;
}

std::wstring fromUtf16(const std::u16string& text) { return fromUtf16(text.data(), text.size()); }

std::wstring fromBstr(BSTR text) { return text ? fromUtf16(text, SysStringLen(text)) : std::wstring(); }

BSTR allocBstr(const std::wstring& text) {
  const std::u16string utf16 = toUtf16(text);
  return SysAllocStringLen(utf16.data(), static_cast<UINT>(utf16.size()));
}

Bstr::Bstr(const std::wstring& text) : m_text(allocBstr(text)) {
  if (!m_text) throw std::bad_alloc();
}

Bstr& Bstr::operator=(Bstr&& other) noexcept {
  if (this != &other) {
    SysFreeString(m_text);
    m_text = other.detach();
  }
  return *this;
}

Bstr Bstr::adopt(BSTR text) {
  Bstr result;
  result.m_text = text;
  return result;
}

BSTR* Bstr::put() {
  SysFreeString(m_text);
  m_text = nullptr;
  return &m_text;
}

BSTR Bstr::detach() {
  BSTR text = m_text;
  m_text = nullptr;
  return text;
}

}  // namespace com
