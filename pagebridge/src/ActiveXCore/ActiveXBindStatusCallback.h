#pragma once
// What URL monikers talk to while one stream request downloads: it says how
// to bind (flags, verb, POST body), adds the request headers (byte ranges, no
// compression, form content type), reads the response's HTTP information
// into the stream, opens it or reports a failed open, hands the data over and
// reports the end of the binding. Used on the thread that started the binding.

#include <atomic>
#include <memory>
#include <string>

#include <com/comptr.h>
#include <com/urlmon.h>

namespace PB {
namespace ActiveX {

class ActiveXStreamRequest;

class ActiveXBindStatusCallback final : public IBindStatusCallback, public IHttpNegotiate {
public:
    ActiveXBindStatusCallback() = default;
    ActiveXBindStatusCallback(const ActiveXBindStatusCallback&) = delete;
    ActiveXBindStatusCallback& operator=(const ActiveXBindStatusCallback&) = delete;

    // E_OUTOFMEMORY when the POST body cannot be copied, E_FAIL when one is
    // held already.
    HRESULT init(const std::shared_ptr<ActiveXStreamRequest>& request);
    // The request is let go (a request that could not be started).
    void detach() { m_request.reset(); }
    // The value of a response header (an HTTP_QUERY_ option); false when the
    // binding cannot tell.
    bool queryHttpInfo(DWORD option, std::string& value) const;
    // Aborts the binding; true when aborted or already over.
    bool close();

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT OnStartBinding(DWORD reserved, IBinding* binding) override;
    HRESULT GetPriority(LONG* priority) override;
    HRESULT OnLowResource(DWORD reserved) override;
    HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText) override;
    HRESULT OnStopBinding(HRESULT result, LPCWSTR error) override;
    HRESULT GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) override;
    HRESULT OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override;
    HRESULT OnObjectAvailable(REFIID riid, IUnknown* object) override;

    HRESULT BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD reserved, LPWSTR* additionalHeaders) override;
    HRESULT OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                       LPWSTR* additionalHeaders) override;

private:
    ~ActiveXBindStatusCallback();
    HRESULT respond(DWORD responseCode, LPCWSTR responseHeaders, LPWSTR* additionalHeaders);
    HRESULT dataAvailable(DWORD flags, DWORD size, STGMEDIUM* medium);

    std::atomic<ULONG> m_refs{1};
    com::ComPtr<IBinding> m_binding;
    com::ComPtr<IStream> m_dataStream;
    std::uint32_t m_bytesRead = 0;
    std::uint32_t m_redirected = 0;
    DWORD m_verb = BINDVERB_GET;
    HGLOBAL m_postBody = nullptr;
    std::uint32_t m_postSize = 0;
    std::shared_ptr<ActiveXStreamRequest> m_request;
    bool m_headersGiven = false;
};

}  // namespace ActiveX
}  // namespace PB
