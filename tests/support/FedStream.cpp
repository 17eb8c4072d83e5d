#include "support/FedStream.h"

#include "PluginCore/PluginEvent.h"

namespace test {

FedStream::FedStream(const PB::BrowserStreamRequest& req)
    : PB::BrowserStream(req.getUrl(), req.cache, req.seekable, req.internalBufferSize), request(req)
{
}

void FedStream::open(const std::string& mimeType, const std::string& headers)
{
    setMimeType(mimeType);
    setHeaders(headers);
    setOpen(true);
    PB::StreamOpenedEvent opened(this);
    SendEvent(&opened);
}

void FedStream::failOpen()
{
    PB::StreamFailedOpenEvent failed(this);
    SendEvent(&failed);
}

void FedStream::feed(const std::string& bytes)
{
    feedAt(m_delivered, bytes);
}

void FedStream::feedAt(std::size_t offset, const std::string& bytes)
{
    m_delivered += bytes.size();
    const float progress = getLength() ? 100.0f * m_delivered / getLength() : 0.0f;
    PB::StreamDataArrivedEvent data(this, bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                                    static_cast<std::uint32_t>(offset), progress);
    SendEvent(&data);
}

void FedStream::complete(bool success)
{
    setCompleted(true);
    setOpen(false);
    PB::StreamCompletedEvent completed(this, success);
    SendEvent(&completed);
}

bool FedStream::readRanges(const std::vector<Range>& ranges)
{
    rangesAsked.insert(rangesAsked.end(), ranges.begin(), ranges.end());
    return true;
}

bool FedStream::write(const char* data, std::size_t length, std::size_t& written)
{
    sent.append(data, length);
    written = length;
    return true;
}

bool FedStream::close()
{
    ++closes;
    setOpen(false);
    return true;
}

}  // namespace test
