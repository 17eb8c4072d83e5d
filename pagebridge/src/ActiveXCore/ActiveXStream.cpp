#include "ActiveXCore/ActiveXStream.h"

#include "ActiveXCore/ActiveXStreamRequest.h"
#include "PluginCore/PluginEvent.h"

namespace PB {
namespace ActiveX {

ActiveXStream::ActiveXStream(std::string url, bool cache, bool seekable, std::size_t internalBufferSize)
    : BrowserStream(std::move(url), cache, seekable, internalBufferSize)
{
}

ActiveXStream::ActiveXStream(std::string url, bool cache, bool seekable, std::size_t internalBufferSize,
                             std::string postData)
    : BrowserStream(std::move(url), cache, seekable, internalBufferSize), m_postData(std::move(postData))
{
}

ActiveXStream::~ActiveXStream()
{
    close();
}

std::shared_ptr<ActiveXStream> ActiveXStream::activexShared()
{
    return std::static_pointer_cast<ActiveXStream>(shared_from_this());
}

bool ActiveXStream::open()
{
    if (isSeekEnabled())
        return true;
    return startRequest(ActiveXStreamRequest(activexShared()));
}

bool ActiveXStream::startRequest(const ActiveXStreamRequest& prototype)
{
    auto request = std::make_shared<ActiveXStreamRequest>(prototype);
    if (!request->start())
        return false;
    m_requests.insert(request);
    return true;
}

bool ActiveXStream::readRanges(const std::vector<Range>& ranges)
{
    if (!isSeekEnabled() || !isOpen())
        return false;
    if (!ranges.empty())
        startRequest(ActiveXStreamRequest(activexShared(), ranges));
    return true;
}

bool ActiveXStream::write(const char*, std::size_t, std::size_t&)
{
    return false;
}

bool ActiveXStream::close()
{
    if (m_closing)
        return true;
    m_closing = true;
    const bool wasOpen = isOpen();
    setOpen(false);
    // Every transfer is stopped, also those of a stream that never opened
    // (a file delivers without opening).
    bool stopped = true;
    const std::set<std::shared_ptr<ActiveXStreamRequest>> requests = m_requests;
    for (const auto& request : requests)
        stopped = request->stop() && stopped;
    m_requests.clear();
    m_closing = false;
    return wasOpen && stopped;
}

std::size_t ActiveXStream::signalDataArrived(const void* data, std::size_t length, std::size_t offset)
{
    if (length == 0)
        return 0;
    const std::size_t total = getLength();
    const float progress =
        total == 0 ? 0.0f : static_cast<float>(offset + length) / static_cast<float>(total) * 100.0f;
    if (isOpen() || !getCacheFilename().empty()) {
        StreamDataArrivedEvent event(this, data, static_cast<std::uint32_t>(length), static_cast<std::uint32_t>(offset),
                                     progress);
        SendEvent(&event);
    }
    return length;
}

void ActiveXStream::signalOpened()
{
    setOpen(true);
    StreamOpenedEvent event(this);
    SendEvent(&event);
}

void ActiveXStream::signalFailedOpen()
{
    m_failedOpenSent = true;
    StreamFailedOpenEvent event(this);
    SendEvent(&event);
}

void ActiveXStream::signalFinished(bool success)
{
    setCompleted(true);
    if (!isOpen() && !success && !m_failedOpenSent)
        signalFailedOpen();
    close();
    StreamCompletedEvent event(this, success);
    SendEvent(&event);
}

void ActiveXStream::signalRequestCompleted(const std::shared_ptr<ActiveXStreamRequest>& request, bool success)
{
    m_requests.erase(request);
    if (m_requests.empty())
        signalFinished(success);
}

void ActiveXStream::signalCacheFilename(const std::wstring& name)
{
    setCacheFilename(name);
}

}  // namespace ActiveX
}  // namespace PB
