#pragma once
// Observers for the stream tests: one that only writes down what it sees,
// and a default handler that writes down which of its handlers ran.

#include <string>
#include <vector>

#include "PluginCore/DefaultBrowserStreamHandler.h"
#include "PluginCore/PluginEvent.h"

namespace test {

// Names the event's class; holds no stream.
class Journal : public PB::PluginEventSink {
public:
    bool HandleEvent(PB::PluginEvent* e, PB::PluginEventSource*) override
    {
        seen.push_back(nameOf(e));
        return false;
    }
    static std::string nameOf(PB::PluginEvent* e)
    {
        if (dynamic_cast<PB::AttachedEvent*>(e))
            return "attached";
        if (dynamic_cast<PB::DetachedEvent*>(e))
            return "detached";
        if (dynamic_cast<PB::StreamCreatedEvent*>(e))
            return "created";
        if (dynamic_cast<PB::StreamOpenedEvent*>(e))
            return "opened";
        if (dynamic_cast<PB::StreamFailedOpenEvent*>(e))
            return "failed";
        if (dynamic_cast<PB::StreamDataArrivedEvent*>(e))
            return "data";
        if (dynamic_cast<PB::StreamCompletedEvent*>(e))
            return "completed";
        if (dynamic_cast<PB::StreamDestroyedEvent*>(e))
            return "destroyed";
        return "other";
    }
    std::vector<std::string> seen;
};

#define TEST_RECORD(handler, Event, name)                                   \
    bool handler(PB::Event* e, PB::BrowserStream* s) override               \
    {                                                                       \
        ran.push_back(name);                                                \
        return PB::DefaultBrowserStreamHandler::handler(e, s);              \
    }

class RecordingHandler : public PB::DefaultBrowserStreamHandler {
public:
    TEST_RECORD(onStreamAttached, AttachedEvent, "attached")
    TEST_RECORD(onStreamDetached, DetachedEvent, "detached")
    TEST_RECORD(onStreamCreated, StreamCreatedEvent, "created")
    TEST_RECORD(onStreamDestroyed, StreamDestroyedEvent, "destroyed")
    TEST_RECORD(onStreamDataArrived, StreamDataArrivedEvent, "data")
    TEST_RECORD(onStreamFailedOpen, StreamFailedOpenEvent, "failed")
    TEST_RECORD(onStreamOpened, StreamOpenedEvent, "opened")
    TEST_RECORD(onStreamCompleted, StreamCompletedEvent, "completed")
    std::vector<std::string> ran;
};

#undef TEST_RECORD

}  // namespace test
