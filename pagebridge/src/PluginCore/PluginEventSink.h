#pragma once
// The observer side of plug-in events; always owned by a shared pointer.

#include <memory>

namespace PB {

class PluginEvent;
class PluginEventSource;

class PluginEventSink : public std::enable_shared_from_this<PluginEventSink> {
public:
    PluginEventSink() = default;
    PluginEventSink(const PluginEventSink&) = delete;
    PluginEventSink& operator=(const PluginEventSink&) = delete;
    virtual ~PluginEventSink() = default;

    // True when the event was handled: delivery stops there.
    virtual bool HandleEvent(PluginEvent* event, PluginEventSource* source) = 0;
};

using PluginEventSinkPtr = std::shared_ptr<PluginEventSink>;

}  // namespace PB
