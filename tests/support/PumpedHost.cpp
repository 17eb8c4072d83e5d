#include "support/PumpedHost.h"

#include <chrono>

#include "ScriptingCore/DOM/Document.h"
#include "ScriptingCore/DOM/Window.h"
#include "ScriptingCore/JSObject.h"
#include "ScriptingCore/PromiseJoin.h"

namespace test {

bool PumpedHost::_scheduleAsyncCall(void (*func)(void*), void* userData) const
{
    if (m_refuse)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.emplace_back(func, userData);
    m_posted.notify_all();
    return true;
}

std::size_t PumpedHost::pump()
{
    std::size_t ran = 0;
    for (;;) {
        std::pair<void (*)(void*), void*> next;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty())
                return ran;
            next = m_queue.front();
            m_queue.pop_front();
        }
        next.first(next.second);
        ++ran;
    }
}

bool PumpedHost::pumpUntil(const std::function<bool()>& pred, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        pump();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_posted.wait_for(lock, std::chrono::milliseconds(1), [this] { return !m_queue.empty(); });
    }
    return true;
}

std::size_t PumpedHost::queued() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.size();
}

std::vector<std::pair<void (*)(void*), void*>> PumpedHost::takeQueue()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::pair<void (*)(void*), void*>> taken(m_queue.begin(), m_queue.end());
    m_queue.clear();
    return taken;
}

void PumpedHost::invokeDelayed(long delayMs, const std::shared_ptr<PB::JSObject>& obj, const PB::VariantList& args,
                               std::string method)
{
    m_delayed.push_back({delayMs, obj, args, std::move(method)});
}

}  // namespace test

namespace test {

PB::Promise<PB::VariantList> PumpedHost::getArrayValues(const std::shared_ptr<PB::JSObject>& array)
{
    return PB::Promise<int>(array->getProperty("length")).then<PB::VariantList>([array](int length) {
        std::vector<PB::Promise<PB::variant>> elements;
        for (int i = 0; i < length; ++i)
            elements.push_back(array->getProperty(i));
        PB::Deferred<PB::VariantList> values;
        PB::callWhenAllResolved(elements, [](std::vector<PB::variant> all) {
            return PB::Promise<PB::variant>(PB::variant(PB::VariantList(all)));
        }).done([values](PB::variant all) { values.resolve(all.cast<PB::VariantList>()); },
                [values](std::exception_ptr e) { values.reject(e); });
        return values.promise();
    });
}

PB::Promise<PB::VariantMap> PumpedHost::getObjectValues(const std::shared_ptr<PB::JSObject>& object)
{
    // Only what the object answers at once is collected.
    std::vector<std::string> names;
    object->getMemberNames(names);
    auto values = std::make_shared<PB::VariantMap>();
    for (const std::string& name : names)
        object->getProperty(name).done([values, name](PB::variant v) { (*values)[name] = v; });
    return *values;
}

}  // namespace test

namespace test {

std::shared_ptr<PB::DOM::Document> PumpedHost::getDOMDocument()
{
    return document ? _createDocument(document) : nullptr;
}

std::shared_ptr<PB::DOM::Window> PumpedHost::getDOMWindow()
{
    return window ? _createWindow(window) : nullptr;
}

}  // namespace test

namespace test {

namespace {
// What an adapter does: its own stream for the request, with the request's
// observer attached.
std::shared_ptr<FedStream> openFor(const PB::BrowserStreamRequest& req, std::vector<std::weak_ptr<FedStream>>& list)
{
    auto stream = std::make_shared<FedStream>(req);
    if (req.getEventSink())
        stream->AttachObserver(req.getEventSink());
    list.push_back(stream);
    return stream;
}
}  // namespace

PB::BrowserStreamPtr PumpedHost::_createStream(const PB::BrowserStreamRequest& req)
{
    return refuseStreams ? nullptr : openFor(req, streams);
}

PB::BrowserStreamPtr PumpedHost::_createUnsolicitedStream(const PB::BrowserStreamRequest& req)
{
    return refuseUnsolicited ? nullptr : openFor(req, unsolicited);
}

std::shared_ptr<FedStream> PumpedHost::lastStream() const
{
    return streams.empty() ? nullptr : streams.back().lock();
}

}  // namespace test
