// Downloads through URL monikers: local files, served URLs with their status,
// POST bodies, byte ranges, and closing a stream while it downloads.

#include <com/urlmon.h>

#include <ostream>

#include "AxFixture.h"
#include "PluginCore/BrowserStream.h"
#include "pagebridge/PluginCore/StreamObservers.h"
#include "support/TempDir.h"

namespace {

// Writes down the events and keeps the data with their offsets.
class Recorder : public test::Journal {
public:
    bool closeOnData = false;
    bool rangeOnData = false;
    bool noRangesOnData = false;
    std::string data;
    std::vector<std::uint32_t> offsets;
    bool success = false;
    bool rangeStarted = false;

    bool HandleEvent(PB::PluginEvent* event, PB::PluginEventSource* source) override
    {
        if (auto* arrived = dynamic_cast<PB::StreamDataArrivedEvent*>(event)) {
            data.append(static_cast<const char*>(arrived->data), arrived->length);
            offsets.push_back(arrived->dataPosition);
            auto* stream = dynamic_cast<PB::BrowserStream*>(source);
            if (closeOnData)
                stream->close();
            if (rangeOnData) {
                rangeOnData = false;
                rangeStarted = stream->readRange(2, 5);
            }
            if (noRangesOnData) {
                noRangesOnData = false;
                rangeStarted = stream->readRanges({});
            }
        }
        if (auto* completed = dynamic_cast<PB::StreamCompletedEvent*>(event))
            success = completed->success;
        return Journal::HandleEvent(event, source);
    }
};

class Streams : public axtest::AxFixture {
protected:
    void TearDown() override
    {
        com::urlmon::clearServed();
        com::urlmon::clearRequests();
    }
};

TEST_F(Streams, ALocalFileArrivesWholeThroughItsFileName)
{
    test::TempDir dir;
    dir.write("data.bin", std::string("first\0second", 12));
    auto recorder = std::make_shared<Recorder>();
    PB::BrowserStreamPtr stream = host->createStream("file://" + dir.file("data.bin"), recorder, false, false, 0);
    ASSERT_TRUE(stream);
    idle();
    EXPECT_EQ(recorder->seen, (std::vector<std::string>{"attached", "created", "data", "completed"}));
    EXPECT_EQ(recorder->data, std::string("first\0second", 12));
    EXPECT_TRUE(recorder->success);
    EXPECT_EQ(stream->getCacheFilename(), com::fromUtf8(dir.file("data.bin")));

    auto missing = std::make_shared<Recorder>();
    host->createStream("file://" + dir.file("missing"), missing, false, false, 0);
    idle();
    // Nobody keeps that stream: it goes once completed.
    EXPECT_EQ(missing->seen, (std::vector<std::string>{"attached", "created", "failed", "completed", "destroyed"}));
    EXPECT_FALSE(missing->success);
}

struct ServedCase {
    const char* name;
    DWORD status;
    bool acceptRanges;
    bool cache;
    bool seekable;
    std::string post;
    std::vector<std::string> seen;
    DWORD bindFlags;
    std::wstring headers;
};

void PrintTo(const ServedCase& c, std::ostream* os)
{
    *os << c.name;
}

class Served : public Streams, public testing::WithParamInterface<ServedCase> {};

TEST_P(Served, ReportsTheResponseAsStreamEvents)
{
    const ServedCase& c = GetParam();
    com::urlmon::Response response;
    response.status = c.status;
    response.body = "0123456789";
    response.headers.emplace_back("Content-Type", "text/plain");
    if (c.acceptRanges)
        response.headers.emplace_back("Accept-Ranges", "bytes");
    com::urlmon::serve(L"https://site.example/file", response);
    auto recorder = std::make_shared<Recorder>();
    PB::BrowserStreamPtr stream =
        c.post.empty() ? host->createStream("https://site.example/file", recorder, c.cache, c.seekable, 0)
                       : host->createPostStream("https://site.example/file", recorder, c.post, c.cache, c.seekable, 0);
    ASSERT_TRUE(stream);
    idle();
    EXPECT_EQ(recorder->seen, c.seen);
    const std::vector<com::urlmon::Request> requests = com::urlmon::requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].bindFlags, c.bindFlags);
    EXPECT_EQ(requests[0].additionalHeaders, c.headers);
    EXPECT_EQ(requests[0].postData, c.post);
    EXPECT_EQ(requests[0].verb, c.post.empty() ? BINDVERB_GET : BINDVERB_POST);
    if (c.status == 200 && (!c.seekable || c.acceptRanges)) {
        EXPECT_EQ(recorder->data, "0123456789");
        EXPECT_EQ(stream->getMimeType(), "text/plain");
        EXPECT_EQ(stream->getLength(), 10u);
    }
}

