#include "ActiveXCore/ActiveXBindStatusCallback.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include <com/memory.h>

#include "ActiveXCore/ActiveXStream.h"
#include "ActiveXCore/ActiveXStreamRequest.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {

ActiveXBindStatusCallback::~ActiveXBindStatusCallback()
{
    if (m_postBody)
        GlobalFree(m_postBody);
}

HRESULT ActiveXBindStatusCallback::init(const std::shared_ptr<ActiveXStreamRequest>& request)
{
    m_request = request;
    const std::string postData = request && request->stream ? request->stream->getPostData() : std::string();
    if (postData.empty()) {
        m_verb = BINDVERB_GET;
        return S_OK;
    }
    m_verb = BINDVERB_POST;
    if (m_postBody)
        return E_FAIL;
    // The whole body: binary data may hold NUL bytes.
    m_postSize = static_cast<std::uint32_t>(postData.size());
    m_postBody = GlobalAlloc(GPTR, m_postSize + 1);
    if (!m_postBody)
        return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(m_postBody), postData.data(), m_postSize);
    GlobalUnlock(m_postBody);
    return S_OK;
}

bool ActiveXBindStatusCallback::queryHttpInfo(DWORD option, std::string& value) const
{
    com::ComPtr<IWinInetHttpInfo> info = m_binding.query<IWinInetHttpInfo>();
    if (!info)
        return false;
    char buffer[2048];
    DWORD size = sizeof buffer;
    DWORD flags = 0;
    DWORD reserved = 0;
    if (info->QueryInfo(option, buffer, &size, &flags, &reserved) != S_OK || size > sizeof buffer)
        return false;
    value.assign(buffer, size);
    return true;
}

bool ActiveXBindStatusCallback::close()
{
    if (!m_binding)
        return true;
    const HRESULT hr = m_binding->Abort();
    return SUCCEEDED(hr) || hr == INET_E_RESULT_DISPATCHED;
}

HRESULT ActiveXBindStatusCallback::QueryInterface(REFIID riid, void** object)
{
    auto* primary = static_cast<IBindStatusCallback*>(this);
    return com::answerQuery(riid, object, primary,
                            {{IID_IBindStatusCallback, primary},
                             {IID_IHttpNegotiate, static_cast<IHttpNegotiate*>(this)}});
}

ULONG ActiveXBindStatusCallback::AddRef()
{
    return ++m_refs;
}

ULONG ActiveXBindStatusCallback::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT ActiveXBindStatusCallback::OnStartBinding(DWORD, IBinding* binding)
{
    m_binding = com::ComPtr<IBinding>(binding);
    return S_OK;
}

HRESULT ActiveXBindStatusCallback::GetPriority(LONG*)
{
    return E_NOTIMPL;
}

HRESULT ActiveXBindStatusCallback::OnLowResource(DWORD)
{
    return E_NOTIMPL;
}

HRESULT ActiveXBindStatusCallback::OnObjectAvailable(REFIID, IUnknown*)
{
    return E_NOTIMPL;
}

HRESULT ActiveXBindStatusCallback::OnProgress(ULONG, ULONG, ULONG statusCode, LPCWSTR statusText)
{
    if (statusCode == BINDSTATUS_REDIRECTING)
        m_redirected = 1;
    if (statusCode == BINDSTATUS_CACHEFILENAMEAVAILABLE && statusText && m_request && m_request->stream)
        m_request->stream->signalCacheFilename(statusText);
    return S_OK;
}

HRESULT ActiveXBindStatusCallback::GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo)
{
    if (!bindFlags || !bindInfo)
        return E_POINTER;
    const bool cached = m_request && m_request->stream && m_request->stream->isCached();
    *bindFlags = cached ? BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_NEEDFILE | BINDF_PULLDATA
                        : BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_GETNEWESTVERSION | BINDF_NOWRITECACHE |
                              BINDF_PULLDATA | BINDF_PRAGMA_NO_CACHE;
    bindInfo->cbSize = sizeof(BINDINFO);
    bindInfo->szExtraInfo = nullptr;
    std::memset(&bindInfo->stgmedData, 0, sizeof bindInfo->stgmedData);
    bindInfo->grfBindInfoF = 0;
    bindInfo->dwBindVerb = m_verb;
    bindInfo->szCustomVerb = nullptr;
    if (m_verb == BINDVERB_GET)
        return S_OK;
    if (m_verb != BINDVERB_POST)
        return E_FAIL;
    if (m_postBody) {
        bindInfo->stgmedData.tymed = TYMED_HGLOBAL;
        bindInfo->stgmedData.hGlobal = m_postBody;
        bindInfo->stgmedData.pUnkForRelease = static_cast<IBindStatusCallback*>(this);
        AddRef();
        bindInfo->cbstgmedData = m_postSize;
    }
    return S_OK;
}

