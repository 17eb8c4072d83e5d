#include "PluginCore/BrowserStream.h"

#include <limits>

#include "PluginCore/PluginEvent.h"

namespace PB {

BrowserStream::BrowserStream(std::string url, bool cache, bool seekable, std::size_t internalBufferSize)
    : m_url(std::move(url)), m_seekRequested(seekable), m_cached(cache), m_internalBufferSize(internalBufferSize)
{
}

BrowserStream::~BrowserStream()
{
    StreamDestroyedEvent destroyed(this);
    SendEvent(&destroyed);
}

bool BrowserStream::SendEvent(PluginEvent* event)
{
    // Empty while the stream is being destroyed or when nothing owns it.
    const std::shared_ptr<PluginEventSource> keepAlive = weak_from_this().lock();
    return PluginEventSource::SendEvent(event);
}

BrowserStreamPtr BrowserStream::shared_from_this()
{
    return std::dynamic_pointer_cast<BrowserStream>(PluginEventSource::shared_from_this());
}

bool BrowserStream::readRange(std::size_t start, std::size_t end)
{
    constexpr std::size_t limit = std::numeric_limits<std::uint32_t>::max();
    if (start > limit || end > limit)
        return false;  // cut to 32 bits it would read other bytes
    return readRanges({Range{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end)}});
}

}  // namespace PB
