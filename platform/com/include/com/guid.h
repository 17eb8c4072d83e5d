// GUIDs, their registry text form ("{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}") and the IID of
// each interface type.
#pragma once

#include <com/types.h>

#include <string>

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

bool operator==(const GUID& left, const GUID& right);
inline bool operator!=(const GUID& left, const GUID& right) { return !(left == right); }
bool operator<(const GUID& left, const GUID& right);
inline bool IsEqualGUID(REFGUID left, REFGUID right) { return left == right; }
inline bool IsEqualIID(REFIID left, REFIID right) { return left == right; }
inline bool IsEqualCLSID(REFCLSID left, REFCLSID right) { return left == right; }

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_NULL = GUID_NULL;

// Writes the braced form and its NUL; answers the characters written with the NUL, or 0 when
// maxLength is below 39.
int StringFromGUID2(REFGUID guid, LPOLESTR text, int maxLength);
// Reads the braced form (hex digits of either case); CO_E_CLASSSTRING for anything else.
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
HRESULT IIDFromString(LPCOLESTR text, IID* iid);

namespace com {

// The braced form, upper-case hex digits.
std::wstring guidText(REFGUID guid);
// false for anything that is not a braced GUID.
bool parseGuid(const std::wstring& text, GUID* guid);

// The IID of an interface type, declared next to the interface with COM_DECLARE_IID.
template <typename Interface>
struct InterfaceId;

template <typename Interface>
inline const IID& iidOf()
{
  return InterfaceId<Interface>::value;
}

}  // namespace com

#define COM_DECLARE_IID(Interface, ...)                   \
  inline constexpr IID IID_##Interface = __VA_ARGS__;     \
  namespace com {                                         \
  template <>                                             \
  struct InterfaceId<Interface> {                         \
    static constexpr const IID& value = IID_##Interface;  \
  };                                                      \
  }
