#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "PluginCore/SimpleStreamHelper.h"
#include "StreamObservers.h"
#include "support/LogCapture.h"
#include "support/PumpedHost.h"

namespace {

using Names = std::vector<std::string>;
using test::FedStream;

// What a completion callback was given.
struct Outcome {
    int calls = 0;
    bool success = false;
    PB::HeaderMap headers;
    bool hasData = false;
    std::string body;
    std::size_t size = 0;

    PB::CompletionCallback callback()
    {
        return [this](bool ok, const PB::HeaderMap& h, const boost::shared_array<unsigned char>& data, std::size_t n) {
            ++calls;
            success = ok;
            headers = h;
            hasData = bool(data);
            size = n;
            body = data ? std::string(reinterpret_cast<const char*>(data.get()), n) : std::string();
        };
    }
};

PB::BrowserStreamRequest requestWith(Outcome& outcome, std::size_t blockSize = PB::BrowserStreamRequest::defaultBufferSize)
{
    PB::BrowserStreamRequest req("http://srv.local/data", "GET");
    req.setCallback(outcome.callback());
    req.internalBufferSize = blockSize;
    return req;
}

std::string patterned(std::size_t n)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
    return s;
}

TEST(SimpleStreamHelper, AssemblesTheBodyByOffset)
{
    struct Piece {
        std::size_t offset, length;
    };
    const struct {
        const char* name;
        std::size_t blockSize;
        std::vector<Piece> pieces;
    } cases[] = {
        {"two blocks of 100000", 131072, {{0, 100000}, {100000, 100000}}},
        {"empty body", 131072, {}},
        {"blocks filled exactly", 4, {{0, 4}, {4, 4}, {8, 4}}},
        {"pieces spanning blocks", 4, {{0, 3}, {3, 7}, {10, 1}}},
        {"block size zero takes the default", 0, {{0, 10}, {10, 5}}},
        {"out of order", 4, {{6, 4}, {0, 6}}},
        {"gap past the bytes received", 4, {{0, 2}, {10, 3}}},
    };
    for (const auto& c : cases) {
        auto host = std::make_shared<test::PumpedHost>();
        Outcome outcome;
        std::weak_ptr<PB::SimpleStreamHelper> helper =
            PB::SimpleStreamHelper::AsyncRequest(host, requestWith(outcome, c.blockSize));
        ASSERT_FALSE(helper.expired()) << c.name;
        std::weak_ptr<FedStream> watch = host->lastStream();
        FedStream* stream = host->lastStream().get();

        const std::string source = patterned(200000);
        std::string expected;
        stream->open("text/plain", "Content-Type: text/plain\r\n");
        for (const Piece& p : c.pieces) {
            stream->feedAt(p.offset, source.substr(p.offset, p.length));
            if (expected.size() < p.offset + p.length)
                expected.resize(p.offset + p.length, '\0');
            expected.replace(p.offset, p.length, source.substr(p.offset, p.length));
        }
        EXPECT_EQ(outcome.calls, 0) << c.name;
        stream->complete(true);

        EXPECT_EQ(outcome.calls, 1) << c.name;
        EXPECT_TRUE(outcome.success) << c.name;
        EXPECT_EQ(outcome.size, expected.size()) << c.name;
        EXPECT_TRUE(outcome.body == expected) << c.name;
        EXPECT_EQ(outcome.headers, (PB::HeaderMap{{"Content-Type", "text/plain"}})) << c.name;
        // Nobody holds them now: helper and stream are gone.
        EXPECT_TRUE(helper.expired()) << c.name;
        EXPECT_TRUE(watch.expired()) << c.name;
    }
}

TEST(SimpleStreamHelper, FailureReportsTheBytesReceivedAndNoData)
{
    auto host = std::make_shared<test::PumpedHost>();
    Outcome outcome;
    PB::SimpleStreamHelper::AsyncRequest(host, requestWith(outcome));
    FedStream* stream = host->lastStream().get();
    stream->open("text/plain", "X-A: 1");
    stream->feed("hello");
    stream->complete(false);
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_FALSE(outcome.success);
    EXPECT_TRUE(outcome.headers.empty());
    EXPECT_FALSE(outcome.hasData);
    EXPECT_EQ(outcome.size, 5u);
}

