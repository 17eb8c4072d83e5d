#include "ActiveXCore/ActiveXBrowserHost.h"

#include <algorithm>
#include <stdexcept>

#include <com/bstr.h>

#include <win32/kernel.h>

#include "ActiveXCore/AXDOM/Document.h"
#include "ActiveXCore/AXDOM/Element.h"
#include "ActiveXCore/AXDOM/Node.h"
#include "ActiveXCore/AXDOM/Window.h"
#include "ActiveXCore/ActiveXStream.h"
#include "ActiveXCore/COMJavascriptObject.h"
#include "ActiveXCore/ComError.h"
#include "ActiveXCore/ComVariantBuilder.h"
#include "ActiveXCore/ComVariantReader.h"
#include "ActiveXCore/IDispatchAPI.h"
#include "PluginAuto/PageScripts.h"
#include "PluginCore/BrowserStreamRequest.h"
#include "PluginCore/FactoryBase.h"
#include "PluginCore/PluginEvent.h"
#include "PluginCore/Win/WinMessageWindow.h"
#include "ScriptingCore/DOM/Document.h"
#include "ScriptingCore/DOM/Element.h"
#include "ScriptingCore/DOM/Window.h"
#include "ScriptingCore/Log.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {

namespace {

// Script text for MSHTML: widened with the thread's code page.
com::Bstr threadCodePageBstr(const std::string& text)
{
    std::wstring wide;
    if (!text.empty()) {
        const int length =
            MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        wide.assign(static_cast<std::size_t>(std::max(length, 0)), L'\0');
        if (length > 0)
            MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    }
    return com::Bstr(wide);
}

}  // namespace

ActiveXBrowserHost::ActiveXBrowserHost(IWebBrowser2* webBrowser, IOleClientSite* site)
    : m_messageWindow(std::make_unique<WinMessageWindow>())
{
    resume(webBrowser, site);
}

ActiveXBrowserHost::~ActiveXBrowserHost()
{
    if (!isShutDown())
        shutdown();
}

std::shared_ptr<ActiveXBrowserHost> ActiveXBrowserHost::activexShared()
{
    return std::static_pointer_cast<ActiveXBrowserHost>(shared_from_this());
}

void ActiveXBrowserHost::resume(IWebBrowser2* webBrowser, IOleClientSite* site)
{
    if (m_webBrowser.get() != webBrowser)
        m_webBrowser = com::ComPtr<IWebBrowser2>(webBrowser);
    if (m_site.get() != site)
        m_site = com::ComPtr<IOleClientSite>(site);
    if (m_webBrowser && !m_document) {
        com::ComPtr<IDispatch> document;
        if (SUCCEEDED(m_webBrowser->get_Document(document.put())) && document) {
            com::ComPtr<IHTMLDocument2> html = document.query<IHTMLDocument2>();
            com::ComPtr<IHTMLWindow2> window;
            if (html && SUCCEEDED(html->get_parentWindow(window.put()))) {
                m_document = document;
                m_window = window;
            }
        }
    }
}

void ActiveXBrowserHost::suspend()
{
    m_webBrowser.reset();
    m_site.reset();
    m_document.reset();
    m_window.reset();
    m_domWindow.reset();
    m_domDocument.reset();
    doDeferredRelease();
}

bool ActiveXBrowserHost::hasPageWindow() const
{
    return static_cast<bool>(m_window);
}

com::ComPtr<IWebBrowser2> ActiveXBrowserHost::webBrowser() const
{
    return m_webBrowser;
}

void ActiveXBrowserHost::initDOMObjects()
{
    if (!m_domWindow && m_window)
        m_domWindow = DOM::Window::create(IDispatchAPI::create(m_window.get(), activexShared()));
    if (!m_domDocument && m_document)
        m_domDocument = DOM::Document::create(IDispatchAPI::create(m_document.get(), activexShared()));
}

std::shared_ptr<DOM::Document> ActiveXBrowserHost::getDOMDocument()
{
    initDOMObjects();
    return m_domDocument;
}

std::shared_ptr<DOM::Window> ActiveXBrowserHost::getDOMWindow()
{
    initDOMObjects();
    return m_domWindow;
}

std::shared_ptr<DOM::Element> ActiveXBrowserHost::getDOMElement()
{
    com::ComPtr<IOleControlSite> controlSite = m_site.query<IOleControlSite>();
    com::ComPtr<IDispatch> control;
    if (!controlSite || FAILED(controlSite->GetExtendedControl(control.put())) || !control)
        return nullptr;
    com::ComPtr<IHTMLElement2> element = control.query<IHTMLElement2>();
    if (!element)
        return nullptr;
    return DOM::Element::create(IDispatchAPI::create(element.get(), activexShared()));
}

void ActiveXBrowserHost::Navigate(const std::string& url, const std::string& target)
{
    if (!m_webBrowser)
        return;
    const com::Bstr address(utf8_to_wstring(url));
    com::Variant frame;
    frame.bstrVal = com::Bstr(utf8_to_wstring(target)).detach();
    frame.vt = VT_BSTR;
    com::Variant flags, postData, headers;
    m_webBrowser->Navigate(address.get(), &flags, &frame, &postData, &headers);
}

