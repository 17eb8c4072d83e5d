#include <com/safearray.h>

#include <com/bstr.h>
#include <com/hresult.h>
#include <com/unknown.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The element type is kept in front of the descriptor.
struct Prefix {
  VARTYPE vt;
  std::max_align_t align;
};

ULONG elementSize(VARTYPE type) {
  switch (type) {
    case VT_I1: case VT_UI1: return 1;
    case VT_I2: case VT_UI2: case VT_BOOL: return 2;
    case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR: return 4;
    case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: return 8;
    case VT_DECIMAL: return sizeof(DECIMAL);
    case VT_BSTR: case VT_UNKNOWN: case VT_DISPATCH: return sizeof(void*);
    case VT_VARIANT: return sizeof(VARIANT);
    default: return 0;
  }
}

USHORT featuresOf(VARTYPE type) {
  switch (type) {
    case VT_BSTR: return FADF_BSTR | FADF_HAVEVARTYPE;
    case VT_UNKNOWN: return FADF_UNKNOWN | FADF_HAVEVARTYPE;
    case VT_DISPATCH: return FADF_DISPATCH | FADF_HAVEVARTYPE;
    case VT_VARIANT: return FADF_VARIANT | FADF_HAVEVARTYPE;
    default: return FADF_HAVEVARTYPE;
  }
}

VARTYPE typeOf(const SAFEARRAY* array) {
  return reinterpret_cast<const Prefix*>(reinterpret_cast<const unsigned char*>(array) - sizeof(Prefix))->vt;
}

std::size_t descriptorSize(UINT dims) {
  return offsetof(SAFEARRAY, rgsabound) + dims * sizeof(SAFEARRAYBOUND);
}

ULONGLONG elementCount(const SAFEARRAY* array) {
  ULONGLONG count = 1;
  for (USHORT i = 0; i < array->cDims; ++i) count *= array->rgsabound[i].cElements;
  return count;
}

// Frees what the elements own and zeroes them.
void clearElements(SAFEARRAY* array, ULONGLONG first, ULONGLONG count) {
  auto* data = static_cast<unsigned char*>(array->pvData);
  const VARTYPE type = typeOf(array);
  for (ULONGLONG i = first; i < first + count; ++i) {
    void* element = data + i * array->cbElements;
    if (type == VT_BSTR) {
      SysFreeString(*static_cast<BSTR*>(element));
    } else if (type == VT_UNKNOWN || type == VT_DISPATCH) {
      if (IUnknown* object = *static_cast<IUnknown**>(element)) object->Release();
    } else if (type == VT_VARIANT) {
      VariantClear(static_cast<VARIANT*>(element));
    }
    std::memset(element, 0, array->cbElements);
  }
}

HRESULT copyElement(VARTYPE type, ULONG size, void* dest, const void* source) {
  if (type == VT_BSTR) {
    BSTR text = *static_cast<const BSTR*>(source);
    BSTR copy = nullptr;
    if (text) {
      copy = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(text), SysStringByteLen(text));
      if (!copy) return E_OUTOFMEMORY;
    }
    *static_cast<BSTR*>(dest) = copy;
  } else if (type == VT_UNKNOWN || type == VT_DISPATCH) {
    IUnknown* object = *static_cast<IUnknown* const*>(source);
    if (object) object->AddRef();
    *static_cast<IUnknown**>(dest) = object;
  } else if (type == VT_VARIANT) {
    VariantInit(static_cast<VARIANT*>(dest));
    return VariantCopy(static_cast<VARIANT*>(dest), static_cast<const VARIANT*>(source));
  } else {
    std::memcpy(dest, source, size);
  }
  return S_OK;
}

}  // namespace

SAFEARRAY* SafeArrayCreate(VARTYPE type, UINT dims, const SAFEARRAYBOUND* bounds) {
  const ULONG size = elementSize(type);
  if (!size || dims == 0 || !bounds) return nullptr;
  auto* block = static_cast<unsigned char*>(std::calloc(1, sizeof(Prefix) + descriptorSize(dims)));
  if (!block) return nullptr;
  reinterpret_cast<Prefix*>(block)->vt = type;
  auto* array = reinterpret_cast<SAFEARRAY*>(block + sizeof(Prefix));
  array->cDims = static_cast<USHORT>(dims);
  array->fFeatures = featuresOf(type);
  array->cbElements = size;
  // The bounds are given leftmost first and kept rightmost first.
  for (UINT i = 0; i < dims; ++i) array->rgsabound[dims - 1 - i] = bounds[i];
  const ULONGLONG count = elementCount(array);
  array->pvData = std::calloc(count ? count : 1, size);
  if (!array->pvData) {
    std::free(block);
    return nullptr;
  }
  return array;
}

SAFEARRAY* SafeArrayCreateVector(VARTYPE type, LONG lowerBound, ULONG elements) {
  const SAFEARRAYBOUND bound{elements, lowerBound};
  return SafeArrayCreate(type, 1, &bound);
}

HRESULT SafeArrayDestroy(SAFEARRAY* array) {
  if (!array) return S_OK;
  if (array->cLocks) return DISP_E_ARRAYISLOCKED;
  clearElements(array, 0, elementCount(array));
  std::free(array->pvData);
  std::free(reinterpret_cast<unsigned char*>(array) - sizeof(Prefix));
  return S_OK;
}

