#include "ScriptingCore/BrowserHost.h"

#include <algorithm>

#include "PluginCore/BrowserStream.h"
#include "PluginCore/BrowserStreamManager.h"
#include "PluginCore/BrowserStreamRequest.h"
#include "PluginCore/SimpleStreamHelper.h"
#include "ScriptingCore/DOM/Document.h"
#include "ScriptingCore/DOM/Window.h"
#include "PluginCore/SystemProxyDetector.h"
#include "ScriptingCore/Log.h"
#include "ScriptingCore/utf8_tools.h"
#include <vector>

namespace PB {

BrowserHost::BrowserHost()
    : m_asyncCallManager(std::make_shared<AsyncCallManager>()),
      m_mainThread(std::this_thread::get_id()),
      m_streamManager(std::make_shared<BrowserStreamManager>())
{
}

BrowserHost::~BrowserHost() = default;

std::shared_ptr<DOM::Window> BrowserHost::_createWindow(const std::shared_ptr<JSObject>& obj) const
{
    return std::make_shared<DOM::Window>(obj);
}

std::shared_ptr<DOM::Document> BrowserHost::_createDocument(const std::shared_ptr<JSObject>& obj) const
{
    return std::make_shared<DOM::Document>(obj);
}

std::shared_ptr<DOM::Element> BrowserHost::_createElement(const std::shared_ptr<JSObject>& obj) const
{
    return std::make_shared<DOM::Element>(obj);
}

std::shared_ptr<DOM::Node> BrowserHost::_createNode(const std::shared_ptr<JSObject>& obj) const
{
    return std::make_shared<DOM::Node>(obj);
}

bool BrowserHost::detectProxySettings(std::map<std::string, std::string>& settings, std::string url)
{
    return SystemProxyDetector::get()->detectProxy(settings, std::move(url));
}

std::shared_ptr<BrowserStreamManager> BrowserHost::streamManager() const
{
    std::lock_guard<std::mutex> lock(m_streamManagerMutex);
    return m_streamManager;
}

std::shared_ptr<BrowserStream> BrowserHost::createStream(const std::string& url,
                                                         const std::shared_ptr<PluginEventSink>& callback, bool cache,
                                                         bool seekable, std::size_t internalBufferSize)
{
    BrowserStreamRequest req(url, "GET", true);
    req.setEventSink(callback);
    req.cache = cache;
    req.seekable = seekable;
    req.internalBufferSize = internalBufferSize;
    return createStream(req, true);
}

std::shared_ptr<BrowserStream> BrowserHost::createPostStream(const std::string& url,
                                                             const std::shared_ptr<PluginEventSink>& callback,
                                                             const std::string& postdata, bool cache, bool seekable,
                                                             std::size_t internalBufferSize)
{
    BrowserStreamRequest req(url, "POST", true);
    req.setEventSink(callback);
    req.setPostData(postdata);
    req.cache = cache;
    req.seekable = seekable;
    req.internalBufferSize = internalBufferSize;
    return createStream(req, true);
}

std::shared_ptr<BrowserStream> BrowserHost::createStream(const BrowserStreamRequest& req, bool enableAsync)
{
    if (enableAsync && req.getCallback() && !req.getEventSink()) {
        const std::shared_ptr<SimpleStreamHelper> helper = SimpleStreamHelper::AsyncRequest(shared_from_this(), req);
        return helper ? helper->getStream() : nullptr;
    }
    return openKeptStream(req, false);
}

std::shared_ptr<BrowserStream> BrowserHost::createUnsolicitedStream(const BrowserStreamRequest& req)
{
    return openKeptStream(req, true);
}

std::shared_ptr<BrowserStream> BrowserHost::openKeptStream(const BrowserStreamRequest& req, bool unsolicited)
{
    // Held across the opening: a shutdown meanwhile closes the stream with the manager.
    const std::shared_ptr<BrowserStreamManager> manager = streamManager();
    if (!manager || isShutDown()) {
        Log::warn("BrowserHost", "No stream opened after shutdown: " + req.getUrl(), __FILE__, __LINE__,
                  "PB::BrowserHost::openKeptStream");
        return nullptr;
    }
    std::shared_ptr<BrowserStream> stream = unsolicited ? _createUnsolicitedStream(req) : _createStream(req);
    if (stream)
        manager->retainStream(stream);
    return stream;
}

void BrowserHost::Navigate(const std::string&, const std::string&) {}

void BrowserHost::evaluateJavaScript(const std::wstring& script)
{
    evaluateJavaScript(wstring_to_utf8(script));
}

namespace {
struct HtmlLogRecord {
    BrowserHostPtr host;
    std::string message;
};
}  // namespace

void BrowserHost::htmlLog(const std::string& msg)
{
    Log::info("BrowserHost", "Logging to HTML: " + msg, __FILE__, __LINE__, "PB::BrowserHost::htmlLog");
    if (!m_htmlLogEnabled)
        return;
    auto record = std::make_unique<HtmlLogRecord>(HtmlLogRecord{shared_from_this(), msg});
    if (ScheduleAsyncCall(&BrowserHost::AsyncHtmlLog, record.get()))
        record.release();  // the call owns it now
}

void BrowserHost::AsyncHtmlLog(void* data)
{
    std::unique_ptr<HtmlLogRecord> record(static_cast<HtmlLogRecord*>(data));
    try {
        std::shared_ptr<DOM::Window> window = record->host->getDOMWindow();
        if (!window || !window->getJSObject()->hasProperty("console"))
            return;
        const std::string message = record->message;
        window->getProperty<JSObjectPtr>("console").done([message](JSObjectPtr console) {
            if (!console)
                return;
            Log::info("BrowserHost", "Logging: " + message, __FILE__, __LINE__, "PB::BrowserHost::AsyncHtmlLog");
            console->invoke("log", VariantList{variant(message)});
        });
    } catch (const std::exception&) {
        Log::trace("BrowserHost", "Logging to browser console failed", __FILE__, __LINE__,
                   "PB::BrowserHost::AsyncHtmlLog");
    }
}

bool BrowserHost::isMainThread() const
{
    return std::this_thread::get_id() == m_mainThread;
}

bool BrowserHost::ScheduleAsyncCall(void (*func)(void*), void* userData) const
{
    if (m_isShutDown.load())
        return false;
    PendingAsyncCall* record = m_asyncCallManager->makeCallback(func, userData);
    if (!_scheduleAsyncCall(&AsyncCallManager::callTrampoline, record->handle())) {
        m_asyncCallManager->removeCall(record);
        return false;
    }
    return true;
}

void BrowserHost::shutdown()
{
    // Objects are told without the lock held: they may call back into the host.
    std::vector<JSAPIPtr> retained;
    {
        std::lock_guard<std::recursive_mutex> lock(m_retainedMutex);
        retained.assign(m_retained.begin(), m_retained.end());
    }
    for (const JSAPIPtr& obj : retained)
        obj->onHostShutdown();
    retained.clear();
    releaseAllJSAPI();
    // Declared before the lock, so that the kept streams are closed once
    // the lock is released.
    std::shared_ptr<BrowserStreamManager> streams;
    // Upgrade mode is granted while callers hold the lock shared, so waiting
    // callers are not waited for: they see the flag within one slice.
    boost::upgrade_lock<boost::shared_mutex> lock(crossThreadLock);
    m_isShutDown = true;
    m_asyncCallManager->shutdown();
    std::lock_guard<std::mutex> managerLock(m_streamManagerMutex);
    streams.swap(m_streamManager);
}

void BrowserHost::retainJSAPI(const JSAPIPtr& obj)
{
    std::lock_guard<std::recursive_mutex> lock(m_retainedMutex);
    m_retained.push_back(obj);
}

// The retained objects are let go, and the adapter's deferred release runs,
// after the lock: both reach into the adapter, whose own locks are taken
// while this one is (an adapter retains the objects it wraps).
void BrowserHost::releaseJSAPI(const JSAPIPtr& obj)
{
    JSAPIPtr released;
    {
        std::lock_guard<std::recursive_mutex> lock(m_retainedMutex);
        auto found = std::find(m_retained.begin(), m_retained.end(), obj);
        if (found != m_retained.end()) {
            released = std::move(*found);
            m_retained.erase(found);
        }
    }
    released.reset();
    if (isMainThread())
        doDeferredRelease();
}

void BrowserHost::releaseAllJSAPI()
{
    std::list<JSAPIPtr> released;
    {
        std::lock_guard<std::recursive_mutex> lock(m_retainedMutex);
        released.swap(m_retained);
    }
    released.clear();
    doDeferredRelease();
}

std::size_t BrowserHost::retainedCount() const
{
    std::lock_guard<std::recursive_mutex> lock(m_retainedMutex);
    return m_retained.size();
}

}  // namespace PB
