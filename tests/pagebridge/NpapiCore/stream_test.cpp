// Streams between the browser and the plug-in: requests the plug-in makes
// (GET and POST), data and completion carried in through the NPP stream
// entries, writes, byte ranges and close carried out, and streams the
// browser opens on its own.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "NpapiCore/NpapiStream.h"
#include "NpapiFixture.h"
#include "PluginCore/BrowserStreamRequest.h"
#include "PluginCore/PluginEvent.h"

namespace {

using test::FakeBrowser;

// Writes down the stream events it sees: "data 4@0 40%" for a block.
class StreamLog : public PB::PluginEventSink {
public:
    bool HandleEvent(PB::PluginEvent* e, PB::PluginEventSource*) override
    {
        std::ostringstream text;
        if (dynamic_cast<PB::AttachedEvent*>(e))
            text << "attached";
        else if (dynamic_cast<PB::StreamCreatedEvent*>(e))
            text << "created";
        else if (dynamic_cast<PB::StreamOpenedEvent*>(e))
            text << "opened";
        else if (dynamic_cast<PB::StreamFailedOpenEvent*>(e))
            text << "failed";
        else if (auto* data = dynamic_cast<PB::StreamDataArrivedEvent*>(e))
            text << "data " << data->length << "@" << data->dataPosition << " " << data->progress << "%";
        else if (auto* done = dynamic_cast<PB::StreamCompletedEvent*>(e))
            text << "completed " << (done->success ? "ok" : "failed");
        else if (dynamic_cast<PB::StreamDestroyedEvent*>(e))
            text << "destroyed";
        else
            return false;
        seen.push_back(text.str());
        return false;
    }
    std::vector<std::string> seen;
};

class NpapiStreams : public test::NpapiTest {
protected:
    void SetUp() override
    {
        NpapiTest::SetUp();
        instance = newInstance();
        log = std::make_shared<StreamLog>();
    }
    // The browser's stream for the latest request.
    NPStream browserStream(uint32_t end)
    {
        NPStream stream{};
        stream.url = "http://files.example/data";
        stream.end = end;
        stream.notifyData = browser->requests.back().notifyData;
        return stream;
    }
    NPError open(NPStream& stream, bool seekable, uint16_t* stype)
    {
        char type[] = "text/plain";
        return plugin.newstream(instance, type, &stream, seekable, stype);
    }
    int32_t write(NPStream& stream, int32_t offset, const std::string& bytes)
    {
        return plugin.write(instance, &stream, offset, static_cast<int32_t>(bytes.size()),
                            const_cast<char*>(bytes.data()));
    }