HRESULT SafeArrayRedim(SAFEARRAY* array, const SAFEARRAYBOUND* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (array->cLocks) return DISP_E_ARRAYISLOCKED;
  const ULONGLONG oldCount = elementCount(array);
  ULONGLONG others = 1;
  for (USHORT i = 1; i < array->cDims; ++i) others *= array->rgsabound[i].cElements;
  const ULONGLONG newCount = others * bound->cElements;
  if (newCount < oldCount) clearElements(array, newCount, oldCount - newCount);
  void* data = std::realloc(array->pvData, (newCount ? newCount : 1) * array->cbElements);
  if (!data) return E_OUTOFMEMORY;
  array->pvData = data;
  if (newCount > oldCount)
    std::memset(static_cast<unsigned char*>(data) + oldCount * array->cbElements, 0,
                (newCount - oldCount) * array->cbElements);
  array->rgsabound[0] = *bound;
  return S_OK;
}

HRESULT SafeArrayLock(SAFEARRAY* array) {
  if (!array) return E_INVALIDARG;
  ++array->cLocks;
  return S_OK;
}

HRESULT SafeArrayUnlock(SAFEARRAY* array) {
  if (!array) return E_INVALIDARG;
  if (!array->cLocks) return E_UNEXPECTED;
  --array->cLocks;
  return S_OK;
}

HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data) {
  if (!array || !data) return E_INVALIDARG;
  SafeArrayLock(array);
  *data = array->pvData;
  return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* array) { return SafeArrayUnlock(array); }

UINT SafeArrayGetDim(SAFEARRAY* array) { return array ? array->cDims : 0; }

UINT SafeArrayGetElemsize(SAFEARRAY* array) { return array ? array->cbElements : 0; }

HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* type) {
  if (!array || !type) return E_INVALIDARG;
  *type = typeOf(array);
  return S_OK;
}

HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dim < 1 || dim > array->cDims) return DISP_E_BADINDEX;
  *bound = array->rgsabound[array->cDims - dim].lLbound;
  return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* bound) {
  if (!array || !bound) return E_INVALIDARG;
  if (dim < 1 || dim > array->cDims) return DISP_E_BADINDEX;
  const SAFEARRAYBOUND& b = array->rgsabound[array->cDims - dim];
  *bound = b.lLbound + static_cast<LONG>(b.cElements) - 1;
  return S_OK;
}

HRESULT SafeArrayPtrOfIndex(SAFEARRAY* array, const LONG* indices, void** element) {
  if (!array || !indices || !element) return E_INVALIDARG;
  ULONGLONG offset = 0;
  ULONGLONG stride = 1;
  // The leftmost dimension (last in rgsabound) varies fastest.
  for (int k = array->cDims - 1; k >= 0; --k) {
    const SAFEARRAYBOUND& b = array->rgsabound[k];
    const LONGLONG at = static_cast<LONGLONG>(indices[k]) - b.lLbound;
    if (at < 0 || at >= static_cast<LONGLONG>(b.cElements)) return DISP_E_BADINDEX;
    offset += static_cast<ULONGLONG>(at) * stride;
    stride *= b.cElements;
  }
  *element = static_cast<unsigned char*>(array->pvData) + offset * array->cbElements;
  return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* array, const LONG* indices, void* value) {
  if (!value) return E_INVALIDARG;
  void* element = nullptr;
  const HRESULT hr = SafeArrayPtrOfIndex(array, indices, &element);
  if (FAILED(hr)) return hr;
  return copyElement(typeOf(array), array->cbElements, value, element);
}

HRESULT SafeArrayPutElement(SAFEARRAY* array, const LONG* indices, void* value) {
  void* element = nullptr;
  HRESULT hr = SafeArrayPtrOfIndex(array, indices, &element);
  if (FAILED(hr)) return hr;
  const VARTYPE type = typeOf(array);
  // BSTRs and interfaces come as themselves, not by address.
  const void* source = value;
  if (type == VT_BSTR || type == VT_UNKNOWN || type == VT_DISPATCH) source = &value;
  else if (!value) return E_INVALIDARG;
  unsigned char fresh[sizeof(VARIANT)];
  hr = copyElement(type, array->cbElements, fresh, source);
  if (FAILED(hr)) return hr;
  const ULONGLONG index =
      static_cast<ULONGLONG>(static_cast<unsigned char*>(element) - static_cast<unsigned char*>(array->pvData)) /
      array->cbElements;
  clearElements(array, index, 1);
  std::memcpy(element, fresh, array->cbElements);
  return S_OK;
}

HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy) {
  if (!array || !copy) return E_INVALIDARG;
  *copy = nullptr;
  std::vector<SAFEARRAYBOUND> bounds(array->cDims);
  for (USHORT i = 0; i < array->cDims; ++i) bounds[i] = array->rgsabound[array->cDims - 1 - i];
  SAFEARRAY* result = SafeArrayCreate(typeOf(array), array->cDims, bounds.data());
  if (!result) return E_OUTOFMEMORY;
  const ULONGLONG count = elementCount(array);
  for (ULONGLONG i = 0; i < count; ++i) {
    const HRESULT hr = copyElement(typeOf(array), array->cbElements,
                                   static_cast<unsigned char*>(result->pvData) + i * array->cbElements,
                                   static_cast<unsigned char*>(array->pvData) + i * array->cbElements);
    if (FAILED(hr)) {
      SafeArrayDestroy(result);
      return hr;
    }
  }
  result->fFeatures = array->fFeatures;
  *copy = result;
  return S_OK;
}
