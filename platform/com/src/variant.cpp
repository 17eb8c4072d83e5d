#include <com/variant.h>

#include <com/bstr.h>
#include <com/dispatch.h>
#include <com/hresult.h>
#include <com/safearray.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

void VariantInit(VARIANT* value) {
  std::memset(value, 0, sizeof *value);
  value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* value) {
  if (!value) return E_INVALIDARG;
  HRESULT hr = S_OK;
  if (!(value->vt & VT_BYREF)) {
    if (value->vt & VT_ARRAY) {
      if (value->parray) hr = SafeArrayDestroy(value->parray);
    } else {
      switch (value->vt) {
        case VT_BSTR:
          SysFreeString(value->bstrVal);
          break;
        case VT_DISPATCH:
        case VT_UNKNOWN:
          if (value->punkVal) value->punkVal->Release();
          break;
        default:
          break;
      }
    }
  }
  if (FAILED(hr)) return hr;
  VariantInit(value);
  return S_OK;
}

HRESULT VariantCopy(VARIANT* dest, const VARIANT* source) {
  if (!dest || !source) return E_INVALIDARG;
  if (dest == source) return S_OK;
  VARIANT copy = *source;
  if (!(source->vt & VT_BYREF)) {
    if (source->vt & VT_ARRAY) {
      if (source->parray) {
        const HRESULT hr = SafeArrayCopy(source->parray, &copy.parray);
        if (FAILED(hr)) return hr;
      }
    } else if (source->vt == VT_BSTR) {
      if (source->bstrVal) {
        copy.bstrVal = SysAllocStringByteLen(reinterpret_cast<LPCSTR>(source->bstrVal), SysStringByteLen(source->bstrVal));
        if (!copy.bstrVal) return E_OUTOFMEMORY;
      }
    } else if (source->vt == VT_DISPATCH || source->vt == VT_UNKNOWN) {
      if (source->punkVal) source->punkVal->AddRef();
    }
  }
  const HRESULT hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&copy);
    return hr;
  }
  *dest = copy;
  return S_OK;
}

HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* source) {
  if (!dest || !source) return E_INVALIDARG;
  if (!(source->vt & VT_BYREF)) return VariantCopy(dest, source);
  const VARTYPE type = source->vt & ~VT_BYREF;
  VARIANT direct;
  VariantInit(&direct);
  direct.vt = type;
  if (type == VT_VARIANT) return VariantCopyInd(dest, source->pvarVal);
  if (!source->byref) return E_INVALIDARG;
  if (type & VT_ARRAY) {
    direct.parray = *static_cast<SAFEARRAY**>(source->byref);
  } else {
    switch (type) {
      case VT_I1: case VT_UI1: std::memcpy(&direct.bVal, source->byref, 1); break;
      case VT_I2: case VT_UI2: case VT_BOOL: std::memcpy(&direct.iVal, source->byref, 2); break;
      case VT_I4: case VT_UI4: case VT_INT: case VT_UINT: case VT_R4: case VT_ERROR:
        std::memcpy(&direct.lVal, source->byref, 4);
        break;
      case VT_I8: case VT_UI8: case VT_R8: case VT_CY: case VT_DATE: std::memcpy(&direct.llVal, source->byref, 8); break;
      case VT_DECIMAL: std::memcpy(&direct.decVal, source->byref, sizeof(DECIMAL)); break;
      case VT_BSTR: case VT_DISPATCH: case VT_UNKNOWN: std::memcpy(&direct.byref, source->byref, sizeof(void*)); break;
      default: return DISP_E_BADVARTYPE;
    }
  }
  return VariantCopy(dest, &direct);
}

