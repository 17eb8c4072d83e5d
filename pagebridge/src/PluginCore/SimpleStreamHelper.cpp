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

bool SimpleStreamHelper::onStreamDataArrived(StreamDataArrivedEvent* event, BrowserStream* stream)
{
    if (!m_callback || !event->data || event->length == 0)
        return false;  // settled already, or nothing to place
    const std::size_t pos = event->dataPosition;
    const std::size_t length = event->length;
    const std::size_t announced = stream->getLength();
    const std::size_t limit = announced ? std::min(announced, maxBodySize) : maxBodySize;
    if (pos > limit || length > limit - pos) {
        settle(false, HeaderMap());
        // Nobody takes the rest: the transfer stops here.
        closeStream();
        return false;
    }
    m_received += length;
    m_extent = std::max(m_extent, pos + length);
    // Each piece goes to the block its offset names, so blocks that come out
    // of order or leave a gap (zeroes) still end up where they belong.
    const auto* src = static_cast<const unsigned char*>(event->data);
    std::size_t at = pos;
    std::size_t remaining = length;
    while (remaining > 0) {
        const std::size_t index = at / m_blockSize;
        const std::size_t inBlock = at % m_blockSize;
        boost::shared_array<unsigned char>& block = m_blocks[index];
        if (!block)
            block.reset(new unsigned char[m_blockSize]());
        const std::size_t n = std::min(remaining, m_blockSize - inBlock);
        std::memcpy(block.get() + inBlock, src, n);
        src += n;
        at += n;
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
    m_data.reset(new unsigned char[m_extent]());
    for (const auto& entry : m_blocks) {
        const std::size_t start = entry.first * m_blockSize;
        std::memcpy(m_data.get() + start, entry.second.get(), std::min(m_blockSize, m_extent - start));
    }
    m_blocks.clear();
}

void SimpleStreamHelper::settle(bool success, const HeaderMap& headers)
{
    // Settled before the callback runs, so that neither a throwing callback
    // nor a second completion can call it again or keep the helper forever.
    const CompletionCallback callback = std::move(m_callback);
    m_callback = nullptr;
    const std::shared_ptr<SimpleStreamHelper> self = std::move(m_self);
    m_self.reset();
    if (!success) {
        m_blocks.clear();
        if (callback)
            callback(false, HeaderMap(), boost::shared_array<unsigned char>(), m_received);
        return;
    }
    if (callback)
        callback(true, headers, m_data, m_extent);
}

bool SimpleStreamHelper::onStreamCompleted(StreamCompletedEvent* event, BrowserStream* stream)
{
    if (!m_callback) {
        m_self.reset();
        return false;  // settled already
    }
    if (!event->success) {
        settle(false, HeaderMap());
        return false;
    }
    if (!m_data)
        joinBlocks();
    settle(true, parseHttpHeaders(stream->getHeaders()));
    return false;
}

}  // namespace PB
