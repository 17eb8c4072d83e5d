#include "NpapiCore/NpapiBrowserHost.h"

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>

#include <algorithm>
#include <cstring>
#include <limits>

#include "NpapiCore/NPJavascriptObject.h"
#include "NpapiCore/NPObjectAPI.h"
#include "NpapiCore/NPPromise.h"
#include "NpapiCore/NpapiBrowserFuncs.h"
#include "NpapiCore/NpapiPluginModule.h"
#include "NpapiCore/NpapiStream.h"
#include "PluginCore/BrowserStreamRequest.h"
#include "PluginCore/PluginEvent.h"
#include "PluginCore/URI.h"
#include "ScriptingCore/DOM/Document.h"
#include "ScriptingCore/DOM/Element.h"
#include "ScriptingCore/DOM/Window.h"
#include "ScriptingCore/Log.h"

namespace PB {
namespace Npapi {

NpapiBrowserHost::NpapiBrowserHost(NpapiPluginModule* module, NPP npp) : module(module), m_npp(npp)
{
    std::memset(&NPNFuncs, 0, sizeof(NPNFuncs));
}

NpapiBrowserHost::~NpapiBrowserHost() = default;

std::shared_ptr<NpapiBrowserHost> NpapiBrowserHost::npapiShared()
{
    return std::static_pointer_cast<NpapiBrowserHost>(shared_from_this());
}

void NpapiBrowserHost::setBrowserFuncs(const NPNetscapeFuncs* pFuncs)
{
    copyNPBrowserFuncs(&NPNFuncs, pFuncs);
    m_asyncCall = NPNFuncs.pluginthreadasynccall;

    NPObject* window = nullptr;
    NPObject* element = nullptr;
    GetValue(NPNVWindowNPObject, &window);
    GetValue(NPNVPluginElementNPObject, &element);
    try {
        if (window) {
            m_htmlWin = std::make_shared<NPObjectAPI>(window, npapiShared());
            ReleaseObject(window);
            window = nullptr;
        }
        if (element) {
            m_htmlElement = std::make_shared<NPObjectAPI>(element, npapiShared());
            ReleaseObject(element);
            element = nullptr;
        }
    } catch (const std::exception&) {
        if (window)
            ReleaseObject(window);
        if (element)
            ReleaseObject(element);
    }
    if (!m_htmlWin)
        return;
    try {
        const JSObjectPtr document = m_htmlWin->getPropertySync("document").convert_cast<JSObjectPtr>();
        m_htmlDoc = std::dynamic_pointer_cast<NPObjectAPI>(document);
    } catch (const std::exception&) {
        m_htmlDoc.reset();
    }
}

std::shared_ptr<DOM::Document> NpapiBrowserHost::getDOMDocument()
{
    if (!m_htmlDoc)
        throw std::runtime_error("Cannot find HTML document");
    return DOM::Document::create(m_htmlDoc);
}

std::shared_ptr<DOM::Window> NpapiBrowserHost::getDOMWindow()
{
    if (!m_htmlWin)
        throw std::runtime_error("Cannot find HTML window");
    return DOM::Window::create(m_htmlWin);
}

std::shared_ptr<DOM::Element> NpapiBrowserHost::getDOMElement()
{
    if (!m_htmlElement)
        throw std::runtime_error("Cannot find HTML window");
    return DOM::Element::create(m_htmlElement);
}

void NpapiBrowserHost::Navigate(const std::string& url, const std::string& target)
{
    PushPopupsEnabledState(true);
    GetURL(url.c_str(), target.c_str());
    PopPopupsEnabledState();
}

NPObject* NpapiBrowserHost::windowObject() const
{
    return m_htmlWin ? m_htmlWin->getNPObject() : nullptr;
}

void NpapiBrowserHost::evaluateJavaScript(const std::string& script)
{
    NPObject* window = windowObject();
    if (!window)
        throw std::runtime_error("Cannot find HTML window");
    // The browser only reads the script; it stays ours.
    NPString text{script.data(), static_cast<uint32_t>(script.size())};
    NPVariant result;
    result.type = NPVariantType_Void;
    if (!Evaluate(window, &text, &result))
        throw script_error("Error executing JavaScript code");
    ReleaseVariantValue(&result);
}

Promise<VariantList> NpapiBrowserHost::getArrayValues(const JSObjectPtr& obj)
{
    VariantList values;
    std::shared_ptr<NPObjectAPI> array = std::dynamic_pointer_cast<NPObjectAPI>(obj);
    if (array) {
        const unsigned int length = array->getPropertySync("length").convert_cast<unsigned int>();
        for (unsigned int i = 0; i < length; ++i)
            values.push_back(array->getPropertySync(static_cast<int>(i)));
    }
    return Promise<VariantList>(values);
}

Promise<VariantMap> NpapiBrowserHost::getObjectValues(const JSObjectPtr& obj)
{
    VariantMap values;
    std::shared_ptr<NPObjectAPI> object = std::dynamic_pointer_cast<NPObjectAPI>(obj);
    if (object) {
        std::vector<std::string> names;
        object->getMemberNames(names);
        for (const std::string& name : names)
            values[name] = object->getPropertySync(name);
    }
    return Promise<VariantMap>(values);
}

void NpapiBrowserHost::shutdown()
{
    std::memset(&NPNFuncs, 0, sizeof(NPNFuncs));
    m_asyncCall = nullptr;
    BrowserHost::shutdown();
    m_htmlWin.reset();
    m_htmlElement.reset();
    m_htmlDoc.reset();
    if (m_jsHelper) {
        ReleaseObject(m_jsHelper);
        m_jsHelper = nullptr;
    }
    // After NPP_Destroy the browser calls none of the instance's streams again.
    std::vector<std::weak_ptr<NpapiStream>> streams;
    std::vector<std::weak_ptr<NPPromise>> promises;
    {
        std::lock_guard<std::mutex> lock(m_streamsMutex);
        streams.swap(m_streams);
        promises.swap(m_promises);
    }
    for (const std::weak_ptr<NpapiStream>& weak : streams) {
        if (std::shared_ptr<NpapiStream> stream = weak.lock())
            stream->forgetBrowser();
    }
    // Promises the plug-in settles later can no longer reach the page.
    for (const std::weak_ptr<NPPromise>& weak : promises) {
        if (std::shared_ptr<NPPromise> promise = weak.lock())
            promise->forgetPage();
    }
}

void NpapiBrowserHost::trackPromise(const std::shared_ptr<NPPromise>& promise)
{
    std::lock_guard<std::mutex> lock(m_streamsMutex);
    m_promises.erase(std::remove_if(m_promises.begin(), m_promises.end(),
                                    [](const std::weak_ptr<NPPromise>& p) { return p.expired(); }),
                     m_promises.end());
    m_promises.push_back(promise);
}

void NpapiBrowserHost::doDeferredRelease()
{
    for (;;) {
        NPObject* obj = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_deferredObjectsMutex);
            if (m_deferredObjects.empty())
                break;
            obj = m_deferredObjects.front();
            m_deferredObjects.pop_front();
        }
        ReleaseObject(obj);
    }
    // An expired entry holds no face, so it goes under the lock.
    std::lock_guard<std::mutex> lock(m_cachedWrappersMutex);
    for (auto it = m_cachedWrappers.begin(); it != m_cachedWrappers.end();) {
        if (it->second.expired())
            it = m_cachedWrappers.erase(it);
        else
            ++it;
    }
}

