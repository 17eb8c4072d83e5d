#pragma once
// The browser services of one NPAPI plug-in instance. Every browser call of
// the adapter goes through here: calls that take the instance through the
// host's own copy of the browser table (cleared at shutdown, after which
// they answer their defaults), identifier, memory, retain and release calls
// through the module's table. Browser calls are made on the browser's main
// thread only; other threads reach it through ScheduleAsyncCall.

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <npapi/npfunctions.h>

#include "PluginAuto/ShareableReference.h"
#include "PluginCore/BrowserStream.h"
#include "ScriptingCore/BrowserHost.h"

namespace PB {
namespace Npapi {

class NpapiPluginModule;
class NPObjectAPI;
class NPJavascriptObject;
class NpapiStream;
class NPPromise;

class NpapiBrowserHost : public BrowserHost {
public:
    NpapiBrowserHost(NpapiPluginModule* module, NPP npp);
    ~NpapiBrowserHost() override;

    // Takes the browser's table and finds the page's window, plug-in
    // element and document; a page object the browser does not give stays
    // empty.
    void setBrowserFuncs(const NPNetscapeFuncs* pFuncs);

    void* getContextID() const override { return m_npp; }
    NPP getContextNPP() const { return m_npp; }
    NpapiPluginModule* getModule() const { return module; }
    // This host as owned by its shared pointer; std::bad_weak_ptr when none.
    std::shared_ptr<NpapiBrowserHost> npapiShared();

    std::shared_ptr<DOM::Document> getDOMDocument() override;
    std::shared_ptr<DOM::Window> getDOMWindow() override;
    std::shared_ptr<DOM::Element> getDOMElement() override;
    void Navigate(const std::string& url, const std::string& target) override;
    using BrowserHost::evaluateJavaScript;
    void evaluateJavaScript(const std::string& script) override;
    // Runs the page function (or its member fname) after delayMs through the
    // page helper.
    void invokeDelayed(long delayMs, const JSObjectPtr& func, const VariantList& args, std::string fname) override;
    Promise<VariantList> getArrayValues(const JSObjectPtr& obj) override;
    Promise<VariantMap> getObjectValues(const JSObjectPtr& obj) override;
    void shutdown() override;
    void doDeferredRelease() override;
    bool detectProxySettings(std::map<std::string, std::string>& settings, std::string url) override;

    // Releases the browser object on the main thread: at once when called
    // there, else at the next deferred release.
    virtual void deferredRelease(NPObject* obj);

    // The page helper and the promise library (injected on first use).
    NPObject* getJSHelper();
    // A new page deferred; one browser reference for the caller.
    NPObject* getPromiseObject();
    // A page Error for the exception (one reference for the caller), or null.
    NPObject* makeError(const std::exception& e);

    // Value conversion between the page and the plug-in. getNPVariant always
    // writes out; what it writes belongs to the caller.
    void getNPVariant(NPVariant* out, const variant& value);
    variant getVariant(const NPVariant* value);
    // The page face of a scriptable object, the same while it lives; one
    // browser reference for the caller.
    NPJavascriptObject* getJSAPIWrapper(const std::weak_ptr<JSAPI>& api, bool autoRelease);

    // Keeps track of a page promise bridge, so that the page objects it
    // holds are given back at shutdown even if it is never settled.
    void trackPromise(const std::shared_ptr<NPPromise>& promise);

    // Asks the browser to repaint the rectangle (main thread).
    void invalidateRect(NPRect rect);

