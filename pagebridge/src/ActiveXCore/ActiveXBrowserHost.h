#pragma once
// The browser services of an ActiveX control in an MSHTML page: script in
// the page window, delayed calls through the page helper, page deferreds from
// the promise library, calls to the main thread through a hidden message
// window, DOM wrappers, navigation, URL-moniker streams, value conversion
// both ways, the COM faces of scriptable objects, and the COM references
// held for page objects (given back on the main thread only).

#include <boost/thread/shared_mutex.hpp>

#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include <com/comptr.h>
#include <com/control.h>
#include <com/mshtml.h>

#include "PluginAuto/ShareableReference.h"
#include "PluginCore/BrowserStream.h"
#include "ScriptingCore/BrowserHost.h"

namespace PB {

class WinMessageWindow;

namespace ActiveX {

class IDispatchAPI;

class ActiveXBrowserHost : public BrowserHost {
public:
    // Creates the message window on this (the main) thread and finds the
    // page's document and window through the browser.
    ActiveXBrowserHost(IWebBrowser2* webBrowser, IOleClientSite* site);
    ~ActiveXBrowserHost() override;

    void* getContextID() const override { return const_cast<ActiveXBrowserHost*>(this); }
    // This host as owned by its shared pointer; std::bad_weak_ptr when none.
    std::shared_ptr<ActiveXBrowserHost> activexShared();

    std::shared_ptr<DOM::Document> getDOMDocument() override;
    std::shared_ptr<DOM::Window> getDOMWindow() override;
    // The control's own element (through the site's extended control);
    // empty when the site cannot give it.
    std::shared_ptr<DOM::Element> getDOMElement() override;
    void Navigate(const std::string& url, const std::string& target) override;
    using BrowserHost::evaluateJavaScript;
    void evaluateJavaScript(const std::string& script) override;
    void invokeDelayed(long delayMs, const JSObjectPtr& func, const VariantList& args, std::string fname) override;
    Promise<VariantList> getArrayValues(const JSObjectPtr& obj) override;
    Promise<VariantMap> getObjectValues(const JSObjectPtr& obj) override;
    void shutdown() override;
    void doDeferredRelease() override;

    std::shared_ptr<DOM::Window> _createWindow(const JSObjectPtr& obj) const override;
    std::shared_ptr<DOM::Document> _createDocument(const JSObjectPtr& obj) const override;
    std::shared_ptr<DOM::Element> _createElement(const JSObjectPtr& obj) const override;
    std::shared_ptr<DOM::Node> _createNode(const JSObjectPtr& obj) const override;

    // The control's window came (back): takes the pointers that changed and
    // finds the page's document and window when none is held.
    void resume(IWebBrowser2* webBrowser, IOleClientSite* site);
    // The control was deactivated: lets the browser, site, document, window
    // and DOM wrappers go.
    void suspend();
    // Gives back the COM reference of every page object (they turn invalid).
    void releaseHeldReferences();
    bool hasPageWindow() const;
    com::ComPtr<IWebBrowser2> webBrowser() const;

    // The COM face of a scriptable object, the same while it lives; one
    // reference for the caller. Null when it cannot be made.
    IDispatchEx* getJSAPIWrapper(const std::weak_ptr<JSAPI>& api, bool autoRelease);
    // Holds one reference on the page object for a page-object wrapper,
    // which keeps only a weak pointer to the record.
    std::shared_ptr<ShareableReference<IDispatch>> getIDispatchRef(IDispatch* obj);
    // Gives the reference back on the main thread: at once when called
    // there, else at the next deferred release. Any thread.
    void deferredRelease(const std::weak_ptr<ShareableReference<IDispatch>>& ref);
    // A new deferred of the page's promise library (injected on first need).
    JSObjectPtr createPageDeferred();

    // Value conversion. getComVariant writes a value the caller owns into
    // out (VT_EMPTY for a type it does not convert).
    void getComVariant(VARIANT* out, const variant& value);
    variant getVariant(const VARIANT* value);

protected:
    // Posts the call to the message window; false after shutdown.
    bool _scheduleAsyncCall(void (*func)(void*), void* userData) const override;
    BrowserStreamPtr _createStream(const BrowserStreamRequest& req) override;
    BrowserStreamPtr _createUnsolicitedStream(const BrowserStreamRequest& req) override;

private:
    void initDOMObjects();
    // The page window's script object; throws when there is none.
    std::shared_ptr<IDispatchAPI> windowObject();
    // The page helper of this host, injected on first use.
    std::shared_ptr<IDispatchAPI> pageHelper();

    com::ComPtr<IOleClientSite> m_site;
    com::ComPtr<IDispatch> m_document;
    com::ComPtr<IHTMLWindow2> m_window;
    com::ComPtr<IWebBrowser2> m_webBrowser;
    std::shared_ptr<DOM::Window> m_domWindow;
    std::shared_ptr<DOM::Document> m_domDocument;

    std::unique_ptr<WinMessageWindow> m_messageWindow;
    mutable boost::shared_mutex m_windowLock;

    std::mutex m_deferredMutex;
    std::deque<std::weak_ptr<ShareableReference<IDispatch>>> m_deferred;

    // Guards the wrapper cache and the held references: page objects may
    // be made while another thread waits for a marshalled call.
    mutable std::recursive_mutex m_refsMutex;
    std::map<const void*, std::weak_ptr<ShareableReference<IDispatchEx>>> m_wrapperCache;
    std::list<std::shared_ptr<ShareableReference<IDispatch>>> m_held;
};

using ActiveXBrowserHostPtr = std::shared_ptr<ActiveXBrowserHost>;

}  // namespace ActiveX
}  // namespace PB
