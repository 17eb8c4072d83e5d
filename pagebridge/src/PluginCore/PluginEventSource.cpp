#include "PluginCore/PluginEventSource.h"

#include <vector>

#include "PluginCore/PluginEvent.h"

namespace PB {

void PluginEventSource::AttachObserver(const PluginEventSinkPtr& sink)
{
    std::lock_guard<std::recursive_mutex> lock(m_observerLock);
    m_observers.push_back(sink);
    AttachedEvent attached;
    sink->HandleEvent(&attached, this);
}

void PluginEventSource::AttachObserver(PluginEventSink* sink)
{
    AttachObserver(sink->shared_from_this());
}

void PluginEventSource::DetachObserver(const PluginEventSinkPtr& sink)
{
    std::lock_guard<std::recursive_mutex> lock(m_observerLock);
    std::vector<PluginEventSinkPtr> detached;
    for (auto it = m_observers.begin(); it != m_observers.end();) {
        PluginEventSinkPtr observer = it->lock();
        if (!observer || observer == sink) {
            if (observer)
                detached.push_back(observer);
            it = m_observers.erase(it);
        } else {
            ++it;
        }
    }
    for (const PluginEventSinkPtr& observer : detached) {
        DetachedEvent event;
        observer->HandleEvent(&event, this);
    }
}

void PluginEventSource::DetachObserver(PluginEventSink* sink)
{
    DetachObserver(sink->shared_from_this());
}

bool PluginEventSource::SendEvent(PluginEvent* event)
{
    std::lock_guard<std::recursive_mutex> lock(m_observerLock);
    // A copy, so that observers may attach and detach while they handle it.
    const std::list<std::weak_ptr<PluginEventSink>> observers = m_observers;
    for (const auto& entry : observers) {
        PluginEventSinkPtr observer = entry.lock();
        if (observer && observer->HandleEvent(event, this))
            return true;
    }
    return false;
}

}  // namespace PB
