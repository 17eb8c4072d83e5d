#pragma once
// A browser host for tests: posted calls queue up and run only when the
// thread that made the host pumps; nothing posted ever runs inline.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "ScriptingCore/BrowserHost.h"
#include "support/FedStream.h"

namespace test {

class PumpedHost : public PB::BrowserHost {
public:
    struct DelayedInvoke {
        long delayMs;
        std::shared_ptr<PB::JSObject> object;
        PB::VariantList args;
        std::string method;
    };

    // Runs queued calls on this (the main) thread; returns how many ran.
    std::size_t pump();
    // Pumps until pred() holds or the time runs out; true when it holds.
    bool pumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

    std::size_t queued() const;
    // Drops what is queued without running it, as a browser that goes away does.
    std::vector<std::pair<void (*)(void*), void*>> takeQueue();

    void refusePosts(bool refuse) { m_refuse = refuse; }
    std::size_t deferredReleases() const { return m_deferredReleases; }
    const std::vector<DelayedInvoke>& delayedInvokes() const { return m_delayed; }

    // The page's window and document, when a test gives the host some.
    std::shared_ptr<PB::JSObject> window;
    std::shared_ptr<PB::JSObject> document;
    std::vector<std::string> evaluated;

    // The streams the host opened, solicited or not, in order; held weakly,
    // so that a test sees when the plug-in side lets go. The test feeds them.
    std::vector<std::weak_ptr<FedStream>> streams;
    std::vector<std::weak_ptr<FedStream>> unsolicited;
    // A host that can open no stream (or no unsolicited one).
    bool refuseStreams = false;
    bool refuseUnsolicited = false;
    // The last stream opened; empty when it is gone.
    std::shared_ptr<FedStream> lastStream() const;

    std::shared_ptr<PB::DOM::Document> getDOMDocument() override;
    std::shared_ptr<PB::DOM::Window> getDOMWindow() override;
    std::shared_ptr<PB::DOM::Element> getDOMElement() override { return nullptr; }
    void evaluateJavaScript(const std::string& script) override { evaluated.push_back(script); }
    using PB::BrowserHost::evaluateJavaScript;

    void* getContextID() const override { return const_cast<PumpedHost*>(this); }
    void invokeDelayed(long delayMs, const std::shared_ptr<PB::JSObject>& obj, const PB::VariantList& args,
                       std::string method) override;
    void doDeferredRelease() override { ++m_deferredReleases; }
    // Reads "length" and each index through the object's own getProperty.
    PB::Promise<PB::VariantList> getArrayValues(const std::shared_ptr<PB::JSObject>& array) override;
    PB::Promise<PB::VariantMap> getObjectValues(const std::shared_ptr<PB::JSObject>& object) override;

protected:
    bool _scheduleAsyncCall(void (*func)(void*), void* userData) const override;
    PB::BrowserStreamPtr _createStream(const PB::BrowserStreamRequest& req) override;
    PB::BrowserStreamPtr _createUnsolicitedStream(const PB::BrowserStreamRequest& req) override;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_posted;
    mutable std::deque<std::pair<void (*)(void*), void*>> m_queue;
    std::atomic<bool> m_refuse{false};
    std::atomic<std::size_t> m_deferredReleases{0};
    std::vector<DelayedInvoke> m_delayed;
};

}  // namespace test
