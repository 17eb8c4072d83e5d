#pragma once
// The base of stream observers: one handler per kind of stream event, and
// the stream held from attachment until detachment or its destruction.
// Every handler answers false, so other observers see every event.

#include "PluginCore/BrowserStream.h"
#include "PluginCore/PluginEventSink.h"

namespace PB {

class AttachedEvent;
class DetachedEvent;
class StreamCreatedEvent;
class StreamDestroyedEvent;
class StreamDataArrivedEvent;
class StreamFailedOpenEvent;
class StreamOpenedEvent;
class StreamCompletedEvent;

class DefaultBrowserStreamHandler : public PluginEventSink {
public:
    DefaultBrowserStreamHandler() = default;
    ~DefaultBrowserStreamHandler() override = default;

    // Events from anything but a stream are not handled.
    bool HandleEvent(PluginEvent* event, PluginEventSource* source) override;

    virtual bool onStreamAttached(AttachedEvent* event, BrowserStream* stream);
    virtual bool onStreamDetached(DetachedEvent* event, BrowserStream* stream);
    virtual bool onStreamCreated(StreamCreatedEvent* event, BrowserStream* stream);
    // The stream is half gone here: only the reference is dropped.
    virtual bool onStreamDestroyed(StreamDestroyedEvent* event, BrowserStream* stream);
    virtual bool onStreamDataArrived(StreamDataArrivedEvent* event, BrowserStream* stream);
    virtual bool onStreamFailedOpen(StreamFailedOpenEvent* event, BrowserStream* stream);
    virtual bool onStreamOpened(StreamOpenedEvent* event, BrowserStream* stream);
    virtual bool onStreamCompleted(StreamCompletedEvent* event, BrowserStream* stream);

    const BrowserStreamPtr& getStream() const { return m_stream; }
    // False when no stream is held.
    bool closeStream();
    void setStream(const BrowserStreamPtr& stream) { m_stream = stream; }
    void clearStream() { m_stream.reset(); }

private:
    BrowserStreamPtr m_stream;
};

}  // namespace PB
