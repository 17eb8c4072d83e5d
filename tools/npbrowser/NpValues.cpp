// Values between the page and the plug-in: page::Value on the page's side,
// NPVariant on the plug-in's. Numbers that are whole and fit go as Int32,
// the rest as Double; strings are copied into blocks of NPN_MemAlloc.

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "NpBrowser.h"
#include "PageObject.h"
#include "PluginMethod.h"
#include "PluginObject.h"

namespace npbrowser {

namespace {

NPVariant voidVariant()
{
    NPVariant out;
    out.type = NPVariantType_Void;
    return out;
}

NPVariant objectVariant(NPObject* obj)
{
    NPVariant out;
    out.type = obj ? NPVariantType_Object : NPVariantType_Null;
    out.value.objectValue = obj;
    return out;
}

NPVariant numberVariant(double number)
{
    NPVariant out;
    const bool whole = std::isfinite(number) && std::floor(number) == number &&
                       number >= std::numeric_limits<int32_t>::min() &&
                       number <= std::numeric_limits<int32_t>::max() && !(number == 0 && std::signbit(number));
    if (whole) {
        out.type = NPVariantType_Int32;
        out.value.intValue = static_cast<int32_t>(number);
    } else {
        out.type = NPVariantType_Double;
        out.value.doubleValue = number;
    }
    return out;
}

}  // namespace

NPObject* NpBrowser::pageObject(page::ObjectId handle)
{
    NPObject* obj = m_objects.create(nullptr, &PageObject::pageClass);
    if (!obj) {
        m_page.release(handle);
        throw std::bad_alloc();
    }
    PageObject::of(obj)->handle = handle;
    return obj;
}

NPVariant NpBrowser::stringVariant(const std::string& text)
{
    if (text.size() >= std::numeric_limits<uint32_t>::max())
        throw std::bad_alloc();
    char* buffer = static_cast<char*>(m_memory.allocate(static_cast<uint32_t>(text.size() + 1)));
    if (!buffer)
        throw std::bad_alloc();
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    NPVariant out;
    out.type = NPVariantType_String;
    out.value.stringValue.UTF8Characters = buffer;
    out.value.stringValue.UTF8Length = static_cast<uint32_t>(text.size());
    return out;
}

NPVariant NpBrowser::toVariant(const page::Value& value)
{
    NPVariant out = voidVariant();
    switch (value.type()) {
    case page::Value::Type::Undefined:
        break;
    case page::Value::Type::Null:
        out.type = NPVariantType_Null;
        break;
    case page::Value::Type::Boolean:
        out.type = NPVariantType_Bool;
        out.value.boolValue = value.asBoolean();
        break;
    case page::Value::Type::Number:
        out = numberVariant(value.asNumber());
        break;
    case page::Value::Type::String:
        out = stringVariant(value.asString());
        break;
    case page::Value::Type::Array:
    case page::Value::Type::Object: {
        // A script object made from the value, as a page would pass it.
        const page::Value made = callHelper("box", {value});
        m_page.release(value);
        out = made.is(page::Value::Type::Ref) ? objectVariant(pageObject(made.refId())) : voidVariant();
        break;
    }
    case page::Value::Type::Ref:
        out = objectVariant(pageObject(value.refId()));
        break;
    case page::Value::Type::Host: {
        // The plug-in's own object goes back as itself; a method read off it
        // has no NPObject of its own and goes as undefined.
        const auto wrapper = std::dynamic_pointer_cast<PluginObject>(value.hostObject());
        NPObject* obj = wrapper ? wrapper->object() : nullptr;
        if (obj && m_objects.live(obj)) {
            m_objects.retain(obj);
            out = objectVariant(obj);
        }
        break;
    }
    }
    return out;
}

page::Value NpBrowser::borrow(const NPVariant& value)
{
    switch (value.type) {
    case NPVariantType_Void:
        return page::Value();
    case NPVariantType_Null:
        return page::Value::null();
    case NPVariantType_Bool:
        return page::Value::boolean(value.value.boolValue);
    case NPVariantType_Int32:
        return page::Value::number(value.value.intValue);
    case NPVariantType_Double:
        return page::Value::number(value.value.doubleValue);
    case NPVariantType_String: {
        const NPString& text = value.value.stringValue;
        return page::Value::string(text.UTF8Characters ? std::string(text.UTF8Characters, text.UTF8Length)
                                                       : std::string());
    }
    case NPVariantType_Object: {
        NPObject* obj = value.value.objectValue;
        if (!obj)
            return page::Value::null();
        if (!usable(obj, "an NPVariant"))
            return page::Value();
        if (const PageObject* pageObj = PageObject::of(obj))
            return pageObj->value();
        return page::Value::host(wrap(obj));
    }
    }
    fault("an NPVariant of unknown type " + std::to_string(static_cast<int>(value.type)));
    return page::Value();
}

page::Value NpBrowser::toScript(const NPVariant& value)
{
    const page::Value borrowed = borrow(value);
    if (!borrowed.is(page::Value::Type::Ref))
        return borrowed;
    // The script gets the object once the call returns; this handle goes after that.
    const page::Value shared = m_page.share(borrowed);
    page::Page& owner = m_page;
    m_page.post([&owner, shared] { owner.release(shared); });
    return shared;
}

void NpBrowser::releaseVariant(NPVariant& value, const char* entry)
{
    if (value.type == NPVariantType_String) {
        void* text = const_cast<NPUTF8*>(value.value.stringValue.UTF8Characters);
        if (text && !m_memory.free(text))
            fault(std::string(entry) + " on a string the browser did not allocate");
    } else if (value.type == NPVariantType_Object) {
        NPObject* obj = value.value.objectValue;
        if (obj && usable(obj, entry))
            m_objects.release(obj);
    }
    value.type = NPVariantType_Void;
}

bool NpBrowser::usable(const NPObject* obj, const char* entry)
{
    if (obj && m_objects.live(obj))
        return true;
    fault(std::string(entry) + (obj ? " with an object that is no longer alive" : " without an object"));
    return false;
}

std::shared_ptr<PluginObject> NpBrowser::wrap(NPObject* obj)
{
    auto found = m_wrappers.find(obj);
    if (found != m_wrappers.end()) {
        std::shared_ptr<PluginObject> wrapper = found->second.lock();
        if (wrapper && wrapper->object() == obj)
            return wrapper;
    }
    m_objects.retain(obj);
    auto wrapper = std::make_shared<PluginObject>(weak_from_this(), obj);
    m_wrappers[obj] = wrapper;
    return wrapper;
}

void NpBrowser::unwrapped(NPObject* obj, bool holding)
{
    auto found = m_wrappers.find(obj);
    if (found != m_wrappers.end() && found->second.expired())
        m_wrappers.erase(found);
    if (!holding)
        return;
    // Wrappers go inside the script engine's collection: the plug-in is
    // called from the loop instead.
    std::weak_ptr<NpBrowser> self = weak_from_this();
    m_page.post([self, obj] {
        std::shared_ptr<NpBrowser> browser = self.lock();
        if (browser && browser->m_objects.live(obj))
            browser->m_objects.release(obj);
    });
}

}  // namespace npbrowser
