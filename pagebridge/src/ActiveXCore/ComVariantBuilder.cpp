#include "ActiveXCore/ComVariantBuilder.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include <com/bstr.h>
#include <com/safearray.h>

#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ActiveXCore/ComError.h"
#include "ActiveXCore/IDispatchAPI.h"
#include "PluginCore/FactoryBase.h"
#include "ScriptingCore/DOM/Window.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {

namespace {

using Host = std::shared_ptr<ActiveXBrowserHost>;

template <typename T>
T readNumber(const variant& value)
{
    return value.convert_cast<T>();
}
template <>
char readNumber<char>(const variant& value)
{
    return value.cast<char>();
}
template <>
unsigned char readNumber<unsigned char>(const variant& value)
{
    return value.cast<unsigned char>();
}

template <typename T>
void makeComVariant(const Host&, const variant& value, VARIANT* out);

#define PB_SCALAR_BUILDER(Type, Tag, Field)                                 \
    template <>                                                             \
    void makeComVariant<Type>(const Host&, const variant& value, VARIANT* out) \
    {                                                                       \
        out->Field = static_cast<decltype(out->Field)>(readNumber<Type>(value)); \
        out->vt = Tag;                                                      \
    }

PB_SCALAR_BUILDER(char, VT_I1, cVal)
PB_SCALAR_BUILDER(unsigned char, VT_UI1, bVal)
PB_SCALAR_BUILDER(short, VT_I2, iVal)
PB_SCALAR_BUILDER(unsigned short, VT_UI2, uiVal)
PB_SCALAR_BUILDER(int, VT_I4, lVal)
PB_SCALAR_BUILDER(unsigned int, VT_UI4, ulVal)
// long is 64-bit here, yet leaves as a 32-bit VARIANT, as on the platform the
// page was written for.
PB_SCALAR_BUILDER(long, VT_I4, lVal)
PB_SCALAR_BUILDER(unsigned long, VT_UI4, ulVal)
PB_SCALAR_BUILDER(long long, VT_I8, llVal)
PB_SCALAR_BUILDER(unsigned long long, VT_UI8, ullVal)
PB_SCALAR_BUILDER(float, VT_R4, fltVal)
PB_SCALAR_BUILDER(double, VT_R8, dblVal)
#undef PB_SCALAR_BUILDER

template <>
void makeComVariant<bool>(const Host&, const variant& value, VARIANT* out)
{
    out->boolVal = value.convert_cast<bool>() ? VARIANT_TRUE : VARIANT_FALSE;
    out->vt = VT_BOOL;
}

void makeBstr(const std::u16string& units, VARIANT* out)
{
    // The text ends at its first NUL, as a NUL-terminated allocation does.
    out->bstrVal = SysAllocStringLen(units.data(), static_cast<UINT>(std::min(units.find(u'\0'), units.size())));
    if (!out->bstrVal)
        throw ComError(E_OUTOFMEMORY, "Out of memory");
    out->vt = VT_BSTR;
}

void makeBstr(const std::wstring& text, VARIANT* out)
{
    makeBstr(com::toUtf16(text), out);
}

template <>
void makeComVariant<std::wstring>(const Host&, const variant& value, VARIANT* out)
{
    makeBstr(value.convert_cast<std::wstring>(), out);
}

template <>
void makeComVariant<std::string>(const Host& host, const variant& value, VARIANT* out)
{
    const std::string* text = value.get_if<std::string>();
    if (!text) {
        makeComVariant<std::wstring>(host, value, out);
        return;
    }
    // Straight from UTF-8 to UTF-16, without a wide copy of a large text: an
    // ASCII text (most answers are) is widened into the BSTR itself, any
    // other is checked and converted as the wide read does it.
    if (std::all_of(text->begin(), text->end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        const std::size_t shown = std::min(text->find('\0'), text->size());
        out->bstrVal = SysAllocStringLen(nullptr, static_cast<UINT>(shown));
        if (!out->bstrVal)
            throw ComError(E_OUTOFMEMORY, "Out of memory");
        std::copy(text->begin(), text->begin() + static_cast<std::ptrdiff_t>(shown), out->bstrVal);
        out->vt = VT_BSTR;
        return;
    }
    // Two statements: the converter's copy of the text goes before the BSTR
    // is made.
    const std::u16string units = utf8_to_utf16(*text);
    makeBstr(units, out);
}

void makeDispatch(IDispatch* dispatch, VARIANT* out)
{
    dispatch->AddRef();
    out->pdispVal = dispatch;
    out->vt = VT_DISPATCH;
}

// A scriptable object: a page object as its own IDispatch, a plug-in object
// through the host's wrapper.
void makeApiVariant(const Host& host, const JSAPIPtr& api, bool autoRelease, VARIANT* out)
{
    if (!api) {
        out->vt = VT_NULL;
        return;
    }
    if (auto page = std::dynamic_pointer_cast<IDispatchAPI>(api)) {
        makeDispatch(page->getDispatch(), out);
        return;
    }
    com::ComPtr<IDispatchEx> wrapper = com::ComPtr<IDispatchEx>::adopt(host->getJSAPIWrapper(api, autoRelease));
    if (!wrapper)
        throw ComError(E_OUTOFMEMORY, "Could not make the object's COM face");
    makeDispatch(wrapper.get(), out);
}

template <>
void makeComVariant<std::shared_ptr<JSAPI>>(const Host& host, const variant& value, VARIANT* out)
{
    makeApiVariant(host, value.cast<std::shared_ptr<JSAPI>>(), true, out);
}

template <>
void makeComVariant<std::weak_ptr<JSAPI>>(const Host& host, const variant& value, VARIANT* out)
{
    makeApiVariant(host, value.convert_cast<std::shared_ptr<JSAPI>>(), false, out);
}

template <>
void makeComVariant<std::shared_ptr<JSObject>>(const Host& host, const variant& value, VARIANT* out)
{
    const JSObjectPtr object = value.cast<JSObjectPtr>();
    if (!object) {
        out->vt = VT_NULL;
        return;
    }
    if (auto page = std::dynamic_pointer_cast<IDispatchAPI>(object)) {
        makeDispatch(page->getDispatch(), out);
        return;
    }
    const JSAPIPtr api = value.convert_cast<std::shared_ptr<JSAPI>>();
    com::ComPtr<IDispatchEx> wrapper =
        com::ComPtr<IDispatchEx>::adopt(getPluginFactory()->createCOMJavascriptObject(host, api, true));
    if (!wrapper)
        throw ComError(E_OUTOFMEMORY, "Could not make the object's COM face");
    makeDispatch(wrapper.get(), out);
}

template <>
void makeComVariant<variant_detail::empty>(const Host&, const variant&, VARIANT* out)
{
    out->vt = VT_EMPTY;
}

template <>
void makeComVariant<PBNull>(const Host&, const variant&, VARIANT* out)
{
    out->vt = VT_NULL;
}

std::string exceptionText(const std::exception& e)
{
    const char* text = e.what();
    return (text && *text) ? text : "Unknown exception";
}

template <>
void makeComVariant<std::exception>(const Host&, const variant& value, VARIANT* out)
{
    makeBstr(utf8_to_wstring(exceptionText(value.cast<std::exception>())), out);
}

template <>
void makeComVariant<std::exception_ptr>(const Host&, const variant& value, VARIANT* out)
{
    std::string text = "Unknown exception";
    const std::exception_ptr error = value.cast<std::exception_ptr>();
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            text = exceptionText(e);
        } catch (...) {
        }
    }
    makeBstr(utf8_to_wstring(text), out);
}

