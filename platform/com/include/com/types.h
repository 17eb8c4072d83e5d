// Basic COM types of our own COM layer.
//
// Conventions of the whole layer (stated once here):
// - HRESULT, DISPID, LONG and SCODE are int32_t; DWORD, ULONG and LCID are uint32_t (win32/types.h).
// - OLECHAR is a UTF-16 unit: BSTRs and the names and texts of OLE Automation (LPOLESTR) are
//   UTF-16. The URL-moniker interfaces keep the wide text (LPCWSTR, wchar_t, one code point per
//   character) of the Win32 layer.
// - Interfaces are structs of pure virtual functions deriving from IUnknown; they declare only the
//   members this system uses. They are not binary compatible with any other COM implementation.
// - Every HRESULT constant and GUID that the system relies on carries the published value.
#pragma once

#include <win32/types.h>

#include <cstdint>

typedef char16_t OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;
typedef OLECHAR* BSTR;

typedef int32_t SCODE;
typedef int32_t DISPID;
typedef DISPID MEMBERID;
typedef uint32_t LCID;
typedef uint16_t VARTYPE;
typedef int16_t VARIANT_BOOL;
typedef float FLOAT;
typedef double DOUBLE;
typedef double DATE;
typedef uint16_t CLIPFORMAT;
typedef void (*FARPROC)();

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)

#define LOCALE_SYSTEM_DEFAULT 0x0800
#define LOCALE_USER_DEFAULT 0x0400
#define LOCALE_NEUTRAL 0x0000
