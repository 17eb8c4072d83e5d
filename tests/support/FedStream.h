#pragma once
// A stream the test feeds by hand, as a host adapter would: open, data
// blocks in stream order, completion. What the plug-in asks of it (ranges,
// writes, close) is recorded.

#include <string>
#include <vector>

#include "PluginCore/BrowserStream.h"
#include "PluginCore/BrowserStreamRequest.h"

namespace test {

class FedStream : public PB::BrowserStream {
public:
    explicit FedStream(const PB::BrowserStreamRequest& req);

    void open(const std::string& mimeType = "text/plain", const std::string& headers = "");
    void failOpen();
    // Sends the bytes at the next offset.
    void feed(const std::string& bytes);
    // Sends the bytes at the offset given, in or out of order.
    void feedAt(std::size_t offset, const std::string& bytes);
    // The stream may be gone when this returns, as after an adapter's last event.
    void complete(bool success);

    bool readRanges(const std::vector<Range>& ranges) override;
    bool write(const char* data, std::size_t length, std::size_t& written) override;
    bool close() override;

    PB::BrowserStreamRequest request;
    std::vector<Range> rangesAsked;
    std::string sent;
    int closes = 0;

private:
    std::size_t m_delivered = 0;
};

}  // namespace test
