#include "PluginCore/DefaultBrowserStreamHandler.h"

#include "PluginCore/PluginEvent.h"

namespace PB {

bool DefaultBrowserStreamHandler::HandleEvent(PluginEvent* event, PluginEventSource* source)
{
    auto* stream = dynamic_cast<BrowserStream*>(source);
    if (!stream)
        return false;
    if (auto* e = dynamic_cast<AttachedEvent*>(event))
        return onStreamAttached(e, stream);
    if (auto* e = dynamic_cast<DetachedEvent*>(event))
        return onStreamDetached(e, stream);
    if (auto* e = dynamic_cast<StreamCreatedEvent*>(event))
        return onStreamCreated(e, stream);
    if (auto* e = dynamic_cast<StreamDestroyedEvent*>(event))
        return onStreamDestroyed(e, stream);
    if (auto* e = dynamic_cast<StreamFailedOpenEvent*>(event))
        return onStreamFailedOpen(e, stream);
    if (auto* e = dynamic_cast<StreamOpenedEvent*>(event))
        return onStreamOpened(e, stream);
    if (auto* e = dynamic_cast<StreamDataArrivedEvent*>(event))
        return onStreamDataArrived(e, stream);
    if (auto* e = dynamic_cast<StreamCompletedEvent*>(event))
        return onStreamCompleted(e, stream);
    return false;
}

bool DefaultBrowserStreamHandler::onStreamAttached(AttachedEvent*, BrowserStream* stream)
{
    setStream(stream->shared_from_this());
    return false;
}

bool DefaultBrowserStreamHandler::onStreamDetached(DetachedEvent*, BrowserStream*)
{
    clearStream();
    return false;
}

bool DefaultBrowserStreamHandler::onStreamCreated(StreamCreatedEvent*, BrowserStream*)
{
    return false;
}

bool DefaultBrowserStreamHandler::onStreamDestroyed(StreamDestroyedEvent*, BrowserStream*)
{
    clearStream();
    return false;
}

bool DefaultBrowserStreamHandler::onStreamDataArrived(StreamDataArrivedEvent*, BrowserStream*)
{
    return false;
}

bool DefaultBrowserStreamHandler::onStreamFailedOpen(StreamFailedOpenEvent*, BrowserStream*)
{
    return false;
}

bool DefaultBrowserStreamHandler::onStreamOpened(StreamOpenedEvent*, BrowserStream*)
{
    return false;
}

bool DefaultBrowserStreamHandler::onStreamCompleted(StreamCompletedEvent*, BrowserStream*)
{
    return false;
}

bool DefaultBrowserStreamHandler::closeStream()
{
    const BrowserStreamPtr stream = getStream();
    return stream ? stream->close() : false;
}

}  // namespace PB
