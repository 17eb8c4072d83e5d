#include "ActiveXCore/ComVariantReader.h"

#include <com/bstr.h>

#include <algorithm>

#include "ActiveXCore/IDispatchAPI.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {

variant variantFromCom(const VARIANT* value, const std::shared_ptr<ActiveXBrowserHost>& host)
{
    // Converted into a zeroed temporary; a failed conversion reads as its zero value.
    auto changed = [value](VARTYPE type) {
        auto temporary = std::make_unique<com::Variant>();
        VariantChangeType(temporary.get(), value, 0, type);
        return temporary;
    };
    switch (value->vt) {
    case VT_EMPTY:
        return variant();
    case VT_NULL:
        return variant(PBNull());
    case VT_I2:
    case VT_I4:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_INT:
        return variant(static_cast<long>(changed(VT_I4)->lVal));
    case VT_R4:
    case VT_R8:
    case VT_DECIMAL:
        return variant(changed(VT_R8)->dblVal);
    case VT_BSTR: {
        // Straight from the page's UTF-16 to UTF-8, up to its first NUL:
        // a large text is neither copied nor widened on the way.
        const BSTR text = value->bstrVal;
        const std::size_t length = SysStringLen(text);
        return variant(com::toUtf8(text, static_cast<std::size_t>(std::find(text, text + length, u'\0') - text)));
    }
    case VT_LPSTR:
    case VT_LPWSTR:
    case VT_CLSID: {
        const std::wstring text = com::fromBstr(changed(VT_BSTR)->bstrVal);
        return variant(wstring_to_utf8(text.substr(0, text.find(L'\0'))));
    }
    case VT_DISPATCH:
        // A null object is the page's null.
        if (!value->pdispVal)
            return variant(PBNull());
        if (!host)
            return variant();
        return variant(JSObjectPtr(IDispatchAPI::create(value->pdispVal, host)));
    case VT_ERROR:
    case VT_BOOL:
        return variant(changed(VT_BOOL)->boolVal == VARIANT_TRUE);
    case VT_UI4:
    case VT_UINT:
        return variant(static_cast<unsigned long>(changed(VT_UI4)->ulVal));
    case VT_I8:
        return variant(static_cast<long long>(value->llVal));
    case VT_UI8:
        return variant(static_cast<unsigned long long>(value->ullVal));
    default:
        return variant();
    }
}

}  // namespace ActiveX
}  // namespace PB