// Data past the stream's announced length, or past what a body may hold,
// fails the request at once (nothing is allocated for it) and closes the
// stream, so that the transfer stops; the stream's own completion then
// reports nothing more.
TEST(SimpleStreamHelper, RefusesDataBeyondTheLengthItMayHave)
{
    const std::size_t far = PB::SimpleStreamHelper::maxBodySize;
    const struct {
        const char* what;
        std::size_t announced;
        std::size_t blockSize;
        std::size_t offset;
        std::size_t length;
        bool refused;
    } cases[] = {
        {"up to the announced length", 10, 4, 6, 4, false},
        {"past the announced length", 10, 4, 8, 4, true},
        {"far past the announced length", 10, 4, 0xFFFFFF00u, 8, true},
        {"no length announced: far out", 0, 1, far, 1, true},
        {"no length announced: up to the bound", 0, 131072, far - 1, 1, false},
        {"an announced length past the bound", 0xFFFFFFFFu, 131072, far, 1, true},
    };
    for (const auto& c : cases) {
        auto host = std::make_shared<test::PumpedHost>();
        Outcome outcome;
        std::weak_ptr<PB::SimpleStreamHelper> helper =
            PB::SimpleStreamHelper::AsyncRequest(host, requestWith(outcome, c.blockSize));
        std::shared_ptr<FedStream> stream = host->lastStream();
        stream->setLength(c.announced);
        stream->open();
        stream->feed("abc");
        stream->feedAt(c.offset, std::string(c.length, 'x'));
        EXPECT_EQ(outcome.calls, c.refused ? 1 : 0) << c.what;
        EXPECT_EQ(stream->closes, c.refused ? 1 : 0) << c.what;
        stream->complete(false);
        EXPECT_EQ(outcome.calls, 1) << c.what;
        EXPECT_FALSE(outcome.success) << c.what;
        EXPECT_FALSE(outcome.hasData) << c.what;
        EXPECT_EQ(outcome.size, c.refused ? 3u : 3u + c.length) << c.what;
        EXPECT_TRUE(helper.expired()) << c.what;
    }
}

TEST(SimpleStreamHelper, CallsBackOnceEvenWhenTheCallbackThrows)
{
    for (bool throws : {false, true}) {
        auto host = std::make_shared<test::PumpedHost>();
        int calls = 0;
        PB::BrowserStreamRequest req("http://srv.local/", "GET");
        req.setCallback([&](bool, const PB::HeaderMap&, const boost::shared_array<unsigned char>&, std::size_t) {
            ++calls;
            if (throws)
                throw std::runtime_error("callback failed");
        });
        std::weak_ptr<PB::SimpleStreamHelper> helper = PB::SimpleStreamHelper::AsyncRequest(host, req);
        std::shared_ptr<FedStream> stream = host->lastStream();
        if (throws)
            EXPECT_THROW(stream->complete(true), std::runtime_error);
        else
            stream->complete(true);
        stream->complete(true);
        EXPECT_EQ(calls, 1) << throws;
        EXPECT_TRUE(helper.expired()) << throws;
    }
}

TEST(SimpleStreamHelper, RefusesOrGivesNothingWhenItCannotServe)
{
    auto host = std::make_shared<test::PumpedHost>();
    PB::BrowserStreamRequest noCallback("http://srv.local/", "GET");
    try {
        PB::SimpleStreamHelper::AsyncRequest(host, noCallback);
        ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Invalid callback");
    }
    EXPECT_TRUE(host->streams.empty());

    Outcome outcome;
    host->refuseStreams = true;
    EXPECT_FALSE(PB::SimpleStreamHelper::AsyncRequest(host, requestWith(outcome)));
    EXPECT_FALSE(PB::SimpleStreamHelper::AsyncRequest(host, PB::BrowserStreamPtr(), requestWith(outcome)));
    EXPECT_FALSE(host->createStream(requestWith(outcome), true));
    EXPECT_EQ(outcome.calls, 0);
}

TEST(SimpleStreamHelper, StartsOnTheMainThreadWhenAskedFromAnother)
{
    auto host = std::make_shared<test::PumpedHost>();
    Outcome outcome;
    const PB::BrowserStreamRequest req = requestWith(outcome);
    std::atomic<bool> done{false};
    PB::BrowserStreamPtr opened;
    std::thread worker([&] {
        opened = host->createStream(req, true);
        done = true;
    });
    const bool finished = host->pumpUntil([&] { return done.load(); });
    worker.join();
    ASSERT_TRUE(finished);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened, host->lastStream());
    host->lastStream()->feed("xyz");
    opened.reset();
    host->lastStream().get()->complete(true);
    EXPECT_EQ(outcome.body, "xyz");

    host->shutdown();
    std::string failure;
    std::thread late([&] {
        try {
            host->createStream(req, true);
        } catch (const PB::script_error& e) {
            failure = e.what();
        }
    });
    late.join();
    EXPECT_EQ(failure, "Could not marshal to main thread");
}