void NpapiBrowserHost::deferredRelease(NPObject* obj)
{
    {
        std::lock_guard<std::mutex> lock(m_deferredObjectsMutex);
        m_deferredObjects.push_back(obj);
    }
    if (isMainThread())
        doDeferredRelease();
}

bool NpapiBrowserHost::detectProxySettings(std::map<std::string, std::string>& settings, std::string url)
{
    if (NPNFuncs.getvalueforurl) {
        char* value = nullptr;
        uint32_t length = 0;
        const NPError err = GetValueForURL(NPNURLVProxy, url.c_str(), &value, &length);
        if (err == NPERR_NO_ERROR) {
            const std::string text = value ? std::string(value, length) : std::string();
            if (value)
                MemFree(value);
            if (text == "DIRECT")
                return false;
            std::vector<std::string> tokens;
            boost::split(tokens, text, boost::is_any_of(" ;"), boost::token_compress_on);
            tokens.erase(std::remove(tokens.begin(), tokens.end(), std::string()), tokens.end());
            std::string type;
            if (!tokens.empty()) {
                if (tokens[0] == "PROXY") {
                    try {
                        type = URI::fromString(url).protocol;
                    } catch (const std::exception&) {
                        return false;
                    }
                } else if (tokens[0] == "SOCKS" || tokens[0] == "SOCKS5") {
                    type = "socks";
                } else {
                    type = tokens[0];
                }
            }
            settings.clear();
            settings["type"] = type;
            // An answer without a host, or a host without a port, leaves those out.
            if (tokens.size() > 1) {
                const std::string& address = tokens[1];
                const std::size_t colon = address.find(':');
                settings["hostname"] = address.substr(0, colon);
                if (colon != std::string::npos)
                    settings["port"] = address.substr(colon + 1);
            }
            return true;
        }
        if (err != NPERR_INCOMPATIBLE_VERSION_ERROR)
            return false;
    }
    return BrowserHost::detectProxySettings(settings, std::move(url));
}

