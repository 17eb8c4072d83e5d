#include "NpapiCore/NPJavascriptObject.h"

#include <limits>
#include <new>
#include <typeinfo>

#include "NpapiCore/NPPromise.h"
#include "NpapiCore/NpapiBrowserHost.h"

namespace PB {
namespace Npapi {

namespace {
const char* const addEventListenerName = "addEventListener";
const char* const removeEventListenerName = "removeEventListener";

NPJavascriptObject* self(NPObject* npobj)
{
    return static_cast<NPJavascriptObject*>(npobj);
}
}  // namespace

NPClass NPJavascriptObject::NPJavascriptObjectClass = {
    NP_CLASS_STRUCT_VERSION,
    &NPJavascriptObject::_Allocate,
    &NPJavascriptObject::_Deallocate,
    &NPJavascriptObject::_Invalidate,
    &NPJavascriptObject::_HasMethod,
    &NPJavascriptObject::_Invoke,
    &NPJavascriptObject::_InvokeDefault,
    &NPJavascriptObject::_HasProperty,
    &NPJavascriptObject::_GetProperty,
    &NPJavascriptObject::_SetProperty,
    &NPJavascriptObject::_RemoveProperty,
    &NPJavascriptObject::_Enumerate,
    &NPJavascriptObject::_Construct,
};

NPJavascriptObject* NPJavascriptObject::create(const std::shared_ptr<NpapiBrowserHost>& host,
                                               const std::weak_ptr<JSAPI>& api, bool autoRelease)
{
    NPObject* obj = host->CreateObject(&NPJavascriptObjectClass);
    if (!obj)
        return nullptr;
    if (obj->_class != &NPJavascriptObjectClass) {
        // Not made through our class: it is not one of ours to fill in.
        host->ReleaseObject(obj);
        return nullptr;
    }
    NPJavascriptObject* wrapper = self(obj);
    wrapper->m_api = api;
    wrapper->m_browser = host;
    wrapper->m_autoRelease = autoRelease;
    if (autoRelease) {
        if (JSAPIPtr locked = api.lock())
            host->retainJSAPI(locked);
    }
    return wrapper;
}

NPJavascriptObject::NPJavascriptObject()
    : m_sharedRef(std::make_shared<ShareableReference<NPJavascriptObject>>(this))
{
    _class = nullptr;
    referenceCount = 0;
}

NPJavascriptObject::~NPJavascriptObject()
{
    if (m_autoRelease) {
        JSAPIPtr api = m_api.lock();
        std::shared_ptr<NpapiBrowserHost> host = m_browser.lock();
        if (api && host)
            host->releaseJSAPI(api);
    }
    m_sharedRef.reset();
}

void NPJavascriptObject::setAPI(const std::shared_ptr<JSAPI>& api, const std::shared_ptr<NpapiBrowserHost>& host)
{
    m_api = api;
    m_browser = host;
}

JSAPIPtr NPJavascriptObject::getAPI() const
{
    JSAPIPtr api = m_api.lock();
    if (!api)
        throw std::bad_cast();
    return api;
}

std::shared_ptr<NpapiBrowserHost> NPJavascriptObject::getHost()
{
    std::shared_ptr<NpapiBrowserHost> host = m_browser.lock();
    if (!host) {
        Invalidate();
        throw std::bad_cast();
    }
    return host;
}

void NPJavascriptObject::reportException(const std::exception& e)
{
    if (std::shared_ptr<NpapiBrowserHost> host = m_browser.lock())
        host->SetException(this, e.what());
}

void NPJavascriptObject::Invalidate()
{
    m_valid = false;
    try {
        if (JSAPIPtr api = m_api.lock())
            api->invalidate();
    } catch (const std::bad_cast&) {
    }
}

bool NPJavascriptObject::HasMethod(NPIdentifier name)
{
    if (!isValid())
        return false;
    try {
        const std::string method = getHost()->UTF8FromIdentifier(name);
        if (method == "toString" || method == addEventListenerName || method == removeEventListenerName)
            return true;
        return getAPI()->hasMethod(method);
    } catch (const std::exception& e) {
        reportException(e);
        return false;
    }
}

bool NPJavascriptObject::HasProperty(NPIdentifier name)
{
    if (!isValid())
        return false;
    try {
        std::shared_ptr<NpapiBrowserHost> host = getHost();
        if (!host->IdentifierIsString(name))
            return getAPI()->hasProperty(static_cast<int>(host->IntFromIdentifier(name)));
        const std::string property = host->UTF8FromIdentifier(name);
        // A method is never a property.
        if (HasMethod(name))
            return false;
        return getAPI()->hasProperty(property);
    } catch (const std::exception& e) {
        reportException(e);
        return false;
    }
}

bool NPJavascriptObject::GetProperty(NPIdentifier name, NPVariant* result)
{
    if (!result || !isValid())
        return false;
    result->type = NPVariantType_Void;
    try {
        std::shared_ptr<NpapiBrowserHost> host = getHost();
        Promise<variant> value = host->IdentifierIsString(name)
                                     ? getAPI()->getProperty(host->UTF8FromIdentifier(name))
                                     : getAPI()->getProperty(static_cast<int>(host->IntFromIdentifier(name)));
        wrapPromise(std::move(value), result);
        return true;
    } catch (const std::exception&) {
        // The browser takes the result only when the call succeeds: the
        // failure goes to the page as a rejected promise it can release.
        try {
            wrapCurrentException(result);
            return true;
        } catch (...) {
            return false;
        }
    }
}

bool NPJavascriptObject::SetProperty(NPIdentifier name, const NPVariant* value)
{
    if (!value || !isValid())
        return false;
    try {
        std::shared_ptr<NpapiBrowserHost> host = getHost();
        const variant converted = host->getVariant(value);
        if (host->IdentifierIsString(name))
            getAPI()->setProperty(host->UTF8FromIdentifier(name), converted);
        else
            getAPI()->setProperty(static_cast<int>(host->IntFromIdentifier(name)), converted);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool NPJavascriptObject::RemoveProperty(NPIdentifier name)
{
    if (!isValid())
        return false;
    try {
        std::shared_ptr<NpapiBrowserHost> host = getHost();
        if (host->IdentifierIsString(name))
            getAPI()->removeProperty(host->UTF8FromIdentifier(name));
        else
            getAPI()->removeProperty(static_cast<int>(host->IntFromIdentifier(name)));
        return true;
    } catch (const std::exception& e) {
        reportException(e);
        return false;
    }
}

bool NPJavascriptObject::Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    if (!result)
        return false;
    result->type = NPVariantType_Void;
    if (!isValid())
        return false;
    if (!args)
        argCount = 0;
    try {
        std::shared_ptr<NpapiBrowserHost> host = getHost();
        const std::string method = name ? host->UTF8FromIdentifier(name) : std::string();
        VariantList list;
        list.reserve(argCount);
        for (uint32_t i = 0; i < argCount; ++i)
            list.push_back(host->getVariant(&args[i]));
        Promise<variant> answer;
        if (method == addEventListenerName)
            answer = Promise<variant>(callAddEventListener(list, true));
        else if (method == removeEventListenerName)
            answer = Promise<variant>(callAddEventListener(list, false));
        else
            answer = getAPI()->invoke(method, std::move(list));
        wrapPromise(std::move(answer), result);
        return true;
    } catch (const std::exception&) {
        try {
            wrapCurrentException(result);
            return true;
        } catch (...) {
            return false;
        }
    }
}

bool NPJavascriptObject::InvokeDefault(const NPVariant* args, uint32_t argCount, NPVariant* result)
{
    return Invoke(nullptr, args, argCount, result);
}

bool NPJavascriptObject::Enumerate(NPIdentifier** value, uint32_t* count)
{
    if (!value || !count || !isValid())
        return false;
    try {
        std::shared_ptr<NpapiBrowserHost> host = getHost();
        std::vector<std::string> names;
        getAPI()->getMemberNames(names);
        const std::size_t total = names.size() + 2;
        if (total > std::numeric_limits<uint32_t>::max() / sizeof(NPIdentifier))
            throw std::bad_alloc();
        // Identifiers are pointer-sized.
        auto* ids = static_cast<NPIdentifier*>(host->MemAlloc(static_cast<uint32_t>(total * sizeof(NPIdentifier))));
        if (!ids)
            throw std::bad_alloc();
        std::size_t i = 0;
        for (const std::string& member : names)
            ids[i++] = host->GetStringIdentifier(member.c_str());
        ids[i++] = host->GetStringIdentifier(addEventListenerName);
        ids[i++] = host->GetStringIdentifier(removeEventListenerName);
        *value = ids;
        *count = static_cast<uint32_t>(total);
        return true;
    } catch (const std::exception& e) {
        *count = 0;
        reportException(e);
        return false;
    }
}

variant NPJavascriptObject::callAddEventListener(const VariantList& args, bool add)
{
    if (!isValid() || args.size() < 2 || args.size() > 3)
        throw invalid_arguments();
    try {
        const std::string event = "on" + args[0].convert_cast<std::string>();
        const JSObjectPtr handler = args[1].convert_cast<JSObjectPtr>();
        if (add)
            getAPI()->addEventHandler(event, handler);
        else
            getAPI()->removeEventHandler(event, handler);
    } catch (const std::bad_cast& e) {
        throw invalid_arguments(e.what());
    }
    return variant();
}

void NPJavascriptObject::wrapPromise(Promise<variant> promise, NPVariant* result)
{
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    std::shared_ptr<NPPromise> bridge = NPPromise::create(host, std::move(promise));
    result->type = NPVariantType_Object;
    result->value.objectValue = host->RetainObject(bridge->getPagePromise());
}

void NPJavascriptObject::wrapCurrentException(NPVariant* result)
{
    Deferred<variant> failed;
    failed.reject(std::current_exception());
    wrapPromise(failed.promise(), result);
}

NPObject* NPJavascriptObject::_Allocate(NPP, NPClass*)
{
    return new NPJavascriptObject();
}

void NPJavascriptObject::_Deallocate(NPObject* npobj)
{
    delete self(npobj);
}

void NPJavascriptObject::_Invalidate(NPObject* npobj)
{
    if (npobj)
        self(npobj)->Invalidate();
}

bool NPJavascriptObject::_HasMethod(NPObject* npobj, NPIdentifier name)
{
    return npobj && self(npobj)->HasMethod(name);
}

bool NPJavascriptObject::_Invoke(NPObject* npobj, NPIdentifier name, const NPVariant* args, uint32_t argCount,
                                 NPVariant* result)
{
    return npobj && self(npobj)->Invoke(name, args, argCount, result);
}

bool NPJavascriptObject::_InvokeDefault(NPObject* npobj, const NPVariant* args, uint32_t argCount,
                                        NPVariant* result)
{
    return npobj && self(npobj)->Invoke(nullptr, args, argCount, result);
}

bool NPJavascriptObject::_HasProperty(NPObject* npobj, NPIdentifier name)
{
    return npobj && self(npobj)->HasProperty(name);
}

bool NPJavascriptObject::_GetProperty(NPObject* npobj, NPIdentifier name, NPVariant* result)
{
    return npobj && self(npobj)->GetProperty(name, result);
}

bool NPJavascriptObject::_SetProperty(NPObject* npobj, NPIdentifier name, const NPVariant* value)
{
    return npobj && self(npobj)->SetProperty(name, value);
}

bool NPJavascriptObject::_RemoveProperty(NPObject* npobj, NPIdentifier name)
{
    return npobj && self(npobj)->RemoveProperty(name);
}

bool NPJavascriptObject::_Enumerate(NPObject* npobj, NPIdentifier** value, uint32_t* count)
{
    return npobj && self(npobj)->Enumerate(value, count);
}

bool NPJavascriptObject::_Construct(NPObject*, const NPVariant*, uint32_t, NPVariant*)
{
    return false;
}

}  // namespace Npapi
}  // namespace PB
