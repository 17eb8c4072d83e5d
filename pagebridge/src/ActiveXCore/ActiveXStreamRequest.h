#pragma once
// One transfer of an ActiveX stream: a URL moniker bound asynchronously with
// its own bind-status callback. The request holds its stream until it is
// stopped; the callback holds the request until its binding ends.

#include <memory>
#include <vector>

#include <com/comptr.h>
#include <com/urlmon.h>

#include "PluginCore/BrowserStream.h"

namespace PB {
namespace ActiveX {

class ActiveXStream;
class ActiveXBindStatusCallback;

class ActiveXStreamRequest : public std::enable_shared_from_this<ActiveXStreamRequest> {
public:
    explicit ActiveXStreamRequest(std::shared_ptr<ActiveXStream> stream);
    ActiveXStreamRequest(std::shared_ptr<ActiveXStream> stream, std::vector<BrowserStream::Range> ranges);
    ActiveXStreamRequest(const ActiveXStreamRequest& other);
    ActiveXStreamRequest& operator=(const ActiveXStreamRequest&) = delete;
    ~ActiveXStreamRequest();

    // Binds the stream's URL; the request must be owned by a shared pointer.
    bool start();
    // Aborts the binding and lets the callback and the stream go; true when
    // the binding was aborted or had ended.
    bool stop();

    std::shared_ptr<ActiveXStream> stream;
    com::ComPtr<IMoniker> moniker;
    com::ComPtr<IBindCtx> bindContext;
    com::ComPtr<ActiveXBindStatusCallback> callback;
    com::ComPtr<IUnknown> result;
    std::vector<BrowserStream::Range> ranges;
};

}  // namespace ActiveX
}  // namespace PB