// The page window's script object, when the host has a page window.
std::shared_ptr<IDispatchAPI> pageWindow(const Host& host)
{
    if (!host->hasPageWindow())
        return nullptr;
    const DOM::WindowPtr window = host->getDOMWindow();
    return window ? std::dynamic_pointer_cast<IDispatchAPI>(window->getJSObject()) : nullptr;
}

// A one-dimensional SAFEARRAY of the elements, made at its final size.
void makeSafeArray(const std::vector<const VARIANT*>& elements, VARIANT* out)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(elements.size()));
    if (!array)
        throw ComError(E_OUTOFMEMORY, "Could not make an array");
    for (std::size_t i = 0; i < elements.size(); ++i) {
        VARIANT* slot = static_cast<VARIANT*>(array->pvData) + i;
        if (FAILED(VariantCopyInd(slot, elements[i])))
            VariantInit(slot);
    }
    out->parray = array;
    out->vt = VT_ARRAY | VT_VARIANT;
}

// Converts a value with its builder; false when its type has none.
bool buildElement(const Host& host, const variant& value, VARIANT* out)
{
    const ComVariantBuilderMap& builders = getComVariantBuilderMap();
    auto found = builders.find(&value.get_type());
    if (found == builders.end())
        return false;
    found->second(host, value, out);
    return true;
}