namespace {

// A source value read into one of a few forms.
struct Scalar {
  enum class Kind { Signed, Unsigned, Real, Text, Empty } kind = Kind::Empty;
  LONGLONG i = 0;
  ULONGLONG u = 0;
  double d = 0;
  std::wstring text;
};

double decimalValue(const DECIMAL& value) {
  double result = static_cast<double>(value.Hi32) * 18446744073709551616.0 + static_cast<double>(value.Lo64);
  result /= std::pow(10.0, value.scale);
  return (value.sign & DECIMAL_NEG) ? -result : result;
}

HRESULT readSource(const VARIANT* source, Scalar* out) {
  using Kind = Scalar::Kind;
  switch (source->vt) {
    case VT_EMPTY: out->kind = Kind::Empty; return S_OK;
    case VT_I1: out->kind = Kind::Signed; out->i = source->cVal; return S_OK;
    case VT_I2: out->kind = Kind::Signed; out->i = source->iVal; return S_OK;
    case VT_I4: out->kind = Kind::Signed; out->i = source->lVal; return S_OK;
    case VT_INT: out->kind = Kind::Signed; out->i = source->intVal; return S_OK;
    case VT_I8: out->kind = Kind::Signed; out->i = source->llVal; return S_OK;
    case VT_ERROR: out->kind = Kind::Signed; out->i = source->scode; return S_OK;
    case VT_BOOL: out->kind = Kind::Signed; out->i = source->boolVal ? -1 : 0; return S_OK;
    case VT_UI1: out->kind = Kind::Unsigned; out->u = source->bVal; return S_OK;
    case VT_UI2: out->kind = Kind::Unsigned; out->u = source->uiVal; return S_OK;
    case VT_UI4: out->kind = Kind::Unsigned; out->u = source->ulVal; return S_OK;
    case VT_UINT: out->kind = Kind::Unsigned; out->u = source->uintVal; return S_OK;
    case VT_UI8: out->kind = Kind::Unsigned; out->u = source->ullVal; return S_OK;
    case VT_R4: out->kind = Kind::Real; out->d = source->fltVal; return S_OK;
    case VT_R8: out->kind = Kind::Real; out->d = source->dblVal; return S_OK;
    case VT_DECIMAL: out->kind = Kind::Real; out->d = decimalValue(source->decVal); return S_OK;
    case VT_BSTR: out->kind = Kind::Text; out->text = com::fromBstr(source->bstrVal); return S_OK;
    case VT_NULL:
    case VT_DISPATCH:
    case VT_UNKNOWN: return DISP_E_TYPEMISMATCH;
    default: return DISP_E_BADVARTYPE;
  }
}

std::wstring lowerAscii(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return text;
}

std::wstring trimmed(const std::wstring& text) {
  const std::size_t first = text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring::npos) return std::wstring();
  const std::size_t last = text.find_last_not_of(L" \t\r\n");
  return text.substr(first, last - first + 1);
}

// Text to a number: an integer when it reads as one, else a real.
HRESULT parseNumber(const std::wstring& source, Scalar* out) {
  const std::wstring text = trimmed(source);
  if (text.empty()) return DISP_E_TYPEMISMATCH;
  std::string narrow;
  for (wchar_t c : text) {
    if (c > 0x7F) return DISP_E_TYPEMISMATCH;
    narrow.push_back(static_cast<char>(c));
  }
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(narrow.c_str(), &end, 10);
  if (*end == '\0' && errno == 0) {
    out->kind = Scalar::Kind::Signed;
    out->i = value;
    return S_OK;
  }
  errno = 0;
  const double real = std::strtod(narrow.c_str(), &end);
  if (*end != '\0') return DISP_E_TYPEMISMATCH;
  if (errno == ERANGE && std::isinf(real)) return DISP_E_OVERFLOW;
  out->kind = Scalar::Kind::Real;
  out->d = real;
  return S_OK;
}