void ActiveXBrowserHost::evaluateJavaScript(const std::string& script)
{
    if (!m_window)
        throw script_error("Can't execute JavaScript: Window is NULL");
    const com::Bstr language = threadCodePageBstr("javascript");
    const com::Bstr code = threadCodePageBstr(script);
    com::Variant result;
    if (FAILED(m_window->execScript(code.get(), language.get(), &result)))
        throw script_error("Error executing JavaScript code");
}

std::shared_ptr<IDispatchAPI> ActiveXBrowserHost::windowObject()
{
    const DOM::WindowPtr window = getDOMWindow();
    auto object = window ? std::dynamic_pointer_cast<IDispatchAPI>(window->getJSObject()) : nullptr;
    if (!object)
        throw script_error("Could not invoke, ActiveX control has been suspended");
    return object;
}

std::shared_ptr<IDispatchAPI> ActiveXBrowserHost::pageHelper()
{
    const std::string name =
        PageScripts::helperName(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(getContextID())));
    auto read = [this, &name] {
        auto helper = std::dynamic_pointer_cast<IDispatchAPI>(windowObject()->getPropertySync(name).cast<JSObjectPtr>());
        if (!helper)
            throw bad_variant_cast(typeid(void), typeid(JSObjectPtr));
        return helper;
    };
    try {
        return read();
    } catch (const bad_variant_cast&) {
        evaluateJavaScript(PageScripts::helperScript(name));
        return read();
    }
}

void ActiveXBrowserHost::invokeDelayed(long delayMs, const JSObjectPtr& func, const VariantList& args,
                                       std::string fname)
{
    if (!m_window)
        throw script_error("Could not invoke, ActiveX control has been suspended");
    const VariantList call{variant(static_cast<int>(delayMs)), variant(func), variant(args), variant(fname)};
    pageHelper()->invokeSync("asyncCall", call);
}

JSObjectPtr ActiveXBrowserHost::createPageDeferred()
{
    auto make = [this] {
        auto deferred =
            std::dynamic_pointer_cast<IDispatchAPI>(windowObject()->invokeSync("PageBridgePromise", VariantList())
                                                        .cast<JSObjectPtr>());
        if (!deferred)
            throw bad_variant_cast(typeid(void), typeid(JSObjectPtr));
        return JSObjectPtr(deferred);
    };
    try {
        return make();
    } catch (...) {
        evaluateJavaScript(PageScripts::promiseLibrary());
        return make();
    }
}

Promise<VariantList> ActiveXBrowserHost::getArrayValues(const JSObjectPtr& obj)
{
    auto array = std::dynamic_pointer_cast<IDispatchAPI>(obj);
    VariantList values;
    if (!array)
        return Promise<VariantList>(values);
    const unsigned int length = array->getPropertySync("length").convert_cast<unsigned int>();
    for (unsigned int i = 0; i < length; ++i)
        values.push_back(array->getPropertySync(static_cast<int>(i)));
    return Promise<VariantList>(values);
}

Promise<VariantMap> ActiveXBrowserHost::getObjectValues(const JSObjectPtr& obj)
{
    auto object = std::dynamic_pointer_cast<IDispatchAPI>(obj);
    VariantMap values;
    if (!object)
        return Promise<VariantMap>(values);
    try {
        std::vector<std::string> names;
        object->getMemberNames(names);
        for (const std::string& name : names)
            values[name] = object->getPropertySync(name);
    } catch (const script_error& e) {
        throw script_error(e.what());
    }
    return Promise<VariantMap>(values);
}

std::shared_ptr<DOM::Window> ActiveXBrowserHost::_createWindow(const JSObjectPtr& obj) const
{
    return std::make_shared<AXDOM::Window>(std::dynamic_pointer_cast<IDispatchAPI>(obj), m_webBrowser.get());
}

std::shared_ptr<DOM::Document> ActiveXBrowserHost::_createDocument(const JSObjectPtr& obj) const
{
    return std::make_shared<AXDOM::Document>(std::dynamic_pointer_cast<IDispatchAPI>(obj), m_webBrowser.get());
}

std::shared_ptr<DOM::Element> ActiveXBrowserHost::_createElement(const JSObjectPtr& obj) const
{
    return std::make_shared<AXDOM::Element>(std::dynamic_pointer_cast<IDispatchAPI>(obj), m_webBrowser.get());
}

std::shared_ptr<DOM::Node> ActiveXBrowserHost::_createNode(const JSObjectPtr& obj) const
{
    return std::make_shared<AXDOM::Node>(std::dynamic_pointer_cast<IDispatchAPI>(obj), m_webBrowser.get());
}

bool ActiveXBrowserHost::_scheduleAsyncCall(void (*func)(void*), void* userData) const
{
    boost::shared_lock<boost::shared_mutex> lock(m_windowLock);
    if (isShutDown() || !m_messageWindow)
        return false;
    Log::trace("ActiveXHost", "Scheduling async call for main thread", "ActiveXBrowserHost", __LINE__,
               "PB::ActiveX::ActiveXBrowserHost::_scheduleAsyncCall");
    return m_messageWindow->postCall(func, userData);
}

