#pragma once
// One download (or upload) the browser performs for the plug-in. The host
// adapter derives its own stream, feeds it and sends the stream events;
// this base keeps the stream's description and delivers the events.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PluginCore/PluginEventSource.h"

namespace PB {

class BrowserStream;
using BrowserStreamPtr = std::shared_ptr<BrowserStream>;

class BrowserStream : public PluginEventSource {
public:
    struct Range {
        std::uint32_t start;
        std::uint32_t end;
    };

    BrowserStream(std::string url, bool cache, bool seekable, std::size_t internalBufferSize);
    // Observers still attached get a StreamDestroyedEvent; by then the
    // adapter's part is gone, so they must not call the stream.
    ~BrowserStream() override;

    // Keeps the stream alive for the whole delivery: an observer may drop
    // the last pointer to it (the stream manager does on completion).
    bool SendEvent(PluginEvent* event) override;

    // Throws std::bad_weak_ptr when no shared pointer owns the stream.
    virtual BrowserStreamPtr shared_from_this();

    // False for a range the browser cannot be asked for (beyond 32 bits).
    virtual bool readRange(std::size_t start, std::size_t end);
    virtual bool readRanges(const std::vector<Range>& ranges) = 0;
    virtual bool write(const char* data, std::size_t length, std::size_t& written) = 0;
    virtual bool close() = 0;

    virtual std::string getUrl() const { return m_url; }
    virtual bool isSeekable() const { return m_seekable; }
    virtual bool isSeekRequested() const { return m_seekRequested; }
    // Random access was asked for and the server serves byte ranges.
    virtual bool isSeekEnabled() const { return isSeekRequested() && isSeekable(); }
    virtual bool isCached() const { return m_cached; }
    virtual bool isCompleted() const { return m_completed; }
    virtual bool isOpen() const { return m_opened; }
    virtual std::string getMimeType() const { return m_mimeType; }
    virtual std::wstring getCacheFilename() const { return m_cacheFilename; }
    virtual std::string getHeaders() const { return m_headers; }
    virtual std::size_t getInternalBufferSize() const { return m_internalBufferSize; }
    // The total length when known, else 0.
    virtual std::size_t getLength() const { return m_length; }

    // For the adapter that feeds the stream.
    virtual void setUrl(std::string url) { m_url = std::move(url); }
    virtual void setSeekable(bool seekable) { m_seekable = seekable; }
    virtual void setCached(bool cached) { m_cached = cached; }
    virtual void setCompleted(bool completed) { m_completed = completed; }
    virtual void setOpen(bool open) { m_opened = open; }
    virtual void setMimeType(std::string mimeType) { m_mimeType = std::move(mimeType); }
    virtual void setCacheFilename(const std::wstring& filename) { m_cacheFilename = filename; }
    virtual void setHeaders(std::string headers) { m_headers = std::move(headers); }
    virtual void setInternalBufferSize(std::size_t size) { m_internalBufferSize = size; }
    virtual void setLength(std::size_t length) { m_length = length; }

private:
    std::string m_url;
    bool m_seekRequested;
    bool m_seekable = false;
    bool m_cached;
    std::size_t m_internalBufferSize;
    std::wstring m_cacheFilename;
    std::size_t m_length = 0;
    std::string m_mimeType;
    bool m_completed = false;
    bool m_opened = false;
    std::string m_headers;
};

}  // namespace PB