HRESULT toBool(const Scalar& value, bool* result) {
  switch (value.kind) {
    case Scalar::Kind::Empty: *result = false; return S_OK;
    case Scalar::Kind::Signed: *result = value.i != 0; return S_OK;
    case Scalar::Kind::Unsigned: *result = value.u != 0; return S_OK;
    case Scalar::Kind::Real: *result = value.d != 0; return S_OK;
    case Scalar::Kind::Text: {
      const std::wstring text = lowerAscii(trimmed(value.text));
      if (text == L"true" || text == L"#true#") { *result = true; return S_OK; }
      if (text == L"false" || text == L"#false#") { *result = false; return S_OK; }
      Scalar number;
      const HRESULT hr = parseNumber(value.text, &number);
      if (FAILED(hr)) return hr;
      return toBool(number, result);
    }
  }
  return DISP_E_TYPEMISMATCH;
}

// Whole numbers in a wide signed or unsigned form; reals rounded half to even.
HRESULT toSigned(const Scalar& value, LONGLONG low, LONGLONG high, LONGLONG* result) {
  switch (value.kind) {
    case Scalar::Kind::Empty: *result = 0; return S_OK;
    case Scalar::Kind::Signed:
      if (value.i < low || value.i > high) return DISP_E_OVERFLOW;
      *result = value.i;
      return S_OK;
    case Scalar::Kind::Unsigned:
      if (value.u > static_cast<ULONGLONG>(high)) return DISP_E_OVERFLOW;
      *result = static_cast<LONGLONG>(value.u);
      return S_OK;
    case Scalar::Kind::Real: {
      const double rounded = std::nearbyint(value.d);
      if (!(rounded >= static_cast<double>(low) && rounded <= static_cast<double>(high))) return DISP_E_OVERFLOW;
      *result = static_cast<LONGLONG>(rounded);
      return S_OK;
    }
    case Scalar::Kind::Text: {
      Scalar number;
      const HRESULT hr = parseNumber(value.text, &number);
      return FAILED(hr) ? hr : toSigned(number, low, high, result);
    }
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT toUnsigned(const Scalar& value, ULONGLONG high, ULONGLONG* result) {
  switch (value.kind) {
    case Scalar::Kind::Empty: *result = 0; return S_OK;
    case Scalar::Kind::Signed:
      if (value.i < 0 || static_cast<ULONGLONG>(value.i) > high) return DISP_E_OVERFLOW;
      *result = static_cast<ULONGLONG>(value.i);
      return S_OK;
    case Scalar::Kind::Unsigned:
      if (value.u > high) return DISP_E_OVERFLOW;
      *result = value.u;
      return S_OK;
    case Scalar::Kind::Real: {
      const double rounded = std::nearbyint(value.d);
      if (!(rounded >= 0 && rounded <= static_cast<double>(high))) return DISP_E_OVERFLOW;
      *result = static_cast<ULONGLONG>(rounded);
      return S_OK;
    }
    case Scalar::Kind::Text: {
      Scalar number;
      const HRESULT hr = parseNumber(value.text, &number);
      return FAILED(hr) ? hr : toUnsigned(number, high, result);
    }
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT toReal(const Scalar& value, double* result) {
  switch (value.kind) {
    case Scalar::Kind::Empty: *result = 0; return S_OK;
    case Scalar::Kind::Signed: *result = static_cast<double>(value.i); return S_OK;
    case Scalar::Kind::Unsigned: *result = static_cast<double>(value.u); return S_OK;
    case Scalar::Kind::Real: *result = value.d; return S_OK;
    case Scalar::Kind::Text: {
      Scalar number;
      const HRESULT hr = parseNumber(value.text, &number);
      return FAILED(hr) ? hr : toReal(number, result);
    }
  }
  return DISP_E_TYPEMISMATCH;
}

std::wstring widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

HRESULT toText(const Scalar& value, VARTYPE sourceType, USHORT flags, std::wstring* result) {
  switch (value.kind) {
    case Scalar::Kind::Empty: result->clear(); return S_OK;
    case Scalar::Kind::Signed:
      if (sourceType == VT_BOOL && (flags & VARIANT_ALPHABOOL)) {
        *result = value.i ? L"True" : L"False";
        return S_OK;
      }
      *result = widen(std::to_string(value.i));
      return S_OK;
    case Scalar::Kind::Unsigned: *result = widen(std::to_string(value.u)); return S_OK;
    case Scalar::Kind::Real: {
      char text[40];
      std::snprintf(text, sizeof text, "%.15g", value.d);
      *result = widen(text);
      return S_OK;
    }
    case Scalar::Kind::Text: *result = value.text; return S_OK;
  }
  return DISP_E_TYPEMISMATCH;
}

HRESULT convert(const Scalar& value, VARTYPE sourceType, USHORT flags, VARTYPE type, VARIANT* out) {
  VariantInit(out);
  LONGLONG i = 0;
  ULONGLONG u = 0;
  HRESULT hr = S_OK;
  switch (type) {
    case VT_I1: hr = toSigned(value, -128, 127, &i); out->cVal = static_cast<CHAR>(i); break;
    case VT_I2: hr = toSigned(value, -32768, 32767, &i); out->iVal = static_cast<SHORT>(i); break;
    case VT_I4:
    case VT_INT:
      hr = toSigned(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), &i);
      out->lVal = static_cast<LONG>(i);
      break;
    case VT_I8:
      hr = toSigned(value, std::numeric_limits<LONGLONG>::min(), std::numeric_limits<LONGLONG>::max(), &i);
      out->llVal = i;
      break;
    case VT_UI1: hr = toUnsigned(value, 0xFF, &u); out->bVal = static_cast<BYTE>(u); break;
    case VT_UI2: hr = toUnsigned(value, 0xFFFF, &u); out->uiVal = static_cast<USHORT>(u); break;
    case VT_UI4:
    case VT_UINT: hr = toUnsigned(value, 0xFFFFFFFFull, &u); out->ulVal = static_cast<ULONG>(u); break;
    case VT_UI8: hr = toUnsigned(value, std::numeric_limits<ULONGLONG>::max(), &u); out->ullVal = u; break;
    case VT_R4: {
      double d = 0;
      hr = toReal(value, &d);
      if (SUCCEEDED(hr) && std::fabs(d) > std::numeric_limits<float>::max() && !std::isinf(d)) hr = DISP_E_OVERFLOW;
      out->fltVal = static_cast<float>(d);
      break;
    }
    case VT_R8: hr = toReal(value, &out->dblVal); break;
    case VT_BOOL: {
      bool b = false;
      hr = toBool(value, &b);
      out->boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    }
    case VT_BSTR: {
      std::wstring text;
      hr = toText(value, sourceType, flags, &text);
      if (SUCCEEDED(hr)) {
        out->bstrVal = com::allocBstr(text);
        if (!out->bstrVal) hr = E_OUTOFMEMORY;
      }
      break;
    }
    default: return DISP_E_BADVARTYPE;
  }
  if (FAILED(hr)) {
    VariantInit(out);
    return hr;
  }
  out->vt = type;
  return S_OK;
}

}  // namespace

HRESULT VariantChangeType(VARIANT* dest, const VARIANT* source, USHORT flags, VARTYPE type) {
  if (!dest || !source) return E_INVALIDARG;
  if (source->vt == type) return VariantCopy(dest, source);
  Scalar value;
  HRESULT hr = readSource(source, &value);
  if (FAILED(hr)) return hr;
  VARIANT result;
  hr = convert(value, source->vt, flags, type, &result);
  if (FAILED(hr)) return hr;
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *dest = result;
  return S_OK;
}

namespace com {
VariantArray::VariantArray(std::size_t count) : m_items(count) {
  for (VARIANT& item : m_items) VariantInit(&item);
}

VariantArray::~VariantArray() {
  for (VARIANT& item : m_items) VariantClear(&item);
}

ExcepInfo::ExcepInfo() : EXCEPINFO() {}

void clearExcepInfo(EXCEPINFO* info) {
  if (!info) return;
  SysFreeString(info->bstrSource);
  SysFreeString(info->bstrDescription);
  SysFreeString(info->bstrHelpFile);
  std::memset(info, 0, sizeof *info);
}
}  // namespace com