const DWORD kUncached = 0x20B3;
const DWORD kCached = 0xC3;
const std::vector<std::string> kDelivered = {"attached", "created", "opened", "data", "completed"};

const ServedCase kServed[] = {
    {"Get", 200, false, false, false, "", kDelivered, kUncached, L"Accept-Encoding: identity\r\n"},
    {"CachedAsksForAFile", 200, false, true, false, "", kDelivered, kCached, L"Accept-Encoding: identity\r\n"},
    {"Post", 200, false, false, false, "a=1&b=\0", kDelivered, kUncached,
     L"Accept-Encoding: identity\r\nContent-Type: application/x-www-form-urlencoded\r\n"},
    {"NotFound", 404, false, false, false, "", {"attached", "created", "failed", "completed"}, kUncached,
     L"Accept-Encoding: identity\r\n"},
    {"SeekableServer", 200, true, false, true, "", kDelivered, kUncached, L"Accept-Encoding: identity\r\n"},
    {"SeekWithoutRanges", 200, false, false, true, "", {"attached", "created", "opened", "failed", "completed"},
     kUncached, L"Accept-Encoding: identity\r\n"},
};
INSTANTIATE_TEST_SUITE_P(Table, Served, testing::ValuesIn(kServed),
                         [](const testing::TestParamInfo<ServedCase>& info) { return std::string(info.param.name); });

TEST_F(Streams, ASeekableStreamReadsRangesAtTheirOffsets)
{
    com::urlmon::Response response;
    response.body = "0123456789";
    response.headers.emplace_back("Accept-Ranges", "bytes");
    com::urlmon::serve(L"https://site.example/file", response);
    auto recorder = std::make_shared<Recorder>();
    recorder->rangeOnData = true;
    PB::BrowserStreamPtr stream = host->createStream("https://site.example/file", recorder, false, true, 0);
    EXPECT_FALSE(stream->readRange(0, 1));  // not known to seek yet
    idle();
    EXPECT_TRUE(recorder->rangeStarted);
    EXPECT_EQ(recorder->data, "0123456789234");
    EXPECT_EQ(recorder->offsets, (std::vector<std::uint32_t>{0, 2}));
    EXPECT_EQ(recorder->seen, (std::vector<std::string>{"attached", "created", "opened", "data", "data", "completed"}));
    const std::vector<com::urlmon::Request> requests = com::urlmon::requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].additionalHeaders, L"Accept-Encoding: identity\r\nRange: bytes=2-4\r\n");
    // Completed, the stream is closed: no more ranges; and it never writes.
    EXPECT_FALSE(stream->readRange(2, 5));
    std::size_t written = 0;
    EXPECT_FALSE(stream->write("x", 1, written));
}

TEST_F(Streams, AnEmptyListOfRangesIsReadAtOnceAndStartsNothing)
{
    com::urlmon::Response response;
    response.body = "0123456789";
    response.headers.emplace_back("Accept-Ranges", "bytes");
    com::urlmon::serve(L"https://site.example/file", response);
    auto recorder = std::make_shared<Recorder>();
    recorder->noRangesOnData = true;
    PB::BrowserStreamPtr stream = host->createStream("https://site.example/file", recorder, false, true, 0);
    idle();
    EXPECT_TRUE(recorder->rangeStarted);
    EXPECT_EQ(com::urlmon::requests().size(), 1u);
    EXPECT_EQ(recorder->seen, (std::vector<std::string>{"attached", "created", "opened", "data", "completed"}));
}

TEST_F(Streams, ClosedBeforeItOpenedTheTransferStops)
{
    com::urlmon::Response response;
    response.body = "abcdefghij";
    com::urlmon::serve(L"https://site.example/file", response);
    auto recorder = std::make_shared<Recorder>();
    PB::BrowserStreamPtr stream = host->createStream("https://site.example/file", recorder, false, false, 0);
    ASSERT_TRUE(stream);
    EXPECT_FALSE(stream->isOpen());  // the response has not come yet
    EXPECT_FALSE(stream->close());   // nothing was open
    EXPECT_FALSE(stream->close());   // and still nothing is
    idle();
    EXPECT_EQ(recorder->seen, (std::vector<std::string>{"attached", "created"}));
    EXPECT_TRUE(recorder->data.empty());
}

TEST_F(Streams, ClosingWhileDownloadingStopsTheTransfer)
{
    com::urlmon::Response response;
    response.body = "abcdefghij";
    response.chunk = 2;
    com::urlmon::serve(L"https://site.example/slow", response);
    auto recorder = std::make_shared<Recorder>();
    recorder->closeOnData = true;
    host->createStream("https://site.example/slow", recorder, false, false, 0);
    idle();
    EXPECT_EQ(recorder->data, "ab");
    EXPECT_EQ(recorder->seen, (std::vector<std::string>{"attached", "created", "opened", "data"}));
}

}  // namespace
