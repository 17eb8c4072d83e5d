#include "hosts/NpBench.h"

#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <cstring>
#include <stdexcept>
#include <unordered_map>

#include "kit/Module.h"
#include "kit/Workspace.h"

namespace bench {

namespace {

struct Identifier {
    bool isString;
    std::string name;
    int32_t number;
};

std::unordered_map<std::string, std::unique_ptr<Identifier>>& stringIds()
{
    static std::unordered_map<std::string, std::unique_ptr<Identifier>> ids;
    return ids;
}

std::map<int32_t, std::unique_ptr<Identifier>>& intIds()
{
    static std::map<int32_t, std::unique_ptr<Identifier>> ids;
    return ids;
}

const Identifier& identifier(NPIdentifier id)
{
    return *static_cast<const Identifier*>(id);
}

std::deque<std::pair<void (*)(void*), void*>>& queue()
{
    static std::deque<std::pair<void (*)(void*), void*>> calls;
    return calls;
}

void releaseValue(NPVariant* value);

}  // namespace

// A page object: properties it owns and methods in C++.
struct NpBench::Object : NPObject {
    using Method = std::function<bool(const NPVariant* args, uint32_t count, NPVariant* result)>;

    ~Object()
    {
        for (auto& property : properties)
            releaseValue(&property.second);
    }

    // Takes over value.
    void set(const std::string& name, NPVariant value)
    {
        auto found = properties.find(name);
        if (found != properties.end())
            releaseValue(&found->second);
        properties[name] = value;
    }

    std::map<std::string, NPVariant> properties;
    std::map<std::string, Method> methods;
    // Set on page deferreds and their promises.
    std::shared_ptr<PageAnswer> settlement;