bool NpapiBrowserHost::_scheduleAsyncCall(void (*func)(void*), void* userData) const
{
    if (isShutDown())
        return false;
    const NPN_PluginThreadAsyncCallProcPtr asyncCall = m_asyncCall.load();
    // A browser without the entry would never run the call: a waiting
    // caller must hear that at once.
    if (!asyncCall)
        return false;
    asyncCall(m_npp, func, userData);
    return true;
}

std::shared_ptr<NpapiStream> NpapiBrowserHost::makeStream(const BrowserStreamRequest& req)
{
    auto stream = std::make_shared<NpapiStream>(req.getUrl(), req.cache, req.seekable,
                                                req.internalBufferSize, npapiShared());
    std::lock_guard<std::mutex> lock(m_streamsMutex);
    m_streams.erase(std::remove_if(m_streams.begin(), m_streams.end(),
                                   [](const std::weak_ptr<NpapiStream>& s) { return s.expired(); }),
                    m_streams.end());
    m_streams.push_back(stream);
    return stream;
}

BrowserStreamPtr NpapiBrowserHost::_createStream(const BrowserStreamRequest& req)
{
    const std::string url = req.getUrl();
    std::shared_ptr<NpapiStream> stream = makeStream(req);
    if (req.getEventSink())
        stream->AttachObserver(req.getEventSink());
    NPError err;
    if (req.method == "GET") {
        err = GetURLNotify(url.c_str(), nullptr, stream.get());
    } else {
        std::string text;
        if (req.getPostHeaders().empty())
            text = "Content-type: application/x-www-form-urlencoded\nContent-Length: " +
                   std::to_string(req.getPostData().size());
        else
            text = req.getPostHeaders();
        text += "\n\n";
        text += req.getPostData();
        if (text.size() > std::numeric_limits<uint32_t>::max())
            return nullptr;
        err = PostURLNotify(url.c_str(), nullptr, static_cast<uint32_t>(text.size()), text.data(), false,
                            stream.get());
    }
    if (err != NPERR_NO_ERROR)
        return nullptr;
    stream->setSelfReference();
    StreamCreatedEvent created(stream.get());
    stream->SendEvent(&created);
    return stream;
}

BrowserStreamPtr NpapiBrowserHost::_createUnsolicitedStream(const BrowserStreamRequest& req)
{
    const std::string url = req.getUrl();
    Log::trace("NpapiBrowserStream", "Creating an unsolicited stream with url: " + url, __FILE__, __LINE__,
               "PB::Npapi::NpapiBrowserHost::_createUnsolicitedStream");
    std::shared_ptr<NpapiStream> stream = makeStream(req);
    stream->setSelfReference();
    stream->setUrlNotified();
    StreamCreatedEvent created(stream.get());
    stream->SendEvent(&created);
    return stream;
}

