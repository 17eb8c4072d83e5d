#include "PluginCore/SimpleStreamHelper.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "PluginCore/PluginEvent.h"

namespace PB {

SimpleStreamHelper::SimpleStreamHelper(CompletionCallback callback, std::size_t blockSize)
    : m_blockSize(blockSize ? blockSize : BrowserStreamRequest::defaultBufferSize), m_callback(std::move(callback))
{
}

SimpleStreamHelper::~SimpleStreamHelper() = default;

std::shared_ptr<SimpleStreamHelper> SimpleStreamHelper::AsyncRequest(const BrowserHostPtr& host,
                                                                     const BrowserStreamRequest& req)
{
    if (!req.getCallback())
        throw std::runtime_error("Invalid callback");
    if (host->isMainThread())
        return doAsyncRequest(host, req);
    return host->CallOnMainThread([host, req] { return doAsyncRequest(host, req); });
}

std::shared_ptr<SimpleStreamHelper> SimpleStreamHelper::AsyncRequest(const BrowserHostPtr& host,
                                                                     const BrowserStreamPtr& stream,
                                                                     const BrowserStreamRequest& req)
{
    if (host->isMainThread())
        return doAsyncRequest(host, stream, req);
    return host->CallOnMainThread([host, stream, req] { return doAsyncRequest(host, stream, req); });
}

std::shared_ptr<SimpleStreamHelper> SimpleStreamHelper::doAsyncRequest(const BrowserHostPtr& host,
                                                                       const BrowserStreamRequest& req)
{
    const BrowserStreamPtr stream = host->createStream(req, false);
    return AsyncRequest(host, stream, req);
}

std::shared_ptr<SimpleStreamHelper> SimpleStreamHelper::doAsyncRequest(const BrowserHostPtr&,
                                                                       const BrowserStreamPtr& stream,
                                                                       const BrowserStreamRequest& req)
{
    if (!stream)
        return nullptr;  // nothing to serve: the host could not open the stream
    auto helper = std::make_shared<SimpleStreamHelper>(req.getCallback(), req.internalBufferSize);
    stream->AttachObserver(helper);
    // Only once attached: a helper that never observes its stream must not keep itself.
    helper->m_self = helper;
    return helper;
}

bool SimpleStreamHelper::onStreamDataArrived(StreamDataArrivedEvent* event, BrowserStream*)
{
    if (!event->data || event->length == 0)
        return false;
    const auto* src = static_cast<const unsigned char*>(event->data);
    std::size_t pos = event->dataPosition;
    std::size_t remaining = event->length;
    m_received += remaining;
    m_extent = std::max(m_extent, pos + remaining);
    // Each piece goes to the block its offset names, so blocks that come out
    // of order or leave a gap (zeroes) still end up where they belong.
    while (remaining > 0) {
        const std::size_t index = pos / m_blockSize;
        const std::size_t inBlock = pos % m_blockSize;
        while (m_blocks.size() <= index)
            m_blocks.emplace_back(new unsigned char[m_blockSize]());
        const std::size_t n = std::min(remaining, m_blockSize - inBlock);
        std::memcpy(m_blocks[index].get() + inBlock, src, n);
        src += n;
        pos += n;
        remaining -= n;
    }
    return false;
}

bool SimpleStreamHelper::onStreamOpened(StreamOpenedEvent*, BrowserStream*)
{
    return false;
}

void SimpleStreamHelper::joinBlocks()
{
    m_data.reset(new unsigned char[m_extent]);
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        const std::size_t start = i * m_blockSize;
        std::memcpy(m_data.get() + start, m_blocks[i].get(), std::min(m_blockSize, m_extent - start));
    }
    m_blocks.clear();
}

bool SimpleStreamHelper::onStreamCompleted(StreamCompletedEvent* event, BrowserStream* stream)
{
    // Settled before the callback runs, so that neither a throwing callback
    // nor a second completion can call it again or keep the helper forever.
    const CompletionCallback callback = std::move(m_callback);
    m_callback = nullptr;
    const std::shared_ptr<SimpleStreamHelper> self = std::move(m_self);
    m_self.reset();

    if (!event->success) {
        m_blocks.clear();
        if (callback)
            callback(false, HeaderMap(), boost::shared_array<unsigned char>(), m_received);
        return false;
    }
    if (!m_data)
        joinBlocks();
    if (callback)
        callback(true, parseHttpHeaders(stream->getHeaders()), m_data, m_extent);
    return false;
}

}  // namespace PB
