#pragma once
// Turns a stream into one call of a completion function: the data blocks
// are collected as they arrive and, when the stream completes, the whole
// body goes to the request's callback, once. The helper keeps itself alive
// from its start until its stream completes, so its creator need not.

#include <boost/shared_array.hpp>

#include <cstddef>
#include <map>
#include <memory>

#include "PluginCore/BrowserStreamRequest.h"
#include "PluginCore/DefaultBrowserStreamHandler.h"
#include "ScriptingCore/BrowserHost.h"

namespace PB {

class SimpleStreamHelper : public DefaultBrowserStreamHandler {
public:
    // A block size of 0 takes the default buffer size.
    SimpleStreamHelper(CompletionCallback callback, std::size_t blockSize);
    ~SimpleStreamHelper() override;

    // Opens a stream for the request through the host and serves it. Throws
    // std::runtime_error "Invalid callback" for a request without one. Runs
    // on the host's main thread, the caller waiting (a script_error when
    // that cannot be done). Empty when the host opens no stream.
    static std::shared_ptr<SimpleStreamHelper> AsyncRequest(const BrowserHostPtr& host,
                                                            const BrowserStreamRequest& req);
    // Serves a stream that exists already; empty when there is none.
    static std::shared_ptr<SimpleStreamHelper> AsyncRequest(const BrowserHostPtr& host, const BrowserStreamPtr& stream,
                                                            const BrowserStreamRequest& req);
    // The main-thread halves of the two above.
    static std::shared_ptr<SimpleStreamHelper> doAsyncRequest(const BrowserHostPtr& host,
                                                              const BrowserStreamRequest& req);
    static std::shared_ptr<SimpleStreamHelper> doAsyncRequest(const BrowserHostPtr& host,
                                                              const BrowserStreamPtr& stream,
                                                              const BrowserStreamRequest& req);

    // The most a body may hold, also when its stream announces more or no length.
    static constexpr std::size_t maxBodySize = std::size_t(1) << 30;

    // Places the bytes at their offset in the stream. Bytes past the
    // stream's announced length (or past maxBodySize) end the request with a
    // failure, at once, and close the stream; the stream's own completion
    // then reports nothing.
    bool onStreamDataArrived(StreamDataArrivedEvent* event, BrowserStream* stream) override;
    bool onStreamOpened(StreamOpenedEvent* event, BrowserStream* stream) override;
    // Calls the callback once, then lets the helper go.
    bool onStreamCompleted(StreamCompletedEvent* event, BrowserStream* stream) override;

private:
    void joinBlocks();
    // Calls the callback (when it was not called yet) and lets the helper go.
    void settle(bool success, const HeaderMap& headers);

    // By block index; only the blocks that data reached are allocated.
    std::map<std::size_t, boost::shared_array<unsigned char>> m_blocks;
    boost::shared_array<unsigned char> m_data;
    std::size_t m_blockSize;
    // Bytes delivered, and the end of the furthest of them in the stream;
    // the same when the data comes in order.
    std::size_t m_received = 0;
    std::size_t m_extent = 0;
    CompletionCallback m_callback;
    std::shared_ptr<SimpleStreamHelper> m_self;
};

}  // namespace PB
