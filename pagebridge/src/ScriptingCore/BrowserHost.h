#pragma once
// The services a browser (or host process) offers the plug-in. Each host
// adapter derives its own host; what needs no knowledge of the host is done
// here once: reaching the main thread, keeping scriptable objects alive for
// the page, and shutting down in order.

#include <boost/thread/shared_mutex.hpp>

#include <atomic>
#include <cstddef>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "ScriptingCore/AsyncCallManager.h"
#include "ScriptingCore/CrossThreadCall.h"
#include "ScriptingCore/JSAPI.h"

namespace PB {

class JSObject;
class PluginEventSink;
class BrowserStream;
class BrowserStreamRequest;
class BrowserStreamManager;
namespace DOM {
class Node;
class Element;
class Document;
class Window;
}  // namespace DOM

class BrowserHost : public std::enable_shared_from_this<BrowserHost> {
public:
    BrowserHost();
    BrowserHost(const BrowserHost&) = delete;
    BrowserHost& operator=(const BrowserHost&) = delete;
    virtual ~BrowserHost();

    // An opaque identifier of the page this host serves; the same for every
    // page object of the host.
    virtual void* getContextID() const = 0;

    // URL streams. A stream opened here is kept until it completes, even when
    // the caller drops it; after shutdown no stream is opened (empty result).
    virtual std::shared_ptr<BrowserStream> createStream(const std::string& url,
                                                        const std::shared_ptr<PluginEventSink>& callback,
                                                        bool cache, bool seekable, std::size_t internalBufferSize);
    // A request with a completion callback and no event sink (and async
    // enabled) is served by the simple stream helper; any other by the host.
    virtual std::shared_ptr<BrowserStream> createStream(const BrowserStreamRequest& req, bool enableAsync);
    virtual std::shared_ptr<BrowserStream> createPostStream(const std::string& url,
                                                            const std::shared_ptr<PluginEventSink>& callback,
                                                            const std::string& postdata, bool cache, bool seekable,
                                                            std::size_t internalBufferSize);
    // A stream the browser did not ask for.
    virtual std::shared_ptr<BrowserStream> createUnsolicitedStream(const BrowserStreamRequest& req);

    // The page's document, window (empty when there is none) and the
    // plug-in's own element.
    virtual std::shared_ptr<DOM::Document> getDOMDocument() = 0;
    virtual std::shared_ptr<DOM::Window> getDOMWindow() = 0;
    virtual std::shared_ptr<DOM::Element> getDOMElement() = 0;

    // Opens the URL in the named frame; nothing in hosts that cannot.
    virtual void Navigate(const std::string& url, const std::string& target);
    virtual void evaluateJavaScript(const std::wstring& script);
    // Runs the script in the page's window; throws script_error where the host cannot.
    virtual void evaluateJavaScript(const std::string& script) = 0;

    // The proxy the system would use for the URL ("type", "hostname", "port").
    virtual bool detectProxySettings(std::map<std::string, std::string>& settings, std::string url);

    // Logs the message and writes it to the page's console.
    virtual void htmlLog(const std::string& msg);
    virtual void setHtmlLogEnabled(bool enabled) { m_htmlLogEnabled = enabled; }
    static void AsyncHtmlLog(void* data);

    // Has the page call the method of the object (the object itself when the
    // name is empty) after the delay, on the main thread, without waiting.
    virtual void invokeDelayed(long delayMs, const std::shared_ptr<JSObject>& obj, const VariantList& args,
                               std::string method) = 0;

    // The elements of a page array in index order (page objects as
    // JSObject pointers); an object the host cannot read gives an empty list.
    virtual Promise<VariantList> getArrayValues(const std::shared_ptr<JSObject>& array) = 0;
    // The enumerable properties of a page object, by name.
    virtual Promise<VariantMap> getObjectValues(const std::shared_ptr<JSObject>& object) = 0;

    // DOM wrappers around page objects of this host; an adapter may make
    // wrappers of its own kind.
    virtual std::shared_ptr<DOM::Window> _createWindow(const std::shared_ptr<JSObject>& obj) const;
    virtual std::shared_ptr<DOM::Document> _createDocument(const std::shared_ptr<JSObject>& obj) const;
    virtual std::shared_ptr<DOM::Element> _createElement(const std::shared_ptr<JSObject>& obj) const;
    virtual std::shared_ptr<DOM::Node> _createNode(const std::shared_ptr<JSObject>& obj) const;

    // The shutdown sequence; adapters that override it call this first.
    virtual void shutdown();

    // On the main thread, releases the host-side references the adapter
    // queued for release. Never called with the retained-object lock held.
    virtual void doDeferredRelease() = 0;

    bool isMainThread() const;
    bool isShutDown() const { return m_isShutDown.load(); }

    // Queues a plain function for the main thread; false when the host
    // refuses (it has shut down, or the adapter cannot post), in which case
    // the function is never called and the caller still owns the data.
    bool ScheduleAsyncCall(void (*func)(void*), void* userData) const;

    // Runs the bound call on the main thread and waits for its result.
    template <typename Functor>
    auto CallOnMainThread(Functor func) -> decltype(func())
    {
        boost::shared_lock<boost::shared_mutex> lock(crossThreadLock);
        return CrossThreadCall::syncCall(shared_from_this(), std::move(func));
    }

    // Posts the bound call to the main thread; obj stays alive until it ran.
    template <typename Owner, typename Functor>
    void ScheduleOnMainThread(std::shared_ptr<Owner> obj, Functor func)
    {
        boost::shared_lock<boost::shared_mutex> lock(crossThreadLock);
        CrossThreadCall::asyncCall(shared_from_this(), std::move(obj), std::move(func));
    }

    void retainJSAPI(const JSAPIPtr& obj);
    void releaseJSAPI(const JSAPIPtr& obj);
    void releaseAllJSAPI();
    std::size_t retainedCount() const;

    const std::shared_ptr<AsyncCallManager>& asyncCallManager() const { return m_asyncCallManager; }

protected:
    // Arranges for func(userData) to be called once on the main thread, soon,
    // without waiting; false when it cannot, and then it must never call it.
    virtual bool _scheduleAsyncCall(void (*func)(void*), void* userData) const = 0;
    // A stream of the host's own kind for the request, with the request's
    // event sink attached; empty when the host cannot open one.
    virtual std::shared_ptr<BrowserStream> _createStream(const BrowserStreamRequest& req) = 0;
    virtual std::shared_ptr<BrowserStream> _createUnsolicitedStream(const BrowserStreamRequest& req) = 0;

    mutable boost::shared_mutex crossThreadLock;

private:
    // The manager that keeps opened streams; empty once shut down.
    std::shared_ptr<BrowserStreamManager> streamManager() const;
    // Has the adapter open the stream and hands it to the manager to keep.
    std::shared_ptr<BrowserStream> openKeptStream(const BrowserStreamRequest& req, bool unsolicited);

    std::shared_ptr<AsyncCallManager> m_asyncCallManager;
    std::thread::id m_mainThread;
    std::atomic<bool> m_isShutDown{false};
    // Guards the list only; nothing outside it runs while it is held, so an
    // adapter may retain objects under locks of its own.
    mutable std::recursive_mutex m_retainedMutex;
    std::list<JSAPIPtr> m_retained;
    mutable std::mutex m_streamManagerMutex;
    std::shared_ptr<BrowserStreamManager> m_streamManager;
    std::atomic<bool> m_htmlLogEnabled{true};
};

using BrowserHostPtr = std::shared_ptr<BrowserHost>;
using BrowserHostWeakPtr = std::weak_ptr<BrowserHost>;

}  // namespace PB
