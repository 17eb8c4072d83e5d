// The browser's function table. Each entry finds the open browser, refuses
// calls off the main thread (except those NPAPI allows anywhere: the async
// call, memory and identifiers), checks the objects it is given, and lets no
// exception reach the plug-in.

#include <climits>
#include <cstring>
#include <exception>
#include <string>

#include "Identifiers.h"
#include "NpBrowser.h"
#include "PageObject.h"

namespace npbrowser {

namespace {

// The browser when the call may go on; a fault for a call off the main thread.
NpBrowser* browserFor(const char* entry)
{
    NpBrowser* browser = NpBrowser::active();
    if (!browser)
        return nullptr;
    if (!browser->onMainThread()) {
        browser->fault(std::string(entry) + " called off the main thread");
        return nullptr;
    }
    return browser;
}

// Runs the entry's body; an escaping exception answers the failure value.
template <typename Result, typename Body>
Result guarded(Result failure, Body body)
{
    try {
        return body();
    } catch (const std::exception&) {
        return failure;
    }
}

bool knownIdentifier(NpBrowser& browser, NPIdentifier id, const char* entry)
{
    if (id && Identifiers::instance().known(id))
        return true;
    browser.fault(std::string(entry) + " with an identifier the browser never made");
    return false;
}

// --- URLs and streams: local files for the plug-in, nothing from it.

NPError getURL(NPP npp, const char* url, const char* target)
{
    NpBrowser* browser = browserFor("NPN_GetURL");
    return browser ? guarded<NPError>(NPERR_GENERIC_ERROR,
                                      [&] { return browser->requestUrl(npp, url, target, false, nullptr); })
                   : NPERR_GENERIC_ERROR;
}

NPError getURLNotify(NPP npp, const char* url, const char* target, void* notifyData)
{
    NpBrowser* browser = browserFor("NPN_GetURLNotify");
    return browser ? guarded<NPError>(NPERR_GENERIC_ERROR,
                                      [&] { return browser->requestUrl(npp, url, target, true, notifyData); })
                   : NPERR_GENERIC_ERROR;
}

NPError postURL(NPP, const char* url, const char*, uint32_t, const char*, NPBool)
{
    if (NpBrowser* browser = browserFor("NPN_PostURL"))
        browser->unsupported(std::string("posting to ") + (url ? url : "a URL"));
    return NPERR_GENERIC_ERROR;
}

NPError postURLNotify(NPP, const char* url, const char*, uint32_t, const char*, NPBool, void*)
{
    if (NpBrowser* browser = browserFor("NPN_PostURLNotify"))
        browser->unsupported(std::string("posting to ") + (url ? url : "a URL"));
    return NPERR_GENERIC_ERROR;
}

// The browser's streams are offered as not seekable.
NPError requestRead(NPStream*, NPByteRange*)
{
    return NPERR_STREAM_NOT_SEEKABLE;
}

// Streams from the plug-in to the browser have nowhere to go.
NPError newStream(NPP, NPMIMEType, const char*, NPStream**)
{
    if (NpBrowser* browser = browserFor("NPN_NewStream"))
        browser->unsupported("streams from the plug-in (NPN_NewStream)");
    return NPERR_GENERIC_ERROR;
}

int32_t writeStream(NPP, NPStream*, int32_t, void*)
{
    return -1;
}

NPError destroyStream(NPP npp, NPStream* stream, NPReason reason)
{
    NpBrowser* browser = browserFor("NPN_DestroyStream");
    return browser ? browser->closeStream(npp, stream, reason) : NPERR_GENERIC_ERROR;
}

// --- the instance and the browser

void status(NPP, const char*) {}

const char* userAgent(NPP)
{
    NpBrowser* browser = browserFor("NPN_UserAgent");
    return browser ? browser->userAgent() : "";
}

NPError getValue(NPP npp, NPNVariable variable, void* value)
{
    NpBrowser* browser = browserFor("NPN_GetValue");
    if (!browser)
        return NPERR_GENERIC_ERROR;
    if (!value)
        return NPERR_INVALID_PARAM;
    if (!browser->instanceAlive(npp))
        return NPERR_INVALID_INSTANCE_ERROR;
    return guarded<NPError>(NPERR_GENERIC_ERROR, [&]() -> NPError {
        switch (variable) {
        case NPNVWindowNPObject: {
            const page::Value window = browser->page().window();
            *static_cast<NPObject**>(value) = browser->pageObject(window.refId());
            return NPERR_NO_ERROR;
        }
        case NPNVPluginElementNPObject: {
            const page::Value element = browser->elementOf(npp);
            if (!element.is(page::Value::Type::Ref))
                return NPERR_GENERIC_ERROR;
            *static_cast<NPObject**>(value) = browser->pageObject(element.refId());
            return NPERR_NO_ERROR;
        }
        case NPNVjavascriptEnabledBool:
            *static_cast<NPBool*>(value) = true;
            return NPERR_NO_ERROR;
        case NPNVisOfflineBool:
        case NPNVprivateModeBool:
            *static_cast<NPBool*>(value) = false;
            return NPERR_NO_ERROR;
        default:
            // No native windows, X display or toolkit here.
            return NPERR_GENERIC_ERROR;
        }
    });
}

NPError setValue(NPP npp, NPPVariable variable, void*)
{
    NpBrowser* browser = browserFor("NPN_SetValue");
    if (!browser)
        return NPERR_GENERIC_ERROR;
    if (!browser->instanceAlive(npp))
        return NPERR_INVALID_INSTANCE_ERROR;
    // Windowed or windowless, transparent or not: there is nothing to draw on.
    return variable == NPPVpluginWindowBool || variable == NPPVpluginTransparentBool ? NPERR_NO_ERROR
                                                                                      : NPERR_GENERIC_ERROR;
}

void invalidateRect(NPP, NPRect*) {}
void invalidateRegion(NPP, NPRegion) {}
void forceRedraw(NPP) {}
void pushPopupsEnabledState(NPP, NPBool) {}
void popPopupsEnabledState(NPP) {}

NPError getValueForURL(NPP npp, NPNURLVariable variable, const char*, char** value, uint32_t* len)
{
    NpBrowser* browser = browserFor("NPN_GetValueForURL");
    if (!browser)
        return NPERR_GENERIC_ERROR;
    if (!browser->instanceAlive(npp))
        return NPERR_INVALID_INSTANCE_ERROR;
    if (!value || !len)
        return NPERR_INVALID_PARAM;
    // The page engine goes to no network: every URL is reached directly. It keeps no cookies.
    if (variable != NPNURLVProxy)
        return NPERR_GENERIC_ERROR;
    static const char direct[] = "DIRECT";
    char* text = static_cast<char*>(browser->memory().allocate(sizeof direct));
    if (!text)
        return NPERR_OUT_OF_MEMORY_ERROR;
    std::memcpy(text, direct, sizeof direct);
    *value = text;
    *len = sizeof direct - 1;
    return NPERR_NO_ERROR;
}

NPError setValueForURL(NPP, NPNURLVariable, const char*, const char*, uint32_t)
{
    return NPERR_GENERIC_ERROR;
}

NPError getAuthenticationInfo(NPP, const char*, const char*, int32_t, const char*, const char*, char**, uint32_t*,
                              char**, uint32_t*)
{
    return NPERR_GENERIC_ERROR;
}

void pluginThreadAsyncCall(NPP npp, void (*func)(void*), void* data)
{
    NpBrowser* browser = NpBrowser::active();
    if (browser && func)
        guarded<int>(0, [&] {
            browser->postAsync(npp, func, data);
            return 0;
        });
}

uint32_t scheduleTimer(NPP, uint32_t, NPBool, void (*)(NPP, uint32_t))
{
    return 0;
}
void unscheduleTimer(NPP, uint32_t) {}

// --- memory (any thread)

void* memAlloc(uint32_t size)
{
    NpBrowser* browser = NpBrowser::active();
    return browser ? browser->memory().allocate(size) : nullptr;
}

void memFree(void* block)
{
    NpBrowser* browser = NpBrowser::active();
    if (browser && block && !browser->memory().free(block))
        browser->fault("NPN_MemFree of a block the browser did not allocate (or freed twice)");
}

uint32_t memFlush(uint32_t)
{
    return 0;
}

void reloadPlugins(NPBool) {}
void* getJavaEnv()
{
    return nullptr;
}
void* getJavaPeer(NPP)
{
    return nullptr;
}

// --- identifiers (any thread)

NPIdentifier getStringIdentifier(const NPUTF8* name)
{
    if (!name)
        return nullptr;
    return guarded<NPIdentifier>(nullptr, [&] { return Identifiers::instance().forName(name); });
}

void getStringIdentifiers(const NPUTF8** names, int32_t count, NPIdentifier* ids)
{
    for (int32_t i = 0; names && ids && i < count; ++i)
        ids[i] = getStringIdentifier(names[i]);
}

NPIdentifier getIntIdentifier(int32_t number)
{
    return guarded<NPIdentifier>(nullptr, [&] { return Identifiers::instance().forNumber(number); });
}

bool identifierIsString(NPIdentifier id)
{
    return id && Identifiers::instance().known(id) && Identifiers::isName(id);
}

NPUTF8* utf8FromIdentifier(NPIdentifier id)
{
    NpBrowser* browser = NpBrowser::active();
    if (!browser || !id || !Identifiers::instance().known(id) || !Identifiers::isName(id))
        return nullptr;
    const std::string& name = Identifiers::name(id);
    char* text = static_cast<char*>(browser->memory().allocate(static_cast<uint32_t>(name.size() + 1)));
    if (text)
        std::memcpy(text, name.c_str(), name.size() + 1);
    return text;
}

int32_t intFromIdentifier(NPIdentifier id)
{
    if (!id || !Identifiers::instance().known(id) || Identifiers::isName(id))
        return INT32_MIN;
    return Identifiers::number(id);
}

// --- objects

NPObject* createObject(NPP npp, NPClass* cls)
{
    NpBrowser* browser = browserFor("NPN_CreateObject");
    if (!browser || !cls)
        return nullptr;
    return guarded<NPObject*>(nullptr, [&] { return browser->objects().create(npp, cls); });
}

NPObject* retainObject(NPObject* obj)
{
    NpBrowser* browser = browserFor("NPN_RetainObject");
    if (browser && browser->usable(obj, "NPN_RetainObject"))
        browser->objects().retain(obj);
    return obj;
}

void releaseObject(NPObject* obj)
{
    NpBrowser* browser = browserFor("NPN_ReleaseObject");
    if (browser && browser->usable(obj, "NPN_ReleaseObject"))
        guarded<int>(0, [&] {
            browser->objects().release(obj);
            return 0;
        });
}

void releaseVariantValue(NPVariant* value)
{
    NpBrowser* browser = browserFor("NPN_ReleaseVariantValue");
    if (browser && value)
        guarded<int>(0, [&] {
            browser->releaseVariant(*value);
            return 0;
        });
}

void setException(NPObject*, const NPUTF8* message)
{
    if (NpBrowser* browser = browserFor("NPN_SetException"))
        browser->setException(message ? message : "");
}

// The object calls dispatch through the object's class, as a browser does:
// the page's objects run on the page, the plug-in's own objects in the plug-in.
template <typename Call>
bool objectCall(const char* entry, NPObject* obj, NPVariant* result, Call call)
{
    if (result)
        result->type = NPVariantType_Void;
    NpBrowser* browser = browserFor(entry);
    if (!browser || !browser->usable(obj, entry) || !obj->_class)
        return false;
    // The object stays alive for the call, whatever the call releases.
    browser->objects().retain(obj);
    const bool done = guarded<bool>(false, [&] { return call(*obj->_class); });
    if (browser->objects().live(obj))
        browser->objects().release(obj);
    return done;
}

bool invoke(NPP, NPObject* obj, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result)
{
    return objectCall("NPN_Invoke", obj, result, [&](NPClass& cls) {
        return knownIdentifier(*NpBrowser::active(), name, "NPN_Invoke") && cls.invoke &&
               cls.invoke(obj, name, args, count, result);
    });
}

bool invokeDefault(NPP, NPObject* obj, const NPVariant* args, uint32_t count, NPVariant* result)
{
    return objectCall("NPN_InvokeDefault", obj, result,
                      [&](NPClass& cls) { return cls.invokeDefault && cls.invokeDefault(obj, args, count, result); });
}

bool evaluate(NPP npp, NPObject* obj, NPString* script, NPVariant* result)
{
    if (result)
        result->type = NPVariantType_Void;
    NpBrowser* browser = browserFor("NPN_Evaluate");
    if (!browser || !script || !browser->usable(obj, "NPN_Evaluate") || !browser->instanceAlive(npp))
        return false;
    // Scripts run in the page's global scope, the window being the only scope object there is.
    return guarded<bool>(false, [&] {
        const std::string source =
            script->UTF8Characters ? std::string(script->UTF8Characters, script->UTF8Length) : std::string();
        const page::Value value = browser->page().evaluate(source);
        if (result)
            *result = browser->toVariant(value);
        else
            browser->page().release(value);
        return true;
    });
}

bool getProperty(NPP, NPObject* obj, NPIdentifier name, NPVariant* result)
{
    return objectCall("NPN_GetProperty", obj, result, [&](NPClass& cls) {
        return knownIdentifier(*NpBrowser::active(), name, "NPN_GetProperty") && cls.getProperty &&
               cls.getProperty(obj, name, result);
    });
}

bool setProperty(NPP, NPObject* obj, NPIdentifier name, const NPVariant* value)
{
    return objectCall("NPN_SetProperty", obj, nullptr, [&](NPClass& cls) {
        return value && knownIdentifier(*NpBrowser::active(), name, "NPN_SetProperty") && cls.setProperty &&
               cls.setProperty(obj, name, value);
    });
}

bool removeProperty(NPP, NPObject* obj, NPIdentifier name)
{
    return objectCall("NPN_RemoveProperty", obj, nullptr, [&](NPClass& cls) {
        return knownIdentifier(*NpBrowser::active(), name, "NPN_RemoveProperty") && cls.removeProperty &&
               cls.removeProperty(obj, name);
    });
}

bool hasProperty(NPP, NPObject* obj, NPIdentifier name)
{
    return objectCall("NPN_HasProperty", obj, nullptr, [&](NPClass& cls) {
        return knownIdentifier(*NpBrowser::active(), name, "NPN_HasProperty") && cls.hasProperty &&
               cls.hasProperty(obj, name);
    });
}

bool hasMethod(NPP, NPObject* obj, NPIdentifier name)
{
    return objectCall("NPN_HasMethod", obj, nullptr, [&](NPClass& cls) {
        return knownIdentifier(*NpBrowser::active(), name, "NPN_HasMethod") && cls.hasMethod &&
               cls.hasMethod(obj, name);
    });
}

bool enumerate(NPP, NPObject* obj, NPIdentifier** ids, uint32_t* count)
{
    if (!ids || !count)
        return false;
    *ids = nullptr;
    *count = 0;
    return objectCall("NPN_Enumerate", obj, nullptr, [&](NPClass& cls) {
        // Classes older than enumeration have none to give.
        return cls.structVersion >= 2 && cls.enumerate && cls.enumerate(obj, ids, count);
    });
}

bool construct(NPP, NPObject* obj, const NPVariant* args, uint32_t count, NPVariant* result)
{
    return objectCall("NPN_Construct", obj, result, [&](NPClass& cls) {
        return cls.structVersion >= 2 && cls.construct && cls.construct(obj, args, count, result);
    });
}

// --- what only a drawing browser has

NPError popUpContextMenu(NPP, NPMenu*)
{
    return NPERR_GENERIC_ERROR;
}

NPBool convertPoint(NPP, double, double, NPCoordinateSpace, double*, double*, NPCoordinateSpace)
{
    return false;
}

NPBool handleEvent(NPP, void*, NPBool)
{
    return false;
}

NPBool unfocusInstance(NPP, NPFocusDirection)
{
    return false;
}

void urlRedirectResponse(NPP, void*, NPBool) {}

NPError initAsyncSurface(NPP, NPSize*, NPImageFormat, void*, NPAsyncSurface*)
{
    return NPERR_GENERIC_ERROR;
}

NPError finalizeAsyncSurface(NPP, NPAsyncSurface*)
{
    return NPERR_GENERIC_ERROR;
}

void setCurrentAsyncSurface(NPP, NPAsyncSurface*, NPRect*) {}

}  // namespace

void fillBrowserFuncs(NPNetscapeFuncs& funcs)
{
    funcs = NPNetscapeFuncs{};
    funcs.size = sizeof funcs;
    // The version with every entry of the table.
    funcs.version = 27;
    funcs.geturl = &getURL;
    funcs.posturl = &postURL;
    funcs.requestread = &requestRead;
    funcs.newstream = &newStream;
    funcs.write = &writeStream;
    funcs.destroystream = &destroyStream;
    funcs.status = &status;
    funcs.uagent = &userAgent;
    funcs.memalloc = &memAlloc;
    funcs.memfree = &memFree;
    funcs.memflush = &memFlush;
    funcs.reloadplugins = &reloadPlugins;
    funcs.getJavaEnv = &getJavaEnv;
    funcs.getJavaPeer = &getJavaPeer;
    funcs.geturlnotify = &getURLNotify;
    funcs.posturlnotify = &postURLNotify;
    funcs.getvalue = &getValue;
    funcs.setvalue = &setValue;
    funcs.invalidaterect = &invalidateRect;
    funcs.invalidateregion = &invalidateRegion;
    funcs.forceredraw = &forceRedraw;
    funcs.getstringidentifier = &getStringIdentifier;
    funcs.getstringidentifiers = &getStringIdentifiers;
    funcs.getintidentifier = &getIntIdentifier;
    funcs.identifierisstring = &identifierIsString;
    funcs.utf8fromidentifier = &utf8FromIdentifier;
    funcs.intfromidentifier = &intFromIdentifier;
    funcs.createobject = &createObject;
    funcs.retainobject = &retainObject;
    funcs.releaseobject = &releaseObject;
    funcs.invoke = &invoke;
    funcs.invokeDefault = &invokeDefault;
    funcs.evaluate = &evaluate;
    funcs.getproperty = &getProperty;
    funcs.setproperty = &setProperty;
    funcs.removeproperty = &removeProperty;
    funcs.hasproperty = &hasProperty;
    funcs.hasmethod = &hasMethod;
    funcs.releasevariantvalue = &releaseVariantValue;
    funcs.setexception = &setException;
    funcs.pushpopupsenabledstate = &pushPopupsEnabledState;
    funcs.poppopupsenabledstate = &popPopupsEnabledState;
    funcs.enumerate = &enumerate;
    funcs.pluginthreadasynccall = &pluginThreadAsyncCall;
    funcs.construct = &construct;
    funcs.getvalueforurl = &getValueForURL;
    funcs.setvalueforurl = &setValueForURL;
    funcs.getauthenticationinfo = &getAuthenticationInfo;
    funcs.scheduletimer = &scheduleTimer;
    funcs.unscheduletimer = &unscheduleTimer;
    funcs.popupcontextmenu = &popUpContextMenu;
    funcs.convertpoint = &convertPoint;
    funcs.handleevent = &handleEvent;
    funcs.unfocusinstance = &unfocusInstance;
    funcs.urlredirectresponse = &urlRedirectResponse;
    funcs.initasyncsurface = &initAsyncSurface;
    funcs.finalizeasyncsurface = &finalizeAsyncSurface;
    funcs.setcurrentasyncsurface = &setCurrentAsyncSurface;
}

}  // namespace npbrowser
