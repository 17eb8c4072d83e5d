#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PluginCore/BrowserStreamManager.h"
#include "StreamObservers.h"
#include "support/FedStream.h"

namespace {

using Names = std::vector<std::string>;
using test::FedStream;

std::shared_ptr<FedStream> makeStream(bool seekable = false)
{
    PB::BrowserStreamRequest req("http://srv.local/file", "GET");
    req.seekable = seekable;
    return std::make_shared<FedStream>(req);
}

TEST(BrowserStream, SeekIsEnabledOnlyWhenAskedForAndServed)
{
    const struct {
        bool requested, served, enabled;
    } cases[] = {{false, false, false}, {true, false, false}, {false, true, false}, {true, true, true}};
    for (const auto& c : cases) {
        auto stream = makeStream(c.requested);
        EXPECT_FALSE(stream->isSeekEnabled());
        stream->setSeekable(c.served);
        EXPECT_EQ(stream->isSeekEnabled(), c.enabled) << c.requested << c.served;
    }
}

TEST(BrowserStream, ReadRangeAsksForOneRangeThatFits)
{
    const std::size_t beyond = std::size_t(UINT32_MAX) + 1;
    const struct {
        std::size_t start, end;
        bool asked;
    } cases[] = {{10, 20, true}, {0, UINT32_MAX, true}, {0, beyond, false}, {beyond + 5, beyond + 9, false}};
    for (const auto& c : cases) {
        auto stream = makeStream();
        EXPECT_EQ(stream->readRange(c.start, c.end), c.asked);
        ASSERT_EQ(stream->rangesAsked.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(stream->rangesAsked[0].start, c.start);
            EXPECT_EQ(stream->rangesAsked[0].end, c.end);
        }
    }
}

TEST(BrowserStream, NewRequestDefaults)
{
    PB::BrowserStreamRequest req("HTTP://Srv.Local:81/a", "POST", false);
    EXPECT_EQ(req.method, "POST");
    EXPECT_EQ(req.uri.domain, "srv.local");
    EXPECT_EQ(req.uri.port, 81);
    EXPECT_EQ(req.internalBufferSize, 131072u);
    EXPECT_FALSE(req.getEventSink());
    EXPECT_FALSE(req.getCallback());
    EXPECT_FALSE(req.seekable);
    EXPECT_FALSE(req.cache);
    EXPECT_FALSE(req.isSolicited());
    EXPECT_TRUE(req.getPostData().empty());
    EXPECT_TRUE(req.getPostHeaders().empty());
    EXPECT_THROW(PB::BrowserStreamRequest("bad-scheme://x", "GET"), std::runtime_error);
}

TEST(BrowserStream, DestructionTellsTheObserversStillAttachedOnce)
{
    auto stays = std::make_shared<test::Journal>();
    auto leaves = std::make_shared<test::Journal>();
    auto stream = makeStream();
    stream->AttachObserver(stays);
    stream->AttachObserver(leaves);
    stream->DetachObserver(leaves);
    stream.reset();
    EXPECT_EQ(stays->seen, (Names{"attached", "destroyed"}));
    EXPECT_EQ(leaves->seen, (Names{"attached", "detached"}));
}

TEST(DefaultBrowserStreamHandler, HoldsItsStreamUntilDetachedOrDestroyed)
{
    const char* endings[] = {"detach", "destroyed event"};
    for (const std::string ending : endings) {
        auto handler = std::make_shared<test::RecordingHandler>();
        auto stream = makeStream();
        stream->AttachObserver(handler);
        EXPECT_EQ(handler->getStream(), stream);
        EXPECT_TRUE(handler->closeStream());
        EXPECT_EQ(stream->closes, 1);
        if (ending == "detach") {
            stream->DetachObserver(handler);
        } else {
            PB::StreamDestroyedEvent destroyed(stream.get());
            stream->SendEvent(&destroyed);
        }
        EXPECT_FALSE(handler->getStream()) << ending;
        EXPECT_FALSE(handler->closeStream()) << ending;
        EXPECT_EQ(stream->closes, 1) << ending;
    }
}

TEST(DefaultBrowserStreamHandler, DispatchesEachStreamEventAndNeverStopsDelivery)
{
    auto handler = std::make_shared<test::RecordingHandler>();
    auto after = std::make_shared<test::Journal>();
    auto stream = makeStream();
    stream->AttachObserver(handler);
    stream->AttachObserver(after);

    PB::StreamCreatedEvent created(stream.get());
    PB::StreamOpenedEvent opened(stream.get());
    PB::StreamFailedOpenEvent failed(stream.get());
    PB::StreamDataArrivedEvent data(stream.get(), "x", 1, 0, 0.0f);
    PB::StreamCompletedEvent completed(stream.get(), true);
    PB::StreamDestroyedEvent destroyed(stream.get());
    PB::PluginEvent* events[] = {&created, &opened, &failed, &data, &completed, &destroyed};
    for (PB::PluginEvent* e : events)
        EXPECT_FALSE(stream->SendEvent(e));

    const Names kinds{"created", "opened", "failed", "data", "completed", "destroyed"};
    Names expected{"attached"};
    expected.insert(expected.end(), kinds.begin(), kinds.end());
    EXPECT_EQ(handler->ran, expected);
    EXPECT_EQ(after->seen, expected);

    // Events of other sources (a window) are not the handler's.
    PB::PluginEventSource window;
    window.AttachObserver(handler);
    PB::ResizedEvent resized;
    EXPECT_FALSE(window.SendEvent(&resized));
    EXPECT_EQ(handler->ran, expected);
}

TEST(BrowserStreamManager, KeepsAStreamUntilItCompletesWhateverTheOutcome)
{
    for (bool success : {true, false}) {
        auto manager = std::make_shared<PB::BrowserStreamManager>();
        auto after = std::make_shared<test::Journal>();
        auto stream = makeStream();
        manager->retainStream(stream);
        manager->retainStream(stream);
        EXPECT_EQ(manager->retainedCount(), 1u);
        stream->AttachObserver(after);

        // Fed through a plain pointer, as an adapter does: the manager holds
        // the last reference and drops it during the completion's delivery.
        std::weak_ptr<FedStream> watch = stream;
        FedStream* raw = stream.get();
        stream.reset();
        raw->open();
        raw->feed("abc");
        EXPECT_EQ(manager->retainedCount(), 1u);
        ASSERT_FALSE(watch.expired());
        raw->complete(success);

        EXPECT_EQ(manager->retainedCount(), 0u);
        EXPECT_TRUE(watch.expired()) << success;
        EXPECT_EQ(after->seen, (Names{"attached", "opened", "data", "completed", "destroyed"})) << success;
    }
}

TEST(BrowserStreamManager, ClosesWhatItStillKeepsWhenDestroyed)
{
    auto manager = std::make_shared<PB::BrowserStreamManager>();
    auto first = makeStream();
    auto second = makeStream();
    manager->retainStream(first);
    manager->retainStream(second);
    manager.reset();
    EXPECT_EQ(first->closes, 1);
    EXPECT_EQ(second->closes, 1);
}

}  // namespace
