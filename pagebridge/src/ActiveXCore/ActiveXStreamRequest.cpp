#include "ActiveXCore/ActiveXStreamRequest.h"

#include "ActiveXCore/ActiveXBindStatusCallback.h"
#include "ActiveXCore/ActiveXStream.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {

ActiveXStreamRequest::ActiveXStreamRequest(std::shared_ptr<ActiveXStream> stream) : stream(std::move(stream)) {}

ActiveXStreamRequest::ActiveXStreamRequest(std::shared_ptr<ActiveXStream> stream,
                                           std::vector<BrowserStream::Range> ranges)
    : stream(std::move(stream)), ranges(std::move(ranges))
{
}

ActiveXStreamRequest::ActiveXStreamRequest(const ActiveXStreamRequest& other)
    : std::enable_shared_from_this<ActiveXStreamRequest>(), stream(other.stream), moniker(other.moniker),
      bindContext(other.bindContext), callback(other.callback), result(other.result), ranges(other.ranges)
{
}

ActiveXStreamRequest::~ActiveXStreamRequest() = default;

bool ActiveXStreamRequest::start()
{
    if (!stream)
        return false;
    std::wstring url;
    try {
        url = utf8_to_wstring(stream->getUrl());
    } catch (const std::exception&) {
        return false;
    }
    const std::shared_ptr<ActiveXStreamRequest> self = shared_from_this();
    callback = com::ComPtr<ActiveXBindStatusCallback>::adopt(new ActiveXBindStatusCallback());
    HRESULT hr = callback->init(self);
    if (SUCCEEDED(hr))
        hr = CreateURLMonikerEx(nullptr, url.c_str(), moniker.put(), URL_MK_UNIFORM);
    if (SUCCEEDED(hr))
        hr = CreateAsyncBindCtx(0, callback.get(), nullptr, bindContext.put());
    if (SUCCEEDED(hr))
        hr = IsValidURL(bindContext.get(), url.c_str(), 0);
    if (SUCCEEDED(hr))
        hr = moniker->BindToStorage(bindContext.get(), nullptr, IID_IStream, result.putVoid());
    if (SUCCEEDED(hr))
        return true;
    // The callback would otherwise keep this request (and its stream) for good.
    callback->detach();
    callback.reset();
    bindContext.reset();
    moniker.reset();
    return false;
}

bool ActiveXStreamRequest::stop()
{
    if (!callback)
        return true;
    const bool aborted = callback->close();
    callback.reset();
    stream.reset();
    return aborted;
}

}  // namespace ActiveX
}  // namespace PB