    // The browser's entries. Those taking the instance use the host's table
    // and answer their default after shutdown; the rest use the module's.
    NPError GetURL(const char* url, const char* target) const;
    NPError GetURLNotify(const char* url, const char* target, void* notifyData) const;
    NPError PostURLNotify(const char* url, const char* target, uint32_t len, const char* buf, NPBool file,
                          void* notifyData) const;
    NPError RequestRead(NPStream* stream, NPByteRange* rangeList) const;
    int32_t Write(NPStream* stream, int32_t len, void* buffer) const;
    NPError DestroyStream(NPStream* stream, NPReason reason) const;
    NPError GetValue(NPNVariable variable, void* value) const;
    NPError SetValue(NPPVariable variable, void* value) const;
    NPError GetValueForURL(NPNURLVariable variable, const char* url, char** value, uint32_t* len) const;
    bool Invoke(NPObject* obj, NPIdentifier name, const NPVariant* args, uint32_t count, NPVariant* result) const;
    bool InvokeDefault(NPObject* obj, const NPVariant* args, uint32_t count, NPVariant* result) const;
    bool Evaluate(NPObject* obj, NPString* script, NPVariant* result) const;
    bool GetProperty(NPObject* obj, NPIdentifier name, NPVariant* result) const;
    bool SetProperty(NPObject* obj, NPIdentifier name, const NPVariant* value) const;
    bool RemoveProperty(NPObject* obj, NPIdentifier name) const;
    bool HasProperty(NPObject* obj, NPIdentifier name) const;
    bool HasMethod(NPObject* obj, NPIdentifier name) const;
    bool Enumerate(NPObject* obj, NPIdentifier** ids, uint32_t* count) const;
    void SetException(NPObject* obj, const NPUTF8* message) const;
    NPObject* CreateObject(NPClass* cls) const;
    void InvalidateRect(NPRect* rect) const;
    void PushPopupsEnabledState(NPBool enabled) const;
    void PopPopupsEnabledState() const;
    NPIdentifier GetStringIdentifier(const NPUTF8* name) const;
    NPIdentifier GetIntIdentifier(int32_t id) const;
    bool IdentifierIsString(NPIdentifier id) const;
    std::string UTF8FromIdentifier(NPIdentifier id) const;
    int32_t IntFromIdentifier(NPIdentifier id) const;
    NPObject* RetainObject(NPObject* obj) const;
    void ReleaseObject(NPObject* obj) const;
    void ReleaseVariantValue(NPVariant* value) const;
    void* MemAlloc(uint32_t size) const;
    void MemFree(void* ptr) const;

protected:
    // The browser's pluginthreadasynccall; false when it has none.
    bool _scheduleAsyncCall(void (*func)(void*), void* userData) const override;
    BrowserStreamPtr _createStream(const BrowserStreamRequest& req) override;
    BrowserStreamPtr _createUnsolicitedStream(const BrowserStreamRequest& req) override;

private:
    // A stream for the request, kept in the host's list of streams.
    std::shared_ptr<NpapiStream> makeStream(const BrowserStreamRequest& req);
    NPObject* windowObject() const;
    // Reads a window property; the object it holds (one reference for the
    // caller) or null.
    NPObject* windowObjectProperty(const std::string& name);
    NPObject* invokePromiseConstructor();

    NPNetscapeFuncs NPNFuncs;
    NpapiPluginModule* module;
    NPP m_npp;
    // Read by _scheduleAsyncCall on any thread; cleared by shutdown.
    std::atomic<NPN_PluginThreadAsyncCallProcPtr> m_asyncCall{nullptr};

    std::shared_ptr<NPObjectAPI> m_htmlDoc;
    std::shared_ptr<NPObjectAPI> m_htmlWin;
    std::shared_ptr<NPObjectAPI> m_htmlElement;
    NPObject* m_jsHelper = nullptr;

    std::mutex m_deferredObjectsMutex;
    std::deque<NPObject*> m_deferredObjects;

    // The page faces of scriptable objects, by the object's identity. Its
    // lock is a leaf: the browser is not called, nor a face made or let go,
    // while it is held (releases may run on two threads at once).
    std::mutex m_cachedWrappersMutex;
    std::map<const void*, std::weak_ptr<ShareableReference<NPJavascriptObject>>> m_cachedWrappers;

    // The streams this host made; what the browser still owes them is
    // forgotten at shutdown, so that none outlives the instance.
    std::mutex m_streamsMutex;
    std::vector<std::weak_ptr<NpapiStream>> m_streams;
    std::vector<std::weak_ptr<NPPromise>> m_promises;
};

}  // namespace Npapi
}  // namespace PB
