#pragma once
// The page's face of a plug-in scripting object: an NPObject of our class
// whose callbacks turn the page's property reads, writes, calls and
// enumeration into operations of the scripting object. Method results and
// property values always reach the page as page promises.

#include <memory>
#include <string>

#include <npapi/npruntime.h>

#include "PluginAuto/ShareableReference.h"
#include "ScriptingCore/JSAPI.h"

namespace PB {
namespace Npapi {

class NpapiBrowserHost;

class NPJavascriptObject : public NPObject {
public:
    // A new object made by the browser (one reference for the caller), or
    // null. With autoRelease the host keeps api alive while the object lives.
    static NPJavascriptObject* create(const std::shared_ptr<NpapiBrowserHost>& host, const std::weak_ptr<JSAPI>& api,
                                      bool autoRelease);
    static NPClass NPJavascriptObjectClass;

    NPJavascriptObject();
    virtual ~NPJavascriptObject();
    NPJavascriptObject(const NPJavascriptObject&) = delete;
    NPJavascriptObject& operator=(const NPJavascriptObject&) = delete;

    void setAPI(const std::shared_ptr<JSAPI>& api, const std::shared_ptr<NpapiBrowserHost>& host);
    // Throw std::bad_cast when the object or the host is gone (the latter
    // invalidates this object first).
    JSAPIPtr getAPI() const;
    std::shared_ptr<NpapiBrowserHost> getHost();
    // Expires when the browser deallocates the object.
    std::weak_ptr<ShareableReference<NPJavascriptObject>> getWeakReference() const { return m_sharedRef; }
    bool isValid() const { return m_valid && !m_api.expired() && !m_browser.expired(); }

    void Invalidate();
    bool HasMethod(NPIdentifier name);
    bool Invoke(NPIdentifier name, const NPVariant* args, uint32_t argCount, NPVariant* result);
    bool InvokeDefault(const NPVariant* args, uint32_t argCount, NPVariant* result);
    bool HasProperty(NPIdentifier name);
    bool GetProperty(NPIdentifier name, NPVariant* result);
    bool SetProperty(NPIdentifier name, const NPVariant* value);
    bool RemoveProperty(NPIdentifier name);
    bool Enumerate(NPIdentifier** value, uint32_t* count);

private:
    static NPObject* _Allocate(NPP npp, NPClass* aClass);
    static void _Deallocate(NPObject* npobj);
    static void _Invalidate(NPObject* npobj);
    static bool _HasMethod(NPObject* npobj, NPIdentifier name);
    static bool _Invoke(NPObject* npobj, NPIdentifier name, const NPVariant* args, uint32_t argCount,
                        NPVariant* result);
    static bool _InvokeDefault(NPObject* npobj, const NPVariant* args, uint32_t argCount, NPVariant* result);
    static bool _HasProperty(NPObject* npobj, NPIdentifier name);
    static bool _GetProperty(NPObject* npobj, NPIdentifier name, NPVariant* result);
    static bool _SetProperty(NPObject* npobj, NPIdentifier name, const NPVariant* value);
    static bool _RemoveProperty(NPObject* npobj, NPIdentifier name);
    static bool _Enumerate(NPObject* npobj, NPIdentifier** value, uint32_t* count);
    static bool _Construct(NPObject* npobj, const NPVariant* args, uint32_t argCount, NPVariant* result);

    variant callAddEventListener(const VariantList& args, bool add);
    // Puts a page promise for the plug-in promise into result.
    void wrapPromise(Promise<variant> promise, NPVariant* result);
    // A rejected promise for the exception being handled.
    void wrapCurrentException(NPVariant* result);
    void reportException(const std::exception& e);

    std::weak_ptr<JSAPI> m_api;
    std::weak_ptr<NpapiBrowserHost> m_browser;
    bool m_valid = true;
    bool m_autoRelease = false;
    std::shared_ptr<ShareableReference<NPJavascriptObject>> m_sharedRef;
};

}  // namespace Npapi
}  // namespace PB