TEST(HttpHeaders, ParsesNameValueLines)
{
    const struct {
        const char* text;
        PB::HeaderMap expected;
    } cases[] = {
        {"Content-Type:  text/html \r\n\r\nno colon here\r\nX-Len: 12\r\n",
         {{"Content-Type", "text/html"}, {"X-Len", "12"}}},
        {"Set-Cookie: a=1\nSet-Cookie: b=2", {{"Set-Cookie", "a=1"}, {"Set-Cookie", "b=2"}}},
        {"Location: http://srv:80/p\r", {{"Location", "http://srv:80/p"}}},
        {" : nameless\nEmpty:\t", {{"", "nameless"}, {"Empty", ""}}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PB::parseHttpHeaders(c.text), c.expected) << c.text;
}

TEST(BrowserHostStreams, UrlFormsBuildTheRequestAndKeepTheStream)
{
    const struct {
        bool post;
        bool cache, seekable;
        std::size_t bufferSize;
    } cases[] = {{false, true, false, 4096}, {true, false, true, 131072}};
    for (const auto& c : cases) {
        auto host = std::make_shared<test::PumpedHost>();
        auto sink = std::make_shared<test::Journal>();
        PB::BrowserStreamPtr stream =
            c.post ? host->createPostStream("http://srv.local/post", sink, "a=1&b=2", c.cache, c.seekable, c.bufferSize)
                   : host->createStream("http://srv.local/get", sink, c.cache, c.seekable, c.bufferSize);
        ASSERT_EQ(host->streams.size(), 1u);
        const PB::BrowserStreamRequest& req = host->lastStream()->request;
        EXPECT_EQ(req.method, c.post ? "POST" : "GET");
        EXPECT_EQ(req.getPostData(), c.post ? "a=1&b=2" : "");
        EXPECT_TRUE(req.getPostHeaders().empty());
        EXPECT_EQ(req.cache, c.cache);
        EXPECT_EQ(req.seekable, c.seekable);
        EXPECT_EQ(req.internalBufferSize, c.bufferSize);
        EXPECT_TRUE(req.isSolicited());
        EXPECT_EQ(sink->seen, (Names{"attached"}));

        // The caller may drop it: the host keeps it until it completes.
        stream.reset();
        ASSERT_TRUE(host->lastStream());
        host->lastStream().get()->complete(true);
        EXPECT_FALSE(host->lastStream());
        EXPECT_EQ(sink->seen, (Names{"attached", "completed", "destroyed"}));
    }
}

TEST(BrowserHostStreams, OnlyACallbackWithoutASinkGoesToTheHelper)
{
    const struct {
        bool callback, sink, enableAsync, helped;
    } cases[] = {{true, false, true, true},
                 {true, true, true, false},
                 {true, false, false, false},
                 {false, false, true, false}};
    for (const auto& c : cases) {
        auto host = std::make_shared<test::PumpedHost>();
        Outcome outcome;
        PB::BrowserStreamRequest req("http://srv.local/", "GET");
        if (c.callback)
            req.setCallback(outcome.callback());
        if (c.sink)
            req.setEventSink(std::make_shared<test::Journal>());
        PB::BrowserStreamPtr stream = host->createStream(req, c.enableAsync);
        ASSERT_EQ(host->streams.size(), 1u);
        EXPECT_EQ(stream, host->lastStream());
        host->lastStream()->feed("body");
        stream.reset();
        host->lastStream().get()->complete(true);
        EXPECT_EQ(outcome.calls, c.helped ? 1 : 0);
        EXPECT_FALSE(host->lastStream()) << "kept after completion";
    }
}

TEST(BrowserHostStreams, UnsolicitedStreamsAreKeptOnlyWhenOpened)
{
    for (bool refuse : {false, true}) {
        auto host = std::make_shared<test::PumpedHost>();
        host->refuseUnsolicited = refuse;
        PB::BrowserStreamRequest req("http://srv.local/u", "GET", false);
        std::weak_ptr<PB::BrowserStream> watch = host->createUnsolicitedStream(req);
        EXPECT_EQ(watch.expired(), refuse);
        EXPECT_EQ(host->unsolicited.size(), refuse ? 0u : 1u);
        if (!refuse) {
            host->unsolicited[0].lock()->complete(true);
            EXPECT_TRUE(watch.expired());
        }
    }
}

TEST(BrowserHostStreams, ShutdownClosesKeptStreamsAndOpensNoMore)
{
    auto host = std::make_shared<test::PumpedHost>();
    Outcome outcome;
    host->createStream("http://srv.local/a", std::make_shared<test::Journal>(), false, false, 1024);
    std::shared_ptr<FedStream> kept = host->lastStream();
    host->shutdown();
    EXPECT_EQ(kept->closes, 1);
    kept.reset();
    EXPECT_FALSE(host->lastStream()) << "still kept after shutdown";

    test::LogCapture log;
    EXPECT_FALSE(host->createStream("http://srv.local/b", std::make_shared<test::Journal>(), false, false, 1024));
    EXPECT_FALSE(host->createStream(requestWith(outcome), true));
    EXPECT_FALSE(host->createUnsolicitedStream(PB::BrowserStreamRequest("http://srv.local/c", "GET", false)));
    EXPECT_EQ(host->streams.size(), 1u);
    EXPECT_TRUE(host->unsolicited.empty());
    ASSERT_EQ(log.lines().size(), 3u);
    EXPECT_EQ(log.lines()[0].level, "WARN");
    EXPECT_EQ(log.lines()[0].message, "No stream opened after shutdown: http://srv.local/b");
}

}  // namespace
