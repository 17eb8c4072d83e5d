#pragma once
// What a stream is to be before it exists: the browser host builds one for
// each GET or POST it is asked for and hands it to the host adapter or to
// the simple stream helper.

#include <boost/shared_array.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "PluginCore/HttpHeaders.h"
#include "PluginCore/PluginEventSink.h"
#include "PluginCore/URI.h"

namespace PB {

// Called once when a stream served by the simple stream helper ends: the
// outcome, the response headers, the whole body and its size.
using CompletionCallback = std::function<void(bool success, const HeaderMap& headers,
                                              const boost::shared_array<unsigned char>& data, std::size_t size)>;

class BrowserStreamRequest {
public:
    static constexpr std::size_t defaultBufferSize = 131072;

    // Parses the URL: throws as the URI does for a malformed one.
    BrowserStreamRequest(const std::string& url, std::string method, bool solicited = true);

    // The URL as it was given, which is what the adapters request: the
    // parsed uri does not give it back (repeated query keys, escapes such
    // as %2B and %2F, a query right after the host).
    const std::string& getUrl() const { return m_url; }

    URI uri;
    std::string method;
    // Response headers of a stream the browser opened by itself.
    HeaderMap headers;
    std::uint32_t lastModified = 0;
    bool seekable = false;
    // The adapter's transfer buffer; also the helper's block size.
    std::size_t internalBufferSize = defaultBufferSize;
    bool cache = false;

    // The observer the adapter attaches to the new stream.
    void setEventSink(const PluginEventSinkPtr& sink) { m_sink = sink; }
    const PluginEventSinkPtr& getEventSink() const { return m_sink; }

    // A request with a callback and no sink is served by the simple stream helper.
    void setCallback(CompletionCallback callback) { m_callback = std::move(callback); }
    const CompletionCallback& getCallback() const { return m_callback; }

    bool isSolicited() const { return m_solicited; }

    // Set by a plug-in that takes a stream the browser opened on its own.
    void setAccepted(bool accepted = true) { m_accepted = accepted; }
    bool isAccepted() const { return m_accepted; }

    void setPostData(std::string data, std::string headers = std::string())
    {
        m_postData = std::move(data);
        m_postHeaders = std::move(headers);
    }
    const std::string& getPostData() const { return m_postData; }
    const std::string& getPostHeaders() const { return m_postHeaders; }

private:
    std::string m_url;
    PluginEventSinkPtr m_sink;
    CompletionCallback m_callback;
    bool m_solicited;
    bool m_accepted = false;
    std::string m_postData;
    std::string m_postHeaders;
};

}  // namespace PB