    NPP instance = nullptr;
    std::shared_ptr<StreamLog> log;
};

TEST_F(NpapiStreams, ARequestedStreamCarriesDataInAndEnds)
{
    std::weak_ptr<PB::BrowserStream> weak =
        host(instance)->createStream("http://files.example/data", log, false, false, 8);
    ASSERT_FALSE(weak.expired());
    ASSERT_EQ(browser->requests.size(), 1u);
    EXPECT_FALSE(browser->requests[0].post);
    EXPECT_EQ(browser->requests[0].url, "http://files.example/data");

    NPStream stream = browserStream(20);
    uint16_t stype = 0;
    EXPECT_EQ(open(stream, false, &stype), NPERR_NO_ERROR);
    EXPECT_EQ(stype, NP_NORMAL);
    EXPECT_EQ(plugin.writeready(instance, &stream), 8);
    EXPECT_EQ(write(stream, 0, "abcd"), 4);
    EXPECT_EQ(write(stream, 4, "0123456789ab"), 8);  // no more than the buffer takes
    EXPECT_EQ(plugin.destroystream(instance, &stream, NPRES_DONE), NPERR_NO_ERROR);
    EXPECT_FALSE(weak.expired());  // the URL notification is still owed
    EXPECT_EQ(plugin.destroystream(instance, &stream, NPRES_DONE), NPERR_NO_ERROR);
    plugin.urlnotify(instance, "http://files.example/data", NPRES_DONE, browser->requests[0].notifyData);
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(log->seen, (std::vector<std::string>{"attached", "created", "opened", "data 4@0 20%", "data 8@4 80%",
                                                   "completed ok", "destroyed"}));
}

TEST_F(NpapiStreams, APostSendsItsHeadersAndBody)
{
    host(instance)->createPostStream("http://files.example/form", log, "a=1", false, false, 8);
    PB::BrowserStreamRequest req("http://files.example/raw", "POST");
    req.setPostData("xyz", "Content-type: text/plain");
    req.setEventSink(log);
    host(instance)->createStream(req, false);
    ASSERT_EQ(browser->requests.size(), 2u);
    EXPECT_TRUE(browser->requests[0].post);
    EXPECT_EQ(browser->requests[0].body,
              "Content-type: application/x-www-form-urlencoded\nContent-Length: 3\n\na=1");
    EXPECT_EQ(browser->requests[1].body, "Content-type: text/plain\n\nxyz");
    for (const auto& request : browser->requests)
        plugin.urlnotify(instance, request.url.c_str(), NPRES_NETWORK_ERR, request.notifyData);
}

// The browser is asked for the URL text the plug-in gave, not for a text
// rebuilt from its parts.
TEST_F(NpapiStreams, TheBrowserIsAskedForTheUrlAsGiven)
{
    const char* urls[] = {
        "http://files.example/get?id=1&id=2",         // a key twice
        "http://files.example/sum?q=1%2B1&p=a%2Fb",   // escapes that mean something in a query
        "http://files.example?q=1",                   // a query right after the host
        "http://files.example/a%20b/c?z=1&a=2#part",  // keys out of order, a fragment
    };
    for (const char* url : urls) {
        for (bool post : {false, true}) {
            browser->requests.clear();
            PB::BrowserStreamPtr s = post ? host(instance)->createPostStream(url, log, "a=1", false, false, 8)
                                          : host(instance)->createStream(url, log, false, false, 8);
            ASSERT_TRUE(s) << url;
            ASSERT_EQ(browser->requests.size(), 1u) << url;
            EXPECT_EQ(browser->requests[0].url, url) << (post ? "POST " : "GET ") << url;
            EXPECT_EQ(s->getUrl(), url);
            plugin.urlnotify(instance, url, NPRES_NETWORK_ERR, browser->requests[0].notifyData);
        }
    }
}

TEST_F(NpapiStreams, ARefusedRequestGivesNoStream)
{
    browser->urlResult = NPERR_GENERIC_ERROR;
    EXPECT_EQ(host(instance)->createStream("http://files.example/data", log, false, false, 8), nullptr);
}

TEST_F(NpapiStreams, ASeekRequestOnAStreamThatCannotSeekFails)
{
    std::weak_ptr<PB::BrowserStream> weak =
        host(instance)->createStream("http://files.example/data", log, false, true, 8);
    NPStream stream = browserStream(20);
    uint16_t stype = 0;
    EXPECT_EQ(open(stream, false, &stype), NPERR_STREAM_NOT_SEEKABLE);
    plugin.urlnotify(instance, "http://files.example/data", NPRES_NETWORK_ERR, stream.notifyData);
    EXPECT_TRUE(weak.expired());  // never opened: it goes with the notification
    EXPECT_EQ(log->seen, (std::vector<std::string>{"attached", "created", "failed", "completed failed", "destroyed"}));
}

TEST_F(NpapiStreams, ASeekableStreamAsksForRangesAndStaysUsable)
{
    PB::BrowserStreamPtr s = host(instance)->createStream("http://files.example/data", log, false, true, 8);
    NPStream stream = browserStream(100);
    uint16_t stype = 0;
    EXPECT_EQ(open(stream, true, &stype), NPERR_NO_ERROR);
    EXPECT_EQ(stype, NP_SEEK);
    EXPECT_TRUE(s->readRanges({}));
    EXPECT_TRUE(s->readRanges({{0, 10}, {20, 25}}));
    EXPECT_FALSE(s->readRanges({{30, 20}}));
    ASSERT_EQ(browser->rangeRequests.size(), 1u);
    EXPECT_EQ(browser->rangeRequests[0], (std::vector<std::pair<int32_t, uint32_t>>{{0, 10}, {20, 5}}));
    auto npStream = std::dynamic_pointer_cast<PB::Npapi::NpapiStream>(s);
    npStream->signalFinished(true);
    EXPECT_TRUE(s->isOpen());
    EXPECT_FALSE(s->isCompleted());
    plugin.destroystream(instance, &stream, NPRES_DONE);
    plugin.urlnotify(instance, "", NPRES_DONE, stream.notifyData);
}

TEST_F(NpapiStreams, ThePluginWritesAndClosesThroughTheBrowser)
{
    PB::BrowserStreamPtr s = host(instance)->createStream("http://files.example/data", log, false, false, 8);
    NPStream stream = browserStream(0);
    uint16_t stype = 0;
    ASSERT_EQ(open(stream, false, &stype), NPERR_NO_ERROR);
    EXPECT_EQ(write(stream, 0, "abc"), 3);
    EXPECT_EQ(log->seen.back(), "data 3@0 0%");  // no length, no progress

    std::size_t written = 99;
    EXPECT_TRUE(s->write("hello", 5, written));
    EXPECT_EQ(written, 5u);
    EXPECT_TRUE(s->write("", 0, written));
    browser->writeAnswer = 2;
    EXPECT_FALSE(s->write("hello", 5, written));
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(browser->written, "hellohe");

    EXPECT_TRUE(s->close());
    EXPECT_EQ(browser->destroyedStreams, (std::vector<NPReason>{NPRES_USER_BREAK}));
    EXPECT_FALSE(s->close());
    EXPECT_FALSE(s->write("x", 1, written));
    // The browser then destroys its stream and notifies; the stream goes.
    std::weak_ptr<PB::BrowserStream> weak = s;
    s.reset();
    plugin.destroystream(instance, &stream, NPRES_USER_BREAK);
    plugin.urlnotify(instance, "", NPRES_USER_BREAK, browser->requests[0].notifyData);
    EXPECT_TRUE(weak.expired());
    // Broken off by the plug-in: one completion, and not a successful one.
    EXPECT_EQ(std::count_if(log->seen.begin(), log->seen.end(),
                            [](const std::string& e) { return e.rfind("completed", 0) == 0; }),
              1);
    EXPECT_EQ(std::count(log->seen.begin(), log->seen.end(), "completed failed"), 1);
}

// However a transfer ends, and whoever ends it first, the stream sends one
// completion, with the outcome of the transfer, and is open no longer. A
// stream the browser opened is still there for the browser's
// NPP_DestroyStream, also when nobody but the plug-in holds it.
TEST_F(NpapiStreams, EveryStreamCompletesOnceWithTheTrueOutcome)
{
    // The row's stream is empty when the row does not hold it.
    using Steps = std::function<void(const PB::BrowserStreamPtr&, NPStream&, void* notifyData)>;
    const auto destroyed = [this](NPReason reason) {
        return [this, reason](const PB::BrowserStreamPtr&, NPStream& np, void*) {
            // The browser still owes this call: the stream it reaches must be there.
            ASSERT_EQ(std::count(log->seen.begin(), log->seen.end(), "destroyed"), 0);
            plugin.destroystream(instance, &np, reason);
        };
    };
    const auto notified = [this](NPReason reason) {
        return [this, reason](const PB::BrowserStreamPtr&, NPStream&, void* notifyData) {
            plugin.urlnotify(instance, "http://files.example/data", reason, notifyData);
        };
    };
    const Steps closedByThePlugin = [](const PB::BrowserStreamPtr& s, NPStream&, void*) { s->close(); };
    const struct {
        const char* what;
        bool seekable;
        bool browserDestroysAtOnce;  // NPN_DestroyStream calls NPP_DestroyStream inside
        bool heldByTheRow;
        std::vector<Steps> steps;
        const char* completion;
    } cases[] = {
        {"the browser ends the transfer", false, false, true, {destroyed(NPRES_DONE), notified(NPRES_DONE)},
         "completed ok"},
        {"the browser fails the transfer", false, false, true,
         {destroyed(NPRES_NETWORK_ERR), notified(NPRES_NETWORK_ERR)}, "completed failed"},
        {"a network error told while the stream is attached", false, false, true,
         {notified(NPRES_NETWORK_ERR), destroyed(NPRES_NETWORK_ERR)}, "completed failed"},
        {"the plug-in breaks the transfer off", false, false, true,
         {closedByThePlugin, destroyed(NPRES_USER_BREAK), notified(NPRES_USER_BREAK)}, "completed failed"},
        {"the plug-in closes a seekable stream after its whole transfer", true, false, true,
         {notified(NPRES_DONE), closedByThePlugin, destroyed(NPRES_USER_BREAK)}, "completed ok"},
        {"the browser destroys a seekable stream", true, false, true, {destroyed(NPRES_DONE), notified(NPRES_DONE)},
         "completed ok"},
        {"the transfer ends while the stream is attached, and the browser destroys it at once", false, true, true,
         {notified(NPRES_DONE)}, "completed ok"},
        {"a network error told while the stream is attached, which only the plug-in holds", false, false, false,
         {notified(NPRES_NETWORK_ERR), destroyed(NPRES_NETWORK_ERR)}, "completed failed"},
    };
    for (const auto& c : cases) {
        log = std::make_shared<StreamLog>();
        browser->destroyStreamAtOnce = c.browserDestroysAtOnce ? plugin.destroystream : nullptr;
        PB::BrowserStreamPtr s = host(instance)->createStream("http://files.example/data", log, false, c.seekable, 8);
        ASSERT_TRUE(s) << c.what;
        NPStream np = browserStream(10);
        void* notifyData = np.notifyData;
        uint16_t stype = 0;
        ASSERT_EQ(open(np, c.seekable, &stype), NPERR_NO_ERROR) << c.what;
        EXPECT_EQ(write(np, 0, "abcd"), 4) << c.what;
        if (!c.heldByTheRow)
            s.reset();  // and no weak pointer either, which would keep its memory
        for (const Steps& step : c.steps)
            step(s, np, notifyData);
        std::vector<std::string> completions;
        for (const std::string& event : log->seen)
            if (event.rfind("completed", 0) == 0)
                completions.push_back(event);
        EXPECT_EQ(completions, std::vector<std::string>{c.completion}) << c.what;
        if (s) {
            EXPECT_TRUE(s->isCompleted()) << c.what;
            EXPECT_FALSE(s->isOpen()) << c.what;
        } else {
            // Gone once the browser was done with it.
            EXPECT_EQ(log->seen.back(), "destroyed") << c.what;
        }
    }
    browser->destroyStreamAtOnce = nullptr;
}

// A download the plug-in breaks off is no good download: the helper that
// collects it hears of a failure, once, and gets no data.
TEST_F(NpapiStreams, TheHelperOfABrokenOffStreamReportsAFailure)
{
    std::vector<std::pair<bool, std::size_t>> outcomes;
    PB::BrowserStreamRequest req("http://files.example/data", "GET");
    req.setCallback([&](bool success, const PB::HeaderMap&, const boost::shared_array<unsigned char>& data,
                        std::size_t size) { outcomes.emplace_back(success, data ? size : 0); });
    PB::BrowserStreamPtr s = host(instance)->createStream(req, true);
    ASSERT_TRUE(s);
    NPStream np = browserStream(10);
    uint16_t stype = 0;
    ASSERT_EQ(open(np, false, &stype), NPERR_NO_ERROR);
    EXPECT_EQ(write(np, 0, "abcd"), 4);
    s->close();
    plugin.destroystream(instance, &np, NPRES_USER_BREAK);
    plugin.urlnotify(instance, "http://files.example/data", NPRES_USER_BREAK, browser->requests.back().notifyData);
    EXPECT_EQ(outcomes, (std::vector<std::pair<bool, std::size_t>>{{false, 0}}));
}

TEST_F(NpapiStreams, ACachedStreamLearnsItsFile)
{
    PB::BrowserStreamPtr s = host(instance)->createStream("http://files.example/data", log, true, false, 8);
    NPStream stream = browserStream(5);
    uint16_t stype = 0;
    ASSERT_EQ(open(stream, false, &stype), NPERR_NO_ERROR);
    EXPECT_EQ(stype, NP_ASFILE);
    plugin.asfile(instance, &stream, "/tmp/caf\xc3\xa9.bin");
    EXPECT_EQ(s->getCacheFilename(), L"/tmp/caf\u00e9.bin");
    plugin.destroystream(instance, &stream, NPRES_DONE);
    plugin.urlnotify(instance, "", NPRES_DONE, stream.notifyData);
}

TEST_F(NpapiStreams, UnsafeBlocksEndTheStream)
{
    PB::BrowserStreamPtr s = host(instance)->createStream("http://files.example/data", log, false, false, 8);
    NPStream stream = browserStream(5);
    uint16_t stype = 0;
    ASSERT_EQ(open(stream, false, &stype), NPERR_NO_ERROR);
    char byte = 0;
    EXPECT_EQ(plugin.write(instance, &stream, 0, -1, &byte), -1);
    EXPECT_EQ(plugin.write(instance, &stream, -4, 1, &byte), -1);
    EXPECT_EQ(plugin.write(instance, &stream, 0, 1, nullptr), -1);
    plugin.destroystream(instance, &stream, NPRES_NETWORK_ERR);
    plugin.urlnotify(instance, "", NPRES_NETWORK_ERR, stream.notifyData);
    EXPECT_EQ(log->seen.back(), "completed failed");
}

TEST_F(NpapiStreams, AFileNameThatIsNoUtf8StaysInThePlugin)
{
    PB::BrowserStreamPtr s = host(instance)->createStream("http://files.example/data", log, true, false, 8);
    NPStream stream = browserStream(5);
    uint16_t stype = 0;
    ASSERT_EQ(open(stream, false, &stype), NPERR_NO_ERROR);
    plugin.asfile(instance, &stream, "/tmp/\xff\xfe");  // the conversion error does not reach the browser
    EXPECT_EQ(s->getCacheFilename(), L"");
    plugin.destroystream(instance, &stream, NPRES_DONE);
    plugin.urlnotify(instance, "", NPRES_DONE, stream.notifyData);
}

TEST_F(NpapiStreams, StreamsStillOwedByTheBrowserGoWithTheInstance)
{
    std::weak_ptr<PB::BrowserStream> weak =
        host(instance)->createStream("http://files.example/data", log, false, false, 8);
    NPStream stream = browserStream(5);
    uint16_t stype = 0;
    ASSERT_EQ(open(stream, false, &stype), NPERR_NO_ERROR);
    destroy(instance);
    EXPECT_TRUE(weak.expired());
}

// The instance goes while transfers are under way, opened or not yet: the
// browser calls none of them again, so each ends there, as a failure.
TEST_F(NpapiStreams, TransfersUnderWayFailWithTheInstance)
{
    for (bool opened : {false, true}) {
        std::vector<bool> outcomes;
        PB::BrowserStreamRequest req("http://files.example/data", "GET");
        req.setCallback([&](bool success, const PB::HeaderMap&, const boost::shared_array<unsigned char>&,
                            std::size_t) { outcomes.push_back(success); });
        std::weak_ptr<PB::BrowserStream> weak = host(instance)->createStream(req, true);
        ASSERT_FALSE(weak.expired());
        NPStream np = browserStream(10);
        if (opened) {
            uint16_t stype = 0;
            ASSERT_EQ(open(np, false, &stype), NPERR_NO_ERROR);
            EXPECT_EQ(write(np, 0, "abcd"), 4);
        }
        destroy(instance);
        EXPECT_EQ(outcomes, std::vector<bool>{false}) << (opened ? "opened" : "not yet opened");
        EXPECT_TRUE(weak.expired()) << (opened ? "opened" : "not yet opened");
        instance = newInstance();
    }
}

TEST_F(NpapiStreams, StreamsTheBrowserOpensOnItsOwn)
{
    NPStream stream{};
    stream.url = "http://files.example/pushed";
    stream.end = 4;
    stream.headers = "Content-Type: text/plain\r\n";
    uint16_t stype = 77;
    EXPECT_EQ(open(stream, false, &stype), NPERR_NO_ERROR);  // nobody takes it
    EXPECT_EQ(stream.pdata, nullptr);
    EXPECT_EQ(stype, 77);
    EXPECT_EQ(plugin.writeready(instance, &stream), -1);
    EXPECT_EQ(write(stream, 0, "data"), -1);

    std::string offeredUrl;
    lastPlugin()->onUnsolicited = [&](PB::BrowserStreamRequest& req) {
        offeredUrl = req.uri.toString();
        EXPECT_EQ(req.headers.count("Content-Type"), 1u);
        req.setEventSink(log);
        req.setAccepted();
    };
    EXPECT_EQ(open(stream, false, &stype), NPERR_NO_ERROR);
    EXPECT_EQ(offeredUrl, "http://files.example/pushed");
    EXPECT_NE(stream.pdata, nullptr);
    EXPECT_EQ(write(stream, 0, "data"), 4);
    EXPECT_EQ(plugin.destroystream(instance, &stream, NPRES_DONE), NPERR_NO_ERROR);
    // Created before the plug-in's sink is attached to it.
    EXPECT_EQ(log->seen,
              (std::vector<std::string>{"attached", "opened", "data 4@0 100%", "completed ok", "destroyed"}));
}

}  // namespace
