#include "NpapiCore/NpapiStream.h"

#include <algorithm>

#include "NpapiCore/NpapiBrowserHost.h"
#include "PluginCore/PluginEvent.h"

namespace PB {
namespace Npapi {

NpapiStream::NpapiStream(const std::string& url, bool cache, bool seekable, std::size_t internalBufferSize,
                         const std::shared_ptr<NpapiBrowserHost>& host)
    : BrowserStream(url, cache, seekable, internalBufferSize), m_host(host)
{
}

NpapiStream::~NpapiStream()
{
    close();
    m_host.reset();
}

void NpapiStream::setSelfReference()
{
    m_selfReference = std::static_pointer_cast<NpapiStream>(shared_from_this());
}

void NpapiStream::dropSelfReference()
{
    // The stream may die here; nothing of it is touched afterwards.
    std::shared_ptr<NpapiStream> last;
    last.swap(m_selfReference);
}

void NpapiStream::setStreamDestroyed()
{
    m_streamDestroyed = true;
    if (m_urlNotified)
        dropSelfReference();
}

void NpapiStream::setUrlNotified()
{
    m_urlNotified = true;
    if (m_streamDestroyed)
        dropSelfReference();
}

void NpapiStream::forgetBrowser()
{
    // Nothing will end the transfer now: it ends here, unfinished (a stream
    // not yet opened would otherwise never complete, and a helper waiting
    // for it would keep itself and the stream for good).
    m_stream = nullptr;
    complete(false);
    m_streamDestroyed = true;
    m_urlNotified = true;
    dropSelfReference();
}

int32_t NpapiStream::signalDataArrived(const void* buffer, int32_t len, int32_t offset)
{
    if (len <= 0)
        return 0;
    const std::size_t taken = std::min<std::size_t>(static_cast<std::size_t>(len), getInternalBufferSize());
    if (taken == 0)
        return 0;
    const std::size_t length = getLength();
    float progress = 0;
    if (length != 0) {
        // Counted from the whole block, also when only part of it is taken.
        const auto position = static_cast<int32_t>(static_cast<uint32_t>(offset) + static_cast<uint32_t>(len));
        progress = static_cast<float>(position) / static_cast<float>(static_cast<uint32_t>(length)) * 100.0f;
    }
    if (isOpen()) {
        StreamDataArrivedEvent event(this, buffer, static_cast<std::uint32_t>(taken), static_cast<std::uint32_t>(offset),
                                     progress);
        SendEvent(&event);
    }
    return static_cast<int32_t>(taken);
}

void NpapiStream::signalOpened()
{
    setOpen(true);
    StreamOpenedEvent event(this);
    SendEvent(&event);
}

void NpapiStream::signalFailedOpen()
{
    StreamFailedOpenEvent event(this);
    SendEvent(&event);
}

void NpapiStream::signalFinished(bool success)
{
    // A seekable stream stays usable for range requests after its first transfer.
    if (isSeekEnabled() && success) {
        m_transferSucceeded = true;
        return;
    }
    if (isCompleted())
        return;
    // Completed before the browser's stream goes: a browser may answer
    // NPN_DestroyStream with NPP_DestroyStream(NPRES_USER_BREAK) inside the
    // call, which must not decide the outcome of a transfer that ended here.
    setCompleted(true);
    close();
    StreamCompletedEvent event(this, success);
    SendEvent(&event);
}

void NpapiStream::signalDestroyed(bool success)
{
    // The browser is done with the stream: also a seekable one ends here,
    // unless the plug-in's close ended it first.
    m_stream = nullptr;
    complete(success);
    setStreamDestroyed();
}

void NpapiStream::signalCacheFilename(const std::wstring& filename)
{
    setCacheFilename(filename);
}

void NpapiStream::complete(bool success)
{
    // One completion per stream, whoever ends it first: a later end (the
    // browser's after the plug-in's close, a failure after the close that
    // ended a transfer) has nothing left to report.
    setOpen(false);
    if (isCompleted())
        return;
    setCompleted(true);
    StreamCompletedEvent event(this, success);
    SendEvent(&event);
}

bool NpapiStream::destroyBrowserStream()
{
    NPStream* stream = m_stream;
    m_stream = nullptr;
    if (!stream)
        return false;
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    return host && host->DestroyStream(stream, NPRES_USER_BREAK) == NPERR_NO_ERROR;
}

bool NpapiStream::close()
{
    if (!m_stream)
        return false;
    // An open stream ends here. Only a transfer the browser reported as done
    // (a seekable stream kept open for ranges) ended well; one the plug-in
    // breaks off did not, and its data is not the whole.
    if (isOpen())
        complete(m_transferSucceeded);
    return destroyBrowserStream();
}

bool NpapiStream::write(const char* data, std::size_t length, std::size_t& written)
{
    if (!m_stream || !isOpen() || length > static_cast<std::size_t>(INT32_MAX))
        return false;
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host)
        return false;
    const int32_t sent = host->Write(m_stream, static_cast<int32_t>(length), const_cast<char*>(data));
    written = sent > 0 ? static_cast<std::size_t>(sent) : 0;
    return sent >= 0 && static_cast<std::size_t>(sent) == length;
}

bool NpapiStream::readRanges(const std::vector<Range>& ranges)
{
    if (!m_stream || !isSeekEnabled() || !isOpen())
        return false;
    if (ranges.empty())
        return true;
    std::shared_ptr<NpapiBrowserHost> host = getHost();
    if (!host)
        return false;
    std::vector<NPByteRange> list(ranges.size());
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        if (ranges[i].end < ranges[i].start || ranges[i].start > static_cast<std::uint32_t>(INT32_MAX))
            return false;
        list[i].offset = static_cast<int32_t>(ranges[i].start);
        list[i].length = ranges[i].end - ranges[i].start;
        list[i].next = i + 1 < ranges.size() ? &list[i + 1] : nullptr;
    }
    return host->RequestRead(m_stream, list.data()) == NPERR_NO_ERROR;
}

}  // namespace Npapi
}  // namespace PB