template <>
void makeComVariant<VariantList>(const Host& host, const variant& value, VARIANT* out)
{
    const VariantList list = value.cast<VariantList>();
    if (std::shared_ptr<IDispatchAPI> window = pageWindow(host)) {
        const variant made = window->invokeSync("Array", list);
        auto array = std::dynamic_pointer_cast<IDispatchAPI>(made.cast<JSObjectPtr>());
        if (array)
            makeDispatch(array->getDispatch(), out);
        return;
    }
    // Elements of a type without builder are left out.
    com::VariantArray converted(list.size());
    std::vector<const VARIANT*> elements;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (buildElement(host, list[i], &converted[i]))
            elements.push_back(&converted[i]);
    }
    makeSafeArray(elements, out);
}

template <>
void makeComVariant<VariantMap>(const Host& host, const variant& value, VARIANT* out)
{
    const VariantMap map = value.cast<VariantMap>();
    if (std::shared_ptr<IDispatchAPI> window = pageWindow(host)) {
        const variant made = window->invokeSync("Object", VariantList());
        auto object = std::dynamic_pointer_cast<IDispatchAPI>(made.cast<JSObjectPtr>());
        if (!object)
            return;
        for (const auto& entry : map)
            object->setProperty(entry.first, entry.second);
        makeDispatch(object->getDispatch(), out);
        return;
    }
    // Key, value, key, value...; an entry whose value has no builder is left out.
    com::VariantArray converted(map.size() * 2);
    std::vector<const VARIANT*> elements;
    std::size_t slot = 0;
    for (const auto& entry : map) {
        VARIANT& key = converted[slot];
        VARIANT& item = converted[slot + 1];
        slot += 2;
        if (!buildElement(host, entry.second, &item))
            continue;
        makeBstr(utf8_to_wstring(entry.first), &key);
        elements.push_back(&key);
        elements.push_back(&item);
    }
    makeSafeArray(elements, out);
}

template <typename T>
void add(ComVariantBuilderMap& map)
{
    map[&typeid(T)] = &makeComVariant<T>;
}

ComVariantBuilderMap* buildMap()
{
    auto* map = new ComVariantBuilderMap();
    add<bool>(*map);
    add<char>(*map);
    add<unsigned char>(*map);
    add<short>(*map);
    add<unsigned short>(*map);
    add<int>(*map);
    add<unsigned int>(*map);
    add<long>(*map);
    add<unsigned long>(*map);
    add<long long>(*map);
    add<unsigned long long>(*map);
    add<float>(*map);
    add<double>(*map);
    add<std::string>(*map);
    add<std::wstring>(*map);
    add<VariantList>(*map);
    add<VariantMap>(*map);
    add<std::shared_ptr<JSAPI>>(*map);
    add<std::weak_ptr<JSAPI>>(*map);
    add<std::shared_ptr<JSObject>>(*map);
    add<variant_detail::empty>(*map);
    add<PBNull>(*map);
    add<std::exception>(*map);
    add<std::exception_ptr>(*map);
    return map;
}

}  // namespace

const ComVariantBuilderMap& getComVariantBuilderMap()
{
    static const std::unique_ptr<ComVariantBuilderMap> map(buildMap());
    return *map;
}

}  // namespace ActiveX
}  // namespace PB