HRESULT ActiveXBindStatusCallback::BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additionalHeaders)
{
    if (!additionalHeaders)
        return E_POINTER;
    *additionalHeaders = nullptr;
    std::wstring headers = L"Accept-Encoding: identity\r\n";
    if (m_request && !m_request->ranges.empty()) {
        headers += L"Range: bytes=";
        for (std::size_t i = 0; i < m_request->ranges.size(); ++i) {
            const BrowserStream::Range& range = m_request->ranges[i];
            if (i)
                headers += L",";
            headers += std::to_wstring(range.start) + L"-" + std::to_wstring(range.end - 1);
        }
        headers += L"\r\n";
    }
    if (m_verb == BINDVERB_POST && m_postBody)
        headers += L"Content-Type: application/x-www-form-urlencoded\r\n";
    auto* text = static_cast<LPWSTR>(CoTaskMemAlloc((headers.size() + 1) * sizeof(wchar_t)));
    if (!text)
        return E_OUTOFMEMORY;
    std::memcpy(text, headers.c_str(), (headers.size() + 1) * sizeof(wchar_t));
    *additionalHeaders = text;
    m_headersGiven = true;
    return S_OK;
}

HRESULT ActiveXBindStatusCallback::OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR,
                                              LPWSTR* additionalHeaders)
{
    // Nothing an observer throws may leave a COM method: the binding is aborted instead.
    try {
        return respond(responseCode, responseHeaders, additionalHeaders);
    } catch (...) {
        return E_ABORT;
    }
}

HRESULT ActiveXBindStatusCallback::respond(DWORD responseCode, LPCWSTR responseHeaders, LPWSTR* additionalHeaders)
{
    if (!additionalHeaders)
        return E_POINTER;
    *additionalHeaders = nullptr;
    const std::shared_ptr<ActiveXStream> stream = m_request ? m_request->stream : nullptr;
    if (!stream)
        return E_ABORT;
    try {
        stream->setHeaders(wstring_to_utf8(responseHeaders ? responseHeaders : L""));
    } catch (const std::exception&) {
        stream->setHeaders(std::string());
    }
    const bool seekRequested = stream->isSeekRequested();
    std::string value;
    if (queryHttpInfo(HTTP_QUERY_CONTENT_LENGTH, value))
        stream->setLength(static_cast<std::size_t>(std::max(0L, std::atol(value.c_str()))));
    if (queryHttpInfo(HTTP_QUERY_CONTENT_TYPE, value))
        stream->setMimeType(value);
    if (queryHttpInfo(HTTP_QUERY_ACCEPT_RANGES, value))
        stream->setSeekable(value == "bytes");
    if ((!seekRequested || stream->isSeekable()) && responseCode >= 200 && responseCode <= 299) {
        if (!stream->isOpen())
            stream->signalOpened();
        return S_OK;
    }
    stream->signalFailedOpen();
    return E_ABORT;
}

HRESULT ActiveXBindStatusCallback::OnDataAvailable(DWORD flags, DWORD size, FORMATETC*, STGMEDIUM* medium)
{
    try {
        return dataAvailable(flags, size, medium);
    } catch (...) {
        m_dataStream.reset();
        close();
        return E_ABORT;
    }
}

HRESULT ActiveXBindStatusCallback::dataAvailable(DWORD flags, DWORD size, STGMEDIUM* medium)
{
    if ((flags & BSCF_FIRSTDATANOTIFICATION) && !m_dataStream && medium && medium->tymed == TYMED_ISTREAM &&
        medium->pstm)
        m_dataStream = com::ComPtr<IStream>(medium->pstm);
    if (m_dataStream && size > m_bytesRead) {
        const std::uint32_t toRead = size - m_bytesRead;
        std::size_t rangeStart = 0;
        std::string range;
        if (queryHttpInfo(HTTP_QUERY_CONTENT_RANGE, range) && range.find('-') != std::string::npos &&
            range.size() > 6) {
            // "bytes 500-999/2000"
            rangeStart = static_cast<std::size_t>(std::max(0L, std::atol(range.substr(6, range.find('-') - 6).c_str())));
        }
        std::vector<char> buffer(toRead);
        for (;;) {
            ULONG read = 0;
            const HRESULT hr = m_dataStream->Read(buffer.data(), toRead, &read);
            const std::shared_ptr<ActiveXStream> stream = m_request ? m_request->stream : nullptr;
            if (read > 0 && stream)
                stream->signalDataArrived(buffer.data(), read, m_bytesRead + rangeStart);
            m_bytesRead += read;
            // A stream answering S_OK without data would otherwise be read for ever.
            if (hr == E_PENDING || hr == S_FALSE || FAILED(hr) || read == 0 || !m_dataStream)
                break;
        }
    }
    if (flags & BSCF_LASTDATANOTIFICATION)
        m_dataStream.reset();
    return S_OK;
}

HRESULT ActiveXBindStatusCallback::OnStopBinding(HRESULT result, LPCWSTR)
{
    // Kept for the call: the stream may let the request go while it completes.
    const std::shared_ptr<ActiveXStreamRequest> request = m_request;
    try {
        if (request && request->stream)
            request->stream->signalRequestCompleted(request, SUCCEEDED(result));
    } catch (...) {
    }
    m_binding.reset();
    // The binding is over: the request no longer needs this callback, nor this callback the request.
    m_request.reset();
    return S_OK;
}

}  // namespace ActiveX
}  // namespace PB
