#include "PageObject.h"

#include <exception>
#include <vector>

#include "Identifiers.h"
#include "NpBrowser.h"

namespace npbrowser {

namespace {

PageObject* self(NPObject* obj)
{
    return static_cast<PageObject*>(obj);
}

// A page operation for the plug-in: false (nothing in *result) when the
// browser has gone or the script fails, as a script error does in a browser.
template <typename Operation>
bool onPage(NPVariant* result, Operation operation)
{
    if (result)
        result->type = NPVariantType_Void;
    NpBrowser* browser = NpBrowser::active();
    if (!browser)
        return false;
    try {
        page::Value value = operation(*browser);
        if (result)
            *result = browser->toVariant(value);
        else
            browser->page().release(value);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<page::Value> borrowed(NpBrowser& browser, const NPVariant* args, uint32_t count)
{
    std::vector<page::Value> values;
    for (uint32_t i = 0; args && i < count; ++i)
        values.push_back(browser.borrow(args[i]));
    return values;
}

NPObject* allocate(NPP, NPClass*)
{
    return new PageObject();
}

void deallocate(NPObject* obj)
{
    if (NpBrowser* browser = NpBrowser::active())
        browser->page().release(self(obj)->handle);
    delete self(obj);
}

bool hasMethod(NPObject* obj, NPIdentifier name)
{
    NPVariant answer;
    if (!onPage(&answer, [&](NpBrowser& b) {
            return b.callHelper("isMethod", {self(obj)->value(), page::Value::string(Identifiers::key(name))});
        }))
        return false;
    return answer.type == NPVariantType_Bool && answer.value.boolValue;
}

bool invoke(NPObject* obj, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result)
{
    return onPage(result, [&](NpBrowser& b) {
        return b.page().invoke(self(obj)->value(), Identifiers::key(name), borrowed(b, args, count));
    });
}

bool invokeDefault(NPObject* obj, const NPVariant* args, uint32_t count, NPVariant* result)
{
    return onPage(result, [&](NpBrowser& b) { return b.page().call(self(obj)->value(), borrowed(b, args, count)); });
}

bool hasProperty(NPObject* obj, NPIdentifier name)
{
    NPVariant answer;
    if (!onPage(&answer, [&](NpBrowser& b) {
            return b.callHelper("has", {self(obj)->value(), page::Value::string(Identifiers::key(name))});
        }))
        return false;
    return answer.type == NPVariantType_Bool && answer.value.boolValue;
}

bool getProperty(NPObject* obj, NPIdentifier name, NPVariant* result)
{
    return onPage(result, [&](NpBrowser& b) { return b.page().get(self(obj)->value(), Identifiers::key(name)); });
}

bool setProperty(NPObject* obj, NPIdentifier name, const NPVariant* value)
{
    return onPage(nullptr, [&](NpBrowser& b) {
        b.page().set(self(obj)->value(), Identifiers::key(name), b.borrow(*value));
        return page::Value();
    });
}

bool removeProperty(NPObject* obj, NPIdentifier name)
{
    bool removed = false;
    onPage(nullptr, [&](NpBrowser& b) {
        removed = b.page().remove(self(obj)->value(), Identifiers::key(name));
        return page::Value();
    });
    return removed;
}

bool enumerate(NPObject* obj, NPIdentifier** ids, uint32_t* count)
{
    *ids = nullptr;
    *count = 0;
    return onPage(nullptr, [&](NpBrowser& b) {
        const std::vector<std::string> keys = b.page().keys(self(obj)->value());
        auto* list = static_cast<NPIdentifier*>(
            b.memory().allocate(static_cast<uint32_t>(keys.size() * sizeof(NPIdentifier))));
        if (!list)
            throw std::bad_alloc();
        for (std::size_t i = 0; i < keys.size(); ++i)
            list[i] = Identifiers::instance().forKey(keys[i]);
        *ids = list;
        *count = static_cast<uint32_t>(keys.size());
        return page::Value();
    });
}

bool construct(NPObject* obj, const NPVariant* args, uint32_t count, NPVariant* result)
{
    return onPage(result, [&](NpBrowser& b) {
        return b.callHelper("construct", {self(obj)->value(), page::Value::array(borrowed(b, args, count))});
    });
}

}  // namespace

NPClass PageObject::pageClass = {
    NP_CLASS_STRUCT_VERSION, &allocate,       &deallocate,  nullptr,        &hasMethod,
    &invoke,                 &invokeDefault,  &hasProperty, &getProperty,   &setProperty,
    &removeProperty,         &enumerate,      &construct,
};

PageObject* PageObject::of(NPObject* obj)
{
    return obj && obj->_class == &pageClass ? static_cast<PageObject*>(obj) : nullptr;
}

const PageObject* PageObject::of(const NPObject* obj)
{
    return obj && obj->_class == &pageClass ? static_cast<const PageObject*>(obj) : nullptr;
}

}  // namespace npbrowser