NPJavascriptObject* NpapiBrowserHost::getJSAPIWrapper(const std::weak_ptr<JSAPI>& api, bool autoRelease)
{
    const JSAPIPtr object = api.lock();
    if (!object)
        return NPJavascriptObject::create(npapiShared(), api, false);
    const void* key = object.get();
    // Taken out under the lock; retained, or made, after it.
    std::shared_ptr<ShareableReference<NPJavascriptObject>> cached;
    {
        std::lock_guard<std::mutex> lock(m_cachedWrappersMutex);
        auto found = m_cachedWrappers.find(key);
        if (found != m_cachedWrappers.end()) {
            cached = found->second.lock();
            if (!cached)
                m_cachedWrappers.erase(found);
        }
    }
    if (cached) {
        NPJavascriptObject* wrapper = cached->getPtr();
        RetainObject(wrapper);
        return wrapper;
    }
    NPJavascriptObject* wrapper = NPJavascriptObject::create(npapiShared(), api, autoRelease);
    if (wrapper) {
        std::weak_ptr<ShareableReference<NPJavascriptObject>> face = wrapper->getWeakReference();
        std::lock_guard<std::mutex> lock(m_cachedWrappersMutex);
        m_cachedWrappers[key] = std::move(face);
    }
    return wrapper;
}

void NpapiBrowserHost::invalidateRect(NPRect rect)
{
    InvalidateRect(&rect);
}

// The browser's entries.

NPError NpapiBrowserHost::GetURL(const char* url, const char* target) const
{
    return NPNFuncs.geturl ? NPNFuncs.geturl(m_npp, url, target) : NPERR_GENERIC_ERROR;
}

NPError NpapiBrowserHost::GetURLNotify(const char* url, const char* target, void* notifyData) const
{
    return NPNFuncs.geturlnotify ? NPNFuncs.geturlnotify(m_npp, url, target, notifyData) : NPERR_GENERIC_ERROR;
}

NPError NpapiBrowserHost::PostURLNotify(const char* url, const char* target, uint32_t len, const char* buf,
                                        NPBool file, void* notifyData) const
{
    return NPNFuncs.posturlnotify ? NPNFuncs.posturlnotify(m_npp, url, target, len, buf, file, notifyData)
                                  : NPERR_GENERIC_ERROR;
}

NPError NpapiBrowserHost::RequestRead(NPStream* stream, NPByteRange* rangeList) const
{
    return NPNFuncs.requestread ? NPNFuncs.requestread(stream, rangeList) : NPERR_GENERIC_ERROR;
}

int32_t NpapiBrowserHost::Write(NPStream* stream, int32_t len, void* buffer) const
{
    return NPNFuncs.write ? NPNFuncs.write(m_npp, stream, len, buffer) : 0;
}

NPError NpapiBrowserHost::DestroyStream(NPStream* stream, NPReason reason) const
{
    return NPNFuncs.destroystream ? NPNFuncs.destroystream(m_npp, stream, reason) : NPERR_GENERIC_ERROR;
}

NPError NpapiBrowserHost::GetValue(NPNVariable variable, void* value) const
{
    return NPNFuncs.getvalue ? NPNFuncs.getvalue(m_npp, variable, value) : NPERR_GENERIC_ERROR;
}

NPError NpapiBrowserHost::SetValue(NPPVariable variable, void* value) const
{
    return NPNFuncs.setvalue ? NPNFuncs.setvalue(m_npp, variable, value) : NPERR_GENERIC_ERROR;
}

NPError NpapiBrowserHost::GetValueForURL(NPNURLVariable variable, const char* url, char** value,
                                         uint32_t* len) const
{
    return NPNFuncs.getvalueforurl ? NPNFuncs.getvalueforurl(m_npp, variable, url, value, len)
                                   : NPERR_INCOMPATIBLE_VERSION_ERROR;
}

bool NpapiBrowserHost::Invoke(NPObject* obj, NPIdentifier name, const NPVariant* args, uint32_t count,
                              NPVariant* result) const
{
    return NPNFuncs.invoke ? NPNFuncs.invoke(m_npp, obj, name, args, count, result) : false;
}

bool NpapiBrowserHost::InvokeDefault(NPObject* obj, const NPVariant* args, uint32_t count, NPVariant* result) const
{
    return NPNFuncs.invokeDefault ? NPNFuncs.invokeDefault(m_npp, obj, args, count, result) : false;
}

