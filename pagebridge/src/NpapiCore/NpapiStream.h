#pragma once
// A URL stream the browser carries for the plug-in (or opened on its own):
// the instance's NPP stream entries drive it and it sends the stream events
// to its observers; the plug-in's writes, range requests and close go back
// to the browser through the host. It keeps itself alive while the browser
// still owes it calls (its destruction and, for requested streams, the URL
// notification).

#include <memory>
#include <string>
#include <vector>

#include <npapi/npapi.h>

#include "PluginCore/BrowserStream.h"

namespace PB {
namespace Npapi {

class NpapiBrowserHost;

class NpapiStream : public BrowserStream {
public:
    NpapiStream(const std::string& url, bool cache, bool seekable, std::size_t internalBufferSize,
                const std::shared_ptr<NpapiBrowserHost>& host);
    // Closes a stream still attached to the browser.
    ~NpapiStream() override;

    bool readRanges(const std::vector<Range>& ranges) override;
    bool write(const char* data, std::size_t length, std::size_t& written) override;
    bool close() override;

    virtual void setSelfReference();
    // With both marks set the stream keeps itself no longer.
    virtual void setStreamDestroyed();
    virtual void setUrlNotified();
    // The count of bytes taken (at most the internal buffer size).
    virtual int32_t signalDataArrived(const void* buffer, int32_t len, int32_t offset);
    virtual void signalOpened();
    virtual void signalFailedOpen();
    // The transfer ended (NPP_URLNotify, or the browser's end of a stream):
    // the stream completes once, unless a successful transfer leaves a
    // seekable stream open for ranges.
    virtual void signalFinished(bool success);
    virtual void signalCacheFilename(const std::wstring& filename);
    // NPP_DestroyStream: the browser's stream is gone, so the stream
    // completes (also a seekable one) and is open no longer.
    void signalDestroyed(bool success);
    // The instance attaches the browser's stream when the browser opens it,
    // and detaches it here only when it refuses the stream (a close or the
    // browser's end detach it otherwise).
    virtual void setStream(NPStream* stream)
    {
        m_stream = stream;
        m_openedByBrowser = stream != nullptr;
    }
    virtual NPStream* getStream() const { return m_stream; }
    // The browser opened the stream, so its NPP_DestroyStream will come (also
    // after a close or the end of the transfer detached it).
    bool wasOpenedByBrowser() const { return m_openedByBrowser; }
    // Empty when the host has gone.
    virtual std::shared_ptr<NpapiBrowserHost> getHost() const { return m_host.lock(); }

    // The instance is gone: the browser will call nothing more, and a
    // stream not completed yet completes as a failure.
    void forgetBrowser();

private:
    void dropSelfReference();
    // Sends the stream's one completion; the stream is no longer open.
    void complete(bool success);
    // NPN_DestroyStream for a stream still attached; detaches it.
    bool destroyBrowserStream();

    NPStream* m_stream = nullptr;
    std::weak_ptr<NpapiBrowserHost> m_host;
    std::shared_ptr<NpapiStream> m_selfReference;
    bool m_streamDestroyed = false;
    bool m_urlNotified = false;
    bool m_openedByBrowser = false;
    // The browser reported the whole transfer done while the stream stayed open.
    bool m_transferSucceeded = false;
};

}  // namespace Npapi
}  // namespace PB
