// BSTR: a UTF-16 string with its byte length stored in the four bytes before the text, and a
// NUL after it. A null BSTR is the empty string.
#pragma once

#include <com/types.h>

#include <string>

BSTR SysAllocString(LPCOLESTR text);
BSTR SysAllocStringLen(LPCOLESTR text, UINT length);
BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

namespace com {

// One place for the conversions between the wide text of the system (one code point per
// wchar_t) and UTF-16. Code points that are no character are written as U+FFFD.
std::u16string toUtf16(const std::wstring& text);
std::wstring fromUtf16(const char16_t* text, std::size_t length);
std::wstring fromUtf16(const std::u16string& text);
// UTF-8 for texts of the layer and its users; invalid sequences read as U+FFFD.
std::string toUtf8(const std::wstring& text);
// The same for UTF-16 text (a BSTR's), without a wide copy of it: what
// toUtf8(fromUtf16(text, length)) gives.
std::string toUtf8(const char16_t* text, std::size_t length);
std::wstring fromUtf8(const std::string& text);

// The whole BSTR (NULs included); empty for a null one.
std::wstring fromBstr(BSTR text);
// A new BSTR of the text; null when the allocation fails.
BSTR allocBstr(const std::wstring& text);

// The owner of one BSTR.
class Bstr {
 public:
  Bstr() = default;
  // Throws std::bad_alloc when the string cannot be allocated.
  explicit Bstr(const std::wstring& text);
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : m_text(other.detach()) {}
  Bstr& operator=(Bstr&& other) noexcept;
  ~Bstr() { SysFreeString(m_text); }

  static Bstr adopt(BSTR text);
  BSTR get() const { return m_text; }
  BSTR* put();
  BSTR detach();
  std::wstring text() const { return fromBstr(m_text); }

 private:
  BSTR m_text = nullptr;
};

}  // namespace com
