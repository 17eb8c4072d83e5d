#pragma once
// Owners of what dravik hands out: buffers and texts, signing, certificate
// and request contexts and request records, each released with the library's
// own function. A handle that must go at a given moment is released with
// reset().

#include <dravik/dravik.h>

#include <cstdint>
#include <memory>
#include <string>

namespace velon {

struct BufferRelease {
    void operator()(void* buffer) const { BufferFree(buffer); }
};
struct SignContextRelease {
    void operator()(DravikSignContext* context) const { FreeSignCTX(context); }
};
struct CertificateContextRelease {
    void operator()(DravikCertificateContext* context) const { DK_FreeCertificateContext(context); }
};
struct RequestContextRelease {
    void operator()(DravikRequestContext* context) const { DK_FreeRequestContext(context); }
};

using LibraryBuffer = std::unique_ptr<char, BufferRelease>;
using SignContext = std::unique_ptr<DravikSignContext, SignContextRelease>;
using CertificateContext = std::unique_ptr<DravikCertificateContext, CertificateContextRelease>;
using RequestContext = std::unique_ptr<DravikRequestContext, RequestContextRelease>;

// A buffer the library fills through an output pointer, with its length;
// released when it goes.
struct OutputBuffer {
    char* data = nullptr;
    std::uint32_t length = 0;

    OutputBuffer() = default;
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;
    ~OutputBuffer() { release(); }

    void release()
    {
        BufferFree(data);
        data = nullptr;
        length = 0;
    }
    std::string bytes() const { return data ? std::string(data, length) : std::string(); }
};

// The information record of a request; released also when never filled.
struct RequestInfo {
    DravikRequestInfo record{};

    RequestInfo() = default;
    RequestInfo(const RequestInfo&) = delete;
    RequestInfo& operator=(const RequestInfo&) = delete;
    ~RequestInfo() { FreeRequestInfo(&record); }
};

}  // namespace velon