bool NpapiBrowserHost::Evaluate(NPObject* obj, NPString* script, NPVariant* result) const
{
    return NPNFuncs.evaluate ? NPNFuncs.evaluate(m_npp, obj, script, result) : false;
}

bool NpapiBrowserHost::GetProperty(NPObject* obj, NPIdentifier name, NPVariant* result) const
{
    return NPNFuncs.getproperty ? NPNFuncs.getproperty(m_npp, obj, name, result) : false;
}

bool NpapiBrowserHost::SetProperty(NPObject* obj, NPIdentifier name, const NPVariant* value) const
{
    return NPNFuncs.setproperty ? NPNFuncs.setproperty(m_npp, obj, name, value) : false;
}

bool NpapiBrowserHost::RemoveProperty(NPObject* obj, NPIdentifier name) const
{
    return NPNFuncs.removeproperty ? NPNFuncs.removeproperty(m_npp, obj, name) : false;
}

bool NpapiBrowserHost::HasProperty(NPObject* obj, NPIdentifier name) const
{
    return NPNFuncs.hasproperty ? NPNFuncs.hasproperty(m_npp, obj, name) : false;
}

bool NpapiBrowserHost::HasMethod(NPObject* obj, NPIdentifier name) const
{
    return NPNFuncs.hasmethod ? NPNFuncs.hasmethod(m_npp, obj, name) : false;
}

bool NpapiBrowserHost::Enumerate(NPObject* obj, NPIdentifier** ids, uint32_t* count) const
{
    return NPNFuncs.enumerate ? NPNFuncs.enumerate(m_npp, obj, ids, count) : false;
}

void NpapiBrowserHost::SetException(NPObject* obj, const NPUTF8* message) const
{
    if (NPNFuncs.setexception)
        NPNFuncs.setexception(obj, message);
}

NPObject* NpapiBrowserHost::CreateObject(NPClass* cls) const
{
    return NPNFuncs.createobject ? NPNFuncs.createobject(m_npp, cls) : nullptr;
}

void NpapiBrowserHost::InvalidateRect(NPRect* rect) const
{
    if (NPNFuncs.invalidaterect)
        NPNFuncs.invalidaterect(m_npp, rect);
}

void NpapiBrowserHost::PushPopupsEnabledState(NPBool enabled) const
{
    if (NPNFuncs.pushpopupsenabledstate)
        NPNFuncs.pushpopupsenabledstate(m_npp, enabled);
}

void NpapiBrowserHost::PopPopupsEnabledState() const
{
    if (NPNFuncs.poppopupsenabledstate)
        NPNFuncs.poppopupsenabledstate(m_npp);
}

NPIdentifier NpapiBrowserHost::GetStringIdentifier(const NPUTF8* name) const
{
    return module->GetStringIdentifier(name);
}

NPIdentifier NpapiBrowserHost::GetIntIdentifier(int32_t id) const
{
    return module->GetIntIdentifier(id);
}

bool NpapiBrowserHost::IdentifierIsString(NPIdentifier id) const
{
    return module->IdentifierIsString(id);
}

std::string NpapiBrowserHost::UTF8FromIdentifier(NPIdentifier id) const
{
    return module->StringFromIdentifier(id);
}

int32_t NpapiBrowserHost::IntFromIdentifier(NPIdentifier id) const
{
    return module->IntFromIdentifier(id);
}

NPObject* NpapiBrowserHost::RetainObject(NPObject* obj) const
{
    return module->RetainObject(obj);
}

void NpapiBrowserHost::ReleaseObject(NPObject* obj) const
{
    module->ReleaseObject(obj);
}

void NpapiBrowserHost::ReleaseVariantValue(NPVariant* value) const
{
    module->ReleaseVariantValue(value);
}

void* NpapiBrowserHost::MemAlloc(uint32_t size) const
{
    return module->MemAlloc(size);
}

void NpapiBrowserHost::MemFree(void* ptr) const
{
    module->MemFree(ptr);
}

}  // namespace Npapi
}  // namespace PB
