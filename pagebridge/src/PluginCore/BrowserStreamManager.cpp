#include "PluginCore/BrowserStreamManager.h"

#include <exception>

#include "PluginCore/PluginEvent.h"
#include "ScriptingCore/Log.h"

namespace PB {

BrowserStreamManager::~BrowserStreamManager()
{
    std::set<BrowserStreamPtr> kept;
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        kept.swap(m_streams);
    }
    for (const BrowserStreamPtr& stream : kept) {
        try {
            stream->close();
        } catch (const std::exception& e) {
            Log::warn("BrowserStreamManager", std::string("Closing a stream failed: ") + e.what(), __FILE__, __LINE__,
                      "PB::BrowserStreamManager::~BrowserStreamManager");
        }
    }
}

bool BrowserStreamManager::HandleEvent(PluginEvent* event, PluginEventSource* source)
{
    auto* completed = dynamic_cast<StreamCompletedEvent*>(event);
    auto* stream = completed ? dynamic_cast<BrowserStream*>(source) : nullptr;
    return stream ? onStreamCompleted(completed, stream) : false;
}

bool BrowserStreamManager::onStreamCompleted(StreamCompletedEvent*, BrowserStream* stream)
{
    // Taken before the erase; the stream itself keeps alive while it delivers.
    const BrowserStreamPtr keep = stream->shared_from_this();
    releaseStream(keep);
    return false;
}

// The manager's lock is never held while the stream's event lock is taken:
// a completion arrives under the stream's lock and takes the manager's.
void BrowserStreamManager::retainStream(const BrowserStreamPtr& stream)
{
    const PluginEventSinkPtr self = PluginEventSink::shared_from_this();
    {
        std::lock_guard<std::recursive_mutex> lock(m_lock);
        if (!m_streams.insert(stream).second)
            return;  // attached already: a second entry would only repeat every event
    }
    stream->AttachObserver(self);
}

void BrowserStreamManager::releaseStream(const BrowserStreamPtr& stream)
{
    stream->DetachObserver(PluginEventSink::shared_from_this());
    // Dropped after the lock: the last pointer may take the stream with it.
    std::set<BrowserStreamPtr>::node_type released;
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    released = m_streams.extract(stream);
}

std::size_t BrowserStreamManager::retainedCount() const
{
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    return m_streams.size();
}

}  // namespace PB
