// Values between the page (NPVariant) and the plug-in (PB::variant). The
// way out is a table from the held type to its converter, built once.

#include <cstring>
#include <limits>
#include <map>
#include <new>
#include <typeinfo>

#include "NpapiCore/NPJavascriptObject.h"
#include "NpapiCore/NPObjectAPI.h"
#include "NpapiCore/NpapiBrowserHost.h"
#include "ScriptingCore/DOM/Window.h"

namespace PB {
namespace Npapi {

namespace {

using HostPtr = std::shared_ptr<NpapiBrowserHost>;
using Builder = NPVariant (*)(const HostPtr&, const variant&);

struct TypeOrder {
    bool operator()(const std::type_info* left, const std::type_info* right) const { return left->before(*right); }
};
using NPVariantBuilderMap = std::map<const std::type_info*, Builder, TypeOrder>;

NPVariant voidVariant()
{
    NPVariant out;
    out.type = NPVariantType_Void;
    return out;
}

NPVariant nullVariant()
{
    NPVariant out;
    out.type = NPVariantType_Null;
    return out;
}

// Takes over one browser reference of obj; Null for no object.
NPVariant objectVariant(NPObject* obj)
{
    if (!obj)
        return nullVariant();
    NPVariant out;
    out.type = NPVariantType_Object;
    out.value.objectValue = obj;
    return out;
}

// The text in a buffer of the browser's allocator, so that the browser may free it.
NPVariant stringVariant(const HostPtr& host, const std::string& text)
{
    if (text.size() >= std::numeric_limits<uint32_t>::max())
        throw std::bad_alloc();
    char* buffer = static_cast<char*>(host->MemAlloc(static_cast<uint32_t>(text.size() + 1)));
    if (!buffer)
        throw std::bad_alloc();
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    NPVariant out;
    out.type = NPVariantType_String;
    out.value.stringValue.UTF8Characters = buffer;
    out.value.stringValue.UTF8Length = static_cast<uint32_t>(text.size());
    return out;
}

NPVariant makeBool(const HostPtr&, const variant& value)
{
    NPVariant out;
    out.type = NPVariantType_Bool;
    out.value.boolValue = value.convert_cast<bool>();
    return out;
}

NPVariant makeInt(const HostPtr&, const variant& value)
{
    NPVariant out;
    out.type = NPVariantType_Int32;
    out.value.intValue = value.convert_cast<int>();
    return out;
}

NPVariant makeDouble(const HostPtr&, const variant& value)
{
    NPVariant out;
    out.type = NPVariantType_Double;
    out.value.doubleValue = value.convert_cast<double>();
    return out;
}

NPVariant makeString(const HostPtr& host, const variant& value)
{
    // A held string goes straight into the browser's buffer.
    if (const std::string* text = value.get_if<std::string>())
        return stringVariant(host, *text);
    return stringVariant(host, value.convert_cast<std::string>());
}

// long is 64 bits wide here: what does not fit a page Int32 goes as text,
// like the other 64-bit integers.
NPVariant makeLong(const HostPtr& host, const variant& value)
{
    const long number = value.cast<long>();
    if (number >= std::numeric_limits<int32_t>::min() && number <= std::numeric_limits<int32_t>::max())
        return makeInt(host, value);
    return makeString(host, value);
}

NPVariant makeNull(const HostPtr&, const variant&)
{
    return nullVariant();
}

NPVariant makeVoid(const HostPtr&, const variant&)
{
    return voidVariant();
}

std::shared_ptr<NPObjectAPI> pageWindow(const HostPtr& host)
{
    return std::dynamic_pointer_cast<NPObjectAPI>(host->getDOMWindow()->getJSObject());
}

NPVariant retainedObject(const HostPtr& host, const std::shared_ptr<NPObjectAPI>& object)
{
    if (!object || !object->getNPObject())
        return nullVariant();
    return objectVariant(host->RetainObject(object->getNPObject()));
}

NPVariant makeList(const HostPtr& host, const variant& value)
{
    std::shared_ptr<NPObjectAPI> window = pageWindow(host);
    if (!window)
        return nullVariant();
    const VariantList list = value.cast<VariantList>();
    // The page's Array(n) of a single number makes an empty array of length
    // n, so a one-element list is set in by index instead.
    const bool single = list.size() == 1;
    const variant made = window->invokeSync("Array", single ? VariantList() : list);
    std::shared_ptr<NPObjectAPI> array = std::dynamic_pointer_cast<NPObjectAPI>(made.convert_cast<JSObjectPtr>());
    if (array && single)
        array->setProperty(0, list[0]);
    return retainedObject(host, array);
}

NPVariant makeMap(const HostPtr& host, const variant& value)
{
    std::shared_ptr<NPObjectAPI> window = pageWindow(host);
    if (!window)
        return nullVariant();
    const variant made = window->invokeSync("Object", VariantList());
    std::shared_ptr<NPObjectAPI> object = std::dynamic_pointer_cast<NPObjectAPI>(made.convert_cast<JSObjectPtr>());
    if (object) {
        for (const auto& entry : value.cast<VariantMap>())
            object->setProperty(entry.first, entry.second);
    }
    return retainedObject(host, object);
}

NPVariant makeJSAPI(const HostPtr& host, const variant& value)
{
    const JSAPIPtr api = value.cast<JSAPIPtr>();
    if (!api)
        return nullVariant();
    if (auto page = std::dynamic_pointer_cast<NPObjectAPI>(api))
        return retainedObject(host, page);
    return objectVariant(host->getJSAPIWrapper(api, true));
}

NPVariant makeJSObject(const HostPtr& host, const variant& value)
{
    const JSObjectPtr object = value.cast<JSObjectPtr>();
    if (!object)
        return nullVariant();
    if (auto page = std::dynamic_pointer_cast<NPObjectAPI>(object))
        return retainedObject(host, page);
    return objectVariant(NPJavascriptObject::create(host, object, true));
}

NPVariant errorVariant(const HostPtr& host, const std::exception& e)
{
    // Without a page helper the page still learns the message.
    NPObject* error = nullptr;
    try {
        error = host->makeError(e);
    } catch (const std::exception&) {
    }
    if (error)
        return objectVariant(error);
    const char* message = e.what();
    return stringVariant(host, message && *message ? message : "Unknown exception");
}

NPVariant makeException(const HostPtr& host, const variant& value)
{
    return errorVariant(host, value.cast<std::exception>());
}

NPVariant makeExceptionPtr(const HostPtr& host, const variant& value)
{
    const std::exception_ptr error = value.cast<std::exception_ptr>();
    if (!error)
        return stringVariant(host, "Unknown exception");
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return errorVariant(host, e);
    } catch (...) {
        return stringVariant(host, "Unknown exception");
    }
}

const NPVariantBuilderMap& getNPVariantBuilderMap()
{
    static const NPVariantBuilderMap builders = {
        {&typeid(bool), &makeBool},
        {&typeid(int), &makeInt},
        {&typeid(long), &makeLong},
        {&typeid(unsigned int), &makeString},
        {&typeid(unsigned long), &makeString},
        {&typeid(long long), &makeString},
        {&typeid(unsigned long long), &makeString},
        {&typeid(double), &makeDouble},
        {&typeid(std::string), &makeString},
        {&typeid(std::wstring), &makeString},
        {&typeid(PBNull), &makeNull},
        {&typeid(variant_detail::null), &makeNull},
        {&typeid(variant_detail::empty), &makeVoid},
        {&typeid(VariantList), &makeList},
        {&typeid(VariantMap), &makeMap},
        {&typeid(JSAPIPtr), &makeJSAPI},
        {&typeid(JSObjectPtr), &makeJSObject},
        {&typeid(std::exception), &makeException},
        {&typeid(std::exception_ptr), &makeExceptionPtr},
    };
    return builders;
}

}  // namespace

void NpapiBrowserHost::getNPVariant(NPVariant* out, const variant& value)
{
    // Whatever is not converted reaches the page as undefined, never unset.
    out->type = NPVariantType_Void;
    const NPVariantBuilderMap& builders = getNPVariantBuilderMap();
    auto found = builders.find(&value.get_type());
    if (found == builders.end())
        return;
    *out = found->second(npapiShared(), value);
}

variant NpapiBrowserHost::getVariant(const NPVariant* value)
{
    switch (value->type) {
    case NPVariantType_Null:
        return variant(variant_detail::null());
    case NPVariantType_Bool:
        return variant(value->value.boolValue);
    case NPVariantType_Int32:
        return variant(static_cast<int>(value->value.intValue));
    case NPVariantType_Double:
        return variant(value->value.doubleValue);
    case NPVariantType_String: {
        const NPString& text = value->value.stringValue;
        if (!text.UTF8Characters)
            return variant(std::string());
        return variant(std::string(text.UTF8Characters, text.UTF8Length));
    }
    case NPVariantType_Object:
        if (!value->value.objectValue)
            return variant(variant_detail::null());
        return variant(JSObjectPtr(std::make_shared<NPObjectAPI>(value->value.objectValue, npapiShared())));
    default:
        return variant();
    }
}

}  // namespace Npapi
}  // namespace PB
