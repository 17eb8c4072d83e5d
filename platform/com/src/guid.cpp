#include <com/guid.h>

#include <com/bstr.h>
#include <com/hresult.h>

#include <cstdio>
#include <cstring>
#include <cwctype>
#include <tuple>

bool operator==(const GUID& left, const GUID& right) {
  return left.Data1 == right.Data1 && left.Data2 == right.Data2 && left.Data3 == right.Data3 &&
         std::memcmp(left.Data4, right.Data4, sizeof left.Data4) == 0;
}

bool operator<(const GUID& left, const GUID& right) {
  if (left.Data1 != right.Data1) return left.Data1 < right.Data1;
  if (left.Data2 != right.Data2) return left.Data2 < right.Data2;
  if (left.Data3 != right.Data3) return left.Data3 < right.Data3;
  return std::memcmp(left.Data4, right.Data4, sizeof left.Data4) < 0;
}

namespace com {

std::wstring guidText(REFGUID guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return std::wstring(text, text + std::strlen(text));
}

namespace {
bool hexDigits(const std::wstring& text, std::size_t at, std::size_t count, uint64_t* value) {
  *value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    const wchar_t c = text[i];
    int digit;
    if (c >= L'0' && c <= L'9')
      digit = c - L'0';
    else if (c >= L'a' && c <= L'f')
      digit = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F')
      digit = c - L'A' + 10;
    else
      return false;
    *value = (*value << 4) | static_cast<uint64_t>(digit);
  }
  return true;
}
}  // namespace

bool parseGuid(const std::wstring& text, GUID* guid) {
  // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
  if (text.size() != 38 || text[0] != L'{' || text[37] != L'}' || text[9] != L'-' || text[14] != L'-' ||
      text[19] != L'-' || text[24] != L'-')
    return false;
  GUID result{};
  uint64_t value;
  if (!hexDigits(text, 1, 8, &value)) return false;
  result.Data1 = static_cast<uint32_t>(value);
  if (!hexDigits(text, 10, 4, &value)) return false;
  result.Data2 = static_cast<uint16_t>(value);
  if (!hexDigits(text, 15, 4, &value)) return false;
  result.Data3 = static_cast<uint16_t>(value);
  const std::size_t bytes[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!hexDigits(text, bytes[i], 2, &value)) return false;
    result.Data4[i] = static_cast<uint8_t>(value);
  }
  *guid = result;
  return true;
}

}  // namespace com

int StringFromGUID2(REFGUID guid, LPOLESTR text, int maxLength) {
  if (!text || maxLength < 39) return 0;
  const std::u16string wide = com::toUtf16(com::guidText(guid));
  std::copy(wide.begin(), wide.end(), text);
  text[wide.size()] = 0;
  return static_cast<int>(wide.size()) + 1;
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
  if (!clsid) return E_INVALIDARG;
  if (!text) return CO_E_CLASSSTRING;
  std::u16string utf16(text);
  if (!com::parseGuid(com::fromUtf16(utf16), clsid)) return CO_E_CLASSSTRING;
  return S_OK;
}

HRESULT IIDFromString(LPCOLESTR text, IID* iid) {
  const HRESULT hr = CLSIDFromString(text, iid);
  return hr == CO_E_CLASSSTRING ? E_INVALIDARG : hr;
}
