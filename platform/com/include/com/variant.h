// VARIANT, the value of OLE Automation, and its functions.
#pragma once

#include <com/types.h>

#include <cstddef>
#include <vector>

struct IUnknown;
struct IDispatch;
struct SAFEARRAY;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_CLSID = 72,
  VT_VECTOR = 0x1000,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

struct DECIMAL {
  USHORT wReserved;
  BYTE scale;
  BYTE sign;
  ULONG Hi32;
  ULONGLONG Lo64;
};
#define DECIMAL_NEG ((BYTE)0x80)

struct CY {
  LONGLONG int64;
};

// The value sits in the union; DECIMAL is part of the union here instead of overlaying the type
// word.
struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONGLONG llVal;
    ULONGLONG ullVal;
    LONG lVal;
    ULONG ulVal;
    INT intVal;
    UINT uintVal;
    SHORT iVal;
    USHORT uiVal;
    CHAR cVal;
    BYTE bVal;
    FLOAT fltVal;
    DOUBLE dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    CY cyVal;
    DATE date;
    DECIMAL decVal;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    VARIANT* pvarVal;
    LONG* plVal;
    BSTR* pbstrVal;
    PVOID byref;
  };
};
typedef VARIANT VARIANTARG;

#define V_VT(v) ((v)->vt)

void VariantInit(VARIANT* value);
// Frees what the value owns (BSTR, interface reference, SAFEARRAY) and makes it VT_EMPTY;
// by-reference values own nothing.
HRESULT VariantClear(VARIANT* value);
// A deep copy into dest, which is cleared first.
HRESULT VariantCopy(VARIANT* dest, const VARIANT* source);
// As VariantCopy, following one VT_BYREF level.
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* source);

#define VARIANT_NOVALUEPROP 0x01
#define VARIANT_ALPHABOOL 0x02
// Converts to VT_I2, VT_I4, VT_I8, VT_UI1, VT_UI2, VT_UI4, VT_UI8, VT_R4, VT_R8, VT_BOOL,
// VT_BSTR, VT_INT, VT_UINT, VT_I1 from the scalar types, VT_BSTR, VT_BOOL, VT_ERROR, VT_DECIMAL,
// VT_EMPTY and VT_NULL (the latter only to VT_NULL): DISP_E_TYPEMISMATCH for text that is no
// number and for types it does not read (VT_DISPATCH, arrays, by-reference values),
// DISP_E_OVERFLOW out of range, DISP_E_BADVARTYPE for a target it does not make.
// dest may be source.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* source, USHORT flags, VARTYPE type);

namespace com {

// The owner of one VARIANT, cleared when it goes.
class Variant : public VARIANT {
 public:
  Variant() { VariantInit(this); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(this); }
};

// The owner of an array of VARIANTs (an argument block), each cleared when it goes.
class VariantArray {
 public:
  explicit VariantArray(std::size_t count);
  VariantArray(const VariantArray&) = delete;
  VariantArray& operator=(const VariantArray&) = delete;
  ~VariantArray();
  VARIANT* data() { return m_items.data(); }
  VARIANT& operator[](std::size_t index) { return m_items[index]; }
  std::size_t size() const { return m_items.size(); }

 private:
  std::vector<VARIANT> m_items;
};

}  // namespace com
