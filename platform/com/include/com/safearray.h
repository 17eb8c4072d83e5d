// SAFEARRAY: an array of OLE Automation values with its bounds.
#pragma once

#include <com/types.h>
#include <com/variant.h>

struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

// rgsabound holds cDims bounds, the leftmost dimension last, as on the platform.
struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  PVOID pvData;
  SAFEARRAYBOUND rgsabound[1];
};

#define FADF_BSTR 0x0100
#define FADF_UNKNOWN 0x0200
#define FADF_DISPATCH 0x0400
#define FADF_VARIANT 0x0800
#define FADF_HAVEVARTYPE 0x0080

// Element types: the integer and floating types, VT_BOOL, VT_ERROR, VT_CY, VT_DATE, VT_DECIMAL,
// VT_BSTR, VT_UNKNOWN, VT_DISPATCH and VT_VARIANT. Elements start zeroed (VT_EMPTY).
SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dims, const SAFEARRAYBOUND* bounds);
SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG elements);
// DISP_E_ARRAYISLOCKED while locked.
HRESULT SafeArrayDestroy(SAFEARRAY* array);
// Changes the count of the least significant (rightmost) dimension; elements beyond the new end
// are freed, new ones zeroed. DISP_E_ARRAYISLOCKED while locked.
HRESULT SafeArrayRedim(SAFEARRAY* array, const SAFEARRAYBOUND* bound);
HRESULT SafeArrayLock(SAFEARRAY* array);
HRESULT SafeArrayUnlock(SAFEARRAY* array);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
UINT SafeArrayGetDim(SAFEARRAY* array);
UINT SafeArrayGetElemsize(SAFEARRAY* array);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type);
// dim counts from 1, the leftmost dimension first.
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound);
// indices: one per dimension in the order of rgsabound (the rightmost dimension first), as on the
// platform. Elements are copied in and out (BSTRs, VARIANTs and interface references deeply);
// SafeArrayPutElement takes a BSTR or an interface pointer itself, anything else by address.
HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, const LONG* indices, void** element);
HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* value);
HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, void* value);
HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);