BrowserStreamPtr ActiveXBrowserHost::_createStream(const BrowserStreamRequest& req)
{
    const std::string url = req.getUrl();
    std::shared_ptr<ActiveXStream> stream =
        req.method == "POST"
            ? std::make_shared<ActiveXStream>(url, req.cache, req.seekable, req.internalBufferSize, req.getPostData())
            : std::make_shared<ActiveXStream>(url, req.cache, req.seekable, req.internalBufferSize);
    if (req.getEventSink())
        stream->AttachObserver(req.getEventSink());
    if (!stream->open())
        return nullptr;
    StreamCreatedEvent created(stream.get());
    stream->SendEvent(&created);
    if (req.seekable) {
        stream->setOpen(true);
        StreamOpenedEvent opened(stream.get());
        stream->SendEvent(&opened);
    }
    return stream;
}

BrowserStreamPtr ActiveXBrowserHost::_createUnsolicitedStream(const BrowserStreamRequest&)
{
    return nullptr;
}

IDispatchEx* ActiveXBrowserHost::getJSAPIWrapper(const std::weak_ptr<JSAPI>& api, bool autoRelease)
{
    const std::shared_ptr<ActiveXBrowserHost> self = activexShared();
    const JSAPIPtr object = api.lock();
    if (!object)
        return getPluginFactory()->createCOMJavascriptObject(self, api, autoRelease);
    std::lock_guard<std::recursive_mutex> lock(m_refsMutex);
    auto found = m_wrapperCache.find(object.get());
    if (found != m_wrapperCache.end()) {
        if (std::shared_ptr<ShareableReference<IDispatchEx>> ref = found->second.lock()) {
            ref->getPtr()->AddRef();
            return ref->getPtr();
        }
        m_wrapperCache.erase(found);
    }
    IDispatchEx* wrapper = getPluginFactory()->createCOMJavascriptObject(self, api, autoRelease);
    if (auto* made = dynamic_cast<COMJavascriptObject*>(wrapper))
        m_wrapperCache[object.get()] = made->getSelfReference();
    return wrapper;
}

std::shared_ptr<ShareableReference<IDispatch>> ActiveXBrowserHost::getIDispatchRef(IDispatch* obj)
{
    if (!obj)
        return nullptr;
    obj->AddRef();
    auto ref = std::make_shared<ShareableReference<IDispatch>>(obj);
    std::lock_guard<std::recursive_mutex> lock(m_refsMutex);
    m_held.push_back(ref);
    return ref;
}

void ActiveXBrowserHost::deferredRelease(const std::weak_ptr<ShareableReference<IDispatch>>& ref)
{
    {
        std::lock_guard<std::mutex> lock(m_deferredMutex);
        m_deferred.push_back(ref);
    }
    if (isMainThread())
        doDeferredRelease();
}

void ActiveXBrowserHost::doDeferredRelease()
{
    for (;;) {
        std::weak_ptr<ShareableReference<IDispatch>> next;
        {
            std::lock_guard<std::mutex> lock(m_deferredMutex);
            if (m_deferred.empty())
                break;
            next = m_deferred.front();
            m_deferred.pop_front();
        }
        std::shared_ptr<ShareableReference<IDispatch>> ref = next.lock();
        if (!ref)
            continue;
        {
            std::lock_guard<std::recursive_mutex> lock(m_refsMutex);
            auto held = std::find(m_held.begin(), m_held.end(), ref);
            if (held == m_held.end())
                continue;
            m_held.erase(held);
        }
        ref->getPtr()->Release();
    }
    std::lock_guard<std::recursive_mutex> lock(m_refsMutex);
    for (auto entry = m_wrapperCache.begin(); entry != m_wrapperCache.end();) {
        if (entry->second.expired())
            entry = m_wrapperCache.erase(entry);
        else
            ++entry;
    }
}

void ActiveXBrowserHost::releaseHeldReferences()
{
    std::list<std::shared_ptr<ShareableReference<IDispatch>>> held;
    {
        std::lock_guard<std::recursive_mutex> lock(m_refsMutex);
        held.swap(m_held);
    }
    // Released without the lock: a page object may call back into the host.
    for (const auto& ref : held)
        ref->getPtr()->Release();
}

void ActiveXBrowserHost::shutdown()
{
    {
        boost::unique_lock<boost::shared_mutex> lock(m_windowLock);
        m_messageWindow.reset();
    }
    releaseHeldReferences();
    BrowserHost::shutdown();
    suspend();
}

void ActiveXBrowserHost::getComVariant(VARIANT* out, const variant& value)
{
    VariantInit(out);
    const ComVariantBuilderMap& builders = getComVariantBuilderMap();
    auto found = builders.find(&value.get_type());
    if (found == builders.end())
        return;
    found->second(activexShared(), value, out);
}

variant ActiveXBrowserHost::getVariant(const VARIANT* value)
{
    return variantFromCom(value, activexShared());
}

}  // namespace ActiveX
}  // namespace PB
