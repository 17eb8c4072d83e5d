#pragma once
// A download of the ActiveX adapter: the stream binds URL monikers by itself,
// one request per transfer (the whole resource, or a set of byte ranges), and
// turns what the bind callbacks report into the framework's stream events.
// Used on the control's thread, where the bindings run.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "PluginCore/BrowserStream.h"

namespace PB {
namespace ActiveX {

class ActiveXStreamRequest;

class ActiveXStream : public BrowserStream {
public:
    ActiveXStream(std::string url, bool cache, bool seekable, std::size_t internalBufferSize);
    // A POST of the data (a GET when it is empty).
    ActiveXStream(std::string url, bool cache, bool seekable, std::size_t internalBufferSize, std::string postData);
    ~ActiveXStream() override;

    // Further transfers of a stream that may seek; true also for no range.
    bool readRanges(const std::vector<Range>& ranges) override;
    // Download only.
    bool write(const char* data, std::size_t length, std::size_t& written) override;
    // Stops every transfer; false for a stream that was not open.
    bool close() override;

    virtual std::string getPostData() const { return m_postData; }
    // Starts the whole-resource transfer (nothing for a stream already known
    // to seek).
    virtual bool open();
    virtual bool startRequest(const ActiveXStreamRequest& prototype);

    // What the bind callbacks report.
    virtual std::size_t signalDataArrived(const void* data, std::size_t length, std::size_t offset);
    virtual void signalOpened();
    virtual void signalFailedOpen();
    virtual void signalFinished(bool success);
    virtual void signalRequestCompleted(const std::shared_ptr<ActiveXStreamRequest>& request, bool success);
    virtual void signalCacheFilename(const std::wstring& name);

    std::shared_ptr<ActiveXStream> activexShared();

private:
    std::set<std::shared_ptr<ActiveXStreamRequest>> m_requests;
    bool m_closing = false;
    // A failed open is reported once, by the response or by the end.
    bool m_failedOpenSent = false;
    std::string m_postData;
};

}  // namespace ActiveX
}  // namespace PB
