#pragma once
// The sending side of plug-in events: windows and streams. Observers are
// held weakly, in attach order, and get each event until one handles it.

#include <list>
#include <memory>
#include <mutex>

#include "PluginCore/PluginEventSink.h"

namespace PB {

class PluginEventSource : public std::enable_shared_from_this<PluginEventSource> {
public:
    PluginEventSource() = default;
    PluginEventSource(const PluginEventSource&) = delete;
    PluginEventSource& operator=(const PluginEventSource&) = delete;
    virtual ~PluginEventSource() = default;

    // The observer gets an AttachedEvent during the call.
    virtual void AttachObserver(const PluginEventSinkPtr& sink);
    // Throws std::bad_weak_ptr when the sink is not owned by a shared pointer.
    virtual void AttachObserver(PluginEventSink* sink);
    // Every entry of the sink is removed and gets a DetachedEvent; entries
    // of observers that are gone are dropped on the way.
    virtual void DetachObserver(const PluginEventSinkPtr& sink);
    virtual void DetachObserver(PluginEventSink* sink);
    virtual bool SendEvent(PluginEvent* event);

private:
    std::list<std::weak_ptr<PluginEventSink>> m_observers;
    std::recursive_mutex m_observerLock;
};

}  // namespace PB