    static NPClass pageClass;
};

namespace {

using Object = NpBench::Object;

// The page's string value of text (the browser's own copy of it).
NPVariant stringValue(const std::string& text)
{
    NPVariant value;
    value.type = NPVariantType_String;
    auto* bytes = static_cast<NPUTF8*>(std::malloc(text.size() + 1));
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    value.value.stringValue.UTF8Characters = bytes;
    value.value.stringValue.UTF8Length = static_cast<uint32_t>(text.size());
    return value;
}

NPObject* allocate(NPP, NPClass*)
{
    return new Object();
}

void deallocate(NPObject* obj)
{
    delete static_cast<Object*>(obj);
}

bool hasMethod(NPObject* obj, NPIdentifier name)
{
    return static_cast<Object*>(obj)->methods.count(identifier(name).name) != 0;
}

bool invokeMethod(NPObject* obj, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result)
{
    result->type = NPVariantType_Void;
    auto& methods = static_cast<Object*>(obj)->methods;
    auto found = methods.find(identifier(name).name);
    return found != methods.end() && found->second(args, count, result);
}

bool hasProperty(NPObject* obj, NPIdentifier name)
{
    return static_cast<Object*>(obj)->properties.count(identifier(name).name) != 0;
}

NPVariant copyOf(const NPVariant& value);

bool getProperty(NPObject* obj, NPIdentifier name, NPVariant* result)
{
    result->type = NPVariantType_Void;
    auto& properties = static_cast<Object*>(obj)->properties;
    auto found = properties.find(identifier(name).name);
    if (found != properties.end())
        *result = copyOf(found->second);
    return true;
}

bool setProperty(NPObject* obj, NPIdentifier name, const NPVariant* value)
{
    static_cast<Object*>(obj)->set(identifier(name).name, copyOf(*value));
    return true;
}

}  // namespace

NPClass NpBench::Object::pageClass = {NP_CLASS_STRUCT_VERSION,
                                      &allocate,
                                      &deallocate,
                                      nullptr,
                                      &hasMethod,
                                      &invokeMethod,
                                      nullptr,
                                      &hasProperty,
                                      &getProperty,
                                      &setProperty,
                                      nullptr,
                                      nullptr,
                                      nullptr};

namespace {

// --- the browser's entries

NPObject* retainObject(NPObject* obj)
{
    if (obj)
        ++obj->referenceCount;
    return obj;
}

void releaseObject(NPObject* obj)
{
    if (!obj || --obj->referenceCount != 0)
        return;
    if (obj->_class && obj->_class->deallocate)
        obj->_class->deallocate(obj);
    else
        std::free(obj);
}

NPObject* createObject(NPP npp, NPClass* cls)
{
    NPObject* obj = cls && cls->allocate ? cls->allocate(npp, cls) : static_cast<NPObject*>(std::malloc(sizeof(NPObject)));
    obj->_class = cls;
    obj->referenceCount = 1;
    return obj;
}

void* memAlloc(uint32_t size)
{
    return std::malloc(size ? size : 1);
}

void memFree(void* block)
{
    std::free(block);
}

void releaseValue(NPVariant* value)
{
    if (value->type == NPVariantType_String)
        std::free(const_cast<NPUTF8*>(value->value.stringValue.UTF8Characters));
    else if (value->type == NPVariantType_Object)
        releaseObject(value->value.objectValue);
    value->type = NPVariantType_Void;
}

NPVariant copyOf(const NPVariant& value)
{
    NPVariant copy = value;
    if (value.type == NPVariantType_String) {
        const NPString& text = value.value.stringValue;
        char* bytes = static_cast<char*>(memAlloc(text.UTF8Length + 1));
        std::memcpy(bytes, text.UTF8Characters, text.UTF8Length);
        bytes[text.UTF8Length] = '\0';
        copy.value.stringValue.UTF8Characters = bytes;
    } else if (value.type == NPVariantType_Object) {
        retainObject(value.value.objectValue);
    }
    return copy;
}

NPVariant objectValue(NPObject* obj)
{
    NPVariant value;
    value.type = NPVariantType_Object;
    value.value.objectValue = obj;
    return value;
}

Object* newObject()
{
    return static_cast<Object*>(createObject(nullptr, &Object::pageClass));
}

NPObject* window = nullptr;
NPObject* element = nullptr;

NPError getValue(NPP, NPNVariable variable, void* value)
{
    switch (variable) {
    case NPNVWindowNPObject:
        *static_cast<NPObject**>(value) = retainObject(window);
        return NPERR_NO_ERROR;
    case NPNVPluginElementNPObject:
        *static_cast<NPObject**>(value) = retainObject(element);
        return NPERR_NO_ERROR;
    default:
        return NPERR_GENERIC_ERROR;
    }
}

NPError setValue(NPP, NPPVariable, void*)
{
    return NPERR_NO_ERROR;
}

NPIdentifier stringIdentifier(const NPUTF8* name)
{
    std::unique_ptr<Identifier>& id = stringIds()[name];
    if (!id)
        id.reset(new Identifier{true, name, 0});
    return id.get();
}

void stringIdentifiers(const NPUTF8** names, int32_t count, NPIdentifier* ids)
{
    for (int32_t i = 0; i < count; ++i)
        ids[i] = stringIdentifier(names[i]);
}

NPIdentifier intIdentifier(int32_t number)
{
    std::unique_ptr<Identifier>& id = intIds()[number];
    if (!id)
        id.reset(new Identifier{false, std::to_string(number), number});
    return id.get();
}

bool identifierIsString(NPIdentifier id)
{
    return identifier(id).isString;
}

NPUTF8* utf8FromIdentifier(NPIdentifier id)
{
    const std::string& name = identifier(id).name;
    char* text = static_cast<char*>(memAlloc(static_cast<uint32_t>(name.size() + 1)));
    std::memcpy(text, name.c_str(), name.size() + 1);
    return text;
}

int32_t intFromIdentifier(NPIdentifier id)
{
    return identifier(id).number;
}

bool invoke(NPP, NPObject* obj, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result)
{
    return obj && obj->_class->invoke && obj->_class->invoke(obj, name, args, count, result);
}

bool invokeDefault(NPP, NPObject* obj, const NPVariant* args, uint32_t count, NPVariant* result)
{
    return obj && obj->_class->invokeDefault && obj->_class->invokeDefault(obj, args, count, result);
}

// The page runs no scripts: its promise library is there from the start.
bool evaluate(NPP, NPObject*, NPString*, NPVariant* result)
{
    result->type = NPVariantType_Void;
    return false;
}

bool getPropertyEntry(NPP, NPObject* obj, NPIdentifier name, NPVariant* result)
{
    return obj && obj->_class->getProperty && obj->_class->getProperty(obj, name, result);
}

bool setPropertyEntry(NPP, NPObject* obj, NPIdentifier name, const NPVariant* value)
{
    return obj && obj->_class->setProperty && obj->_class->setProperty(obj, name, value);
}

bool hasPropertyEntry(NPP, NPObject* obj, NPIdentifier name)
{
    return obj && obj->_class->hasProperty && obj->_class->hasProperty(obj, name);
}

bool hasMethodEntry(NPP, NPObject* obj, NPIdentifier name)
{
    return obj && obj->_class->hasMethod && obj->_class->hasMethod(obj, name);
}

void setException(NPObject*, const NPUTF8*) {}

const char* userAgent(NPP)
{
    return "BenchBrowser/1.0";
}

void asyncCall(NPP, void (*function)(void*), void* data)
{
    queue().emplace_back(function, data);
}

// Records what the page deferred was settled with.
Object::Method settle(const std::shared_ptr<PageAnswer>& settlement, bool resolved)
{
    return [settlement, resolved](const NPVariant* args, uint32_t count, NPVariant*) {
        if (settlement->settled)
            return true;
        settlement->settled = true;
        settlement->resolved = resolved;
        if (count > 0 && args[0].type == NPVariantType_String) {
            const NPString& text = args[0].value.stringValue;
            settlement->length = text.UTF8Length;
            settlement->head.assign(text.UTF8Characters, std::min<uint32_t>(text.UTF8Length, 200));
        } else if (count > 0) {
            settlement->head = "(type " + std::to_string(args[0].type) + ")";
            if (args[0].type == NPVariantType_Int32)
                settlement->head = std::to_string(args[0].value.intValue);
        }
        return true;
    };
}

// What the promise library's PageBridgePromise makes: a deferred with its promise.
bool makeDeferred(const NPVariant*, uint32_t, NPVariant* result)
{
    Object* deferred = newObject();
    Object* promise = newObject();
    deferred->settlement = promise->settlement = std::make_shared<PageAnswer>();
    deferred->methods["resolve"] = settle(deferred->settlement, true);
    deferred->methods["reject"] = settle(deferred->settlement, false);
    deferred->set("promise", objectValue(promise));
    *result = objectValue(deferred);
    return true;
}

}  // namespace

NpBench::NpBench()
{
    if (window)
        throw std::logic_error("one benchmark browser at a time");
    Object* page = newObject();
    Object* location = newObject();
    location->set("href", stringValue(kPageUrl));
    page->set("location", objectValue(location));
    page->set("document", objectValue(newObject()));
    page->methods["PageBridgePromise"] = &makeDeferred;
    window = page;
    element = newObject();

    m_browser.size = sizeof(m_browser);
    m_browser.version = 27;
    m_browser.uagent = &userAgent;
    m_browser.memalloc = &memAlloc;
    m_browser.memfree = &memFree;
    m_browser.getvalue = &getValue;
    m_browser.setvalue = &setValue;
    m_browser.getstringidentifier = &stringIdentifier;
    m_browser.getstringidentifiers = &stringIdentifiers;
    m_browser.getintidentifier = &intIdentifier;
    m_browser.identifierisstring = &identifierIsString;
    m_browser.utf8fromidentifier = &utf8FromIdentifier;
    m_browser.intfromidentifier = &intFromIdentifier;
    m_browser.createobject = &createObject;
    m_browser.retainobject = &retainObject;
    m_browser.releaseobject = &releaseObject;
    m_browser.invoke = &invoke;
    m_browser.invokeDefault = &invokeDefault;
    m_browser.evaluate = &evaluate;
    m_browser.getproperty = &getPropertyEntry;
    m_browser.setproperty = &setPropertyEntry;
    m_browser.hasproperty = &hasPropertyEntry;
    m_browser.hasmethod = &hasMethodEntry;
    m_browser.releasevariantvalue = &releaseValue;
    m_browser.setexception = &setException;
    m_browser.pluginthreadasynccall = &asyncCall;

    const Module& module = Module::get();
    m_plugin.size = sizeof(m_plugin);
    if (module.entry<decltype(&NP_GetEntryPoints)>("NP_GetEntryPoints")(&m_plugin) != NPERR_NO_ERROR ||
        module.entry<decltype(&NP_Initialize)>("NP_Initialize")(&m_browser) != NPERR_NO_ERROR)
        throw std::runtime_error("the module does not start under NPAPI");
    std::string type = kMimeType;
    if (m_plugin.newp(&type[0], &m_npp, NP_EMBED, 0, nullptr, nullptr, nullptr) != NPERR_NO_ERROR ||
        m_plugin.getvalue(&m_npp, NPPVpluginScriptableNPObject, &m_scriptable) != NPERR_NO_ERROR || !m_scriptable)
        throw std::runtime_error("the module makes no NPAPI instance");
    const PageAnswer init = call("initPlugin");
    if (!init.resolved)
        throw std::runtime_error("initPlugin failed under NPAPI: " + init.head);
}

NpBench::~NpBench()
{
    releaseObject(m_scriptable);
    m_plugin.destroy(&m_npp, nullptr);
    pump();
    Module::get().entry<decltype(&NP_Shutdown)>("NP_Shutdown")();
    releaseObject(element);
    releaseObject(window);
    element = window = nullptr;
}

void NpBench::pump()
{
    while (!queue().empty()) {
        const auto call = queue().front();
        queue().pop_front();
        call.first(call.second);
    }
}

PageAnswer NpBench::call(const Call& call)
{
    const std::vector<NPVariant>& args = call.values();
    NPVariant result;
    result.type = NPVariantType_Void;
    if (!m_scriptable->_class->invoke(m_scriptable, stringIdentifier(call.method().c_str()), args.data(),
                                      static_cast<uint32_t>(args.size()), &result) ||
        result.type != NPVariantType_Object || result.value.objectValue->_class != &Object::pageClass)
        throw std::runtime_error(call.method() + " gave the page no promise");
    const std::shared_ptr<PageAnswer> settlement = static_cast<Object*>(result.value.objectValue)->settlement;
    releaseValue(&result);
    pump();
    if (!settlement->settled)
        throw std::runtime_error(call.method() + " never settled");
    return *settlement;
}

PageAnswer NpBench::call(const std::string& method, const PageArgs& args)
{
    return call(Call(method, args));
}

NpBench::Call::Call(std::string method, const PageArgs& args) : m_method(std::move(method))
{
    for (const PageArg& arg : args) {
        NPVariant value;
        if (arg.isFlag) {
            value.type = NPVariantType_Bool;
            value.value.boolValue = arg.flag;
        } else {
            value = stringValue(*arg.text);
            m_bytes += arg.text->size();
        }
        m_values.push_back(value);
    }
}

NpBench::Call::~Call()
{
    for (NPVariant& value : m_values)
        releaseValue(&value);
}

}  // namespace bench
