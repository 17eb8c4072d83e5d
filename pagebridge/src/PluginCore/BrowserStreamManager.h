#pragma once
// Keeps alive the streams nobody else holds: the browser host hands it each
// stream it opens, and the manager lets go of it when the stream completes.

#include <cstddef>
#include <mutex>
#include <set>

#include "PluginCore/BrowserStream.h"
#include "PluginCore/PluginEventSink.h"

namespace PB {

class StreamCompletedEvent;

class BrowserStreamManager : public PluginEventSink {
public:
    BrowserStreamManager() = default;
    // Closes every stream still kept.
    ~BrowserStreamManager() override;

    bool HandleEvent(PluginEvent* event, PluginEventSource* source) override;
    // Lets go of the stream whatever the outcome; false, so that the other
    // observers see the completion too.
    virtual bool onStreamCompleted(StreamCompletedEvent* event, BrowserStream* stream);

    // Keeps the stream until it completes. Throws std::bad_weak_ptr when
    // the manager is not owned by a shared pointer.
    void retainStream(const BrowserStreamPtr& stream);
    void releaseStream(const BrowserStreamPtr& stream);

    std::size_t retainedCount() const;

private:
    std::set<BrowserStreamPtr> m_streams;
    // Guards the set only; never held while a stream is called.
    mutable std::recursive_mutex m_lock;
};

}  // namespace PB
