#include <com/urlmon.h>

#include <com/comptr.h>
#include <com/memory.h>

#include <win32/kernel.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

#include <com/bstr.h>
#include "thread_tasks.h"

namespace com {
namespace urlmon {

namespace {
struct Table {
  std::mutex mutex;
  std::map<std::wstring, Response> served;
  std::vector<Request> requests;
};
Table& table() {
  static Table instance;
  return instance;
}
}  // namespace

void serve(const std::wstring& url, Response response) {
  std::lock_guard<std::mutex> lock(table().mutex);
  table().served[url] = std::move(response);
}

void clearServed() {
  std::lock_guard<std::mutex> lock(table().mutex);
  table().served.clear();
}

std::vector<Request> requests() {
  std::lock_guard<std::mutex> lock(table().mutex);
  return table().requests;
}

void clearRequests() {
  std::lock_guard<std::mutex> lock(table().mutex);
  table().requests.clear();
}

}  // namespace urlmon
}  // namespace com

void ReleaseStgMedium(STGMEDIUM* medium) {
  if (!medium) return;
  if (medium->pUnkForRelease) {
    medium->pUnkForRelease->Release();
  } else if (medium->tymed == TYMED_HGLOBAL) {
    GlobalFree(medium->hGlobal);
  } else if (medium->tymed == TYMED_ISTREAM && medium->pstm) {
    medium->pstm->Release();
  } else if (medium->tymed == TYMED_FILE) {
    CoTaskMemFree(medium->lpszFileName);
  }
  std::memset(medium, 0, sizeof *medium);
}

namespace {

using com::ComPtr;

std::wstring lowerAscii(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
  return text;
}

bool startsWith(const std::wstring& text, const std::wstring& prefix) {
  return text.size() >= prefix.size() && lowerAscii(text.substr(0, prefix.size())) == prefix;
}

bool isServed(const std::wstring& url, com::urlmon::Response* response) {
  auto& t = com::urlmon::table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto found = t.served.find(url);
  if (found == t.served.end()) return false;
  if (response) *response = found->second;
  return true;
}

// The local file a URL names, or empty.
std::string localPath(const std::wstring& url) {
  std::wstring path;
  if (startsWith(url, L"file://")) {
    path = url.substr(7);
    if (!path.empty() && path[0] != L'/') {
      // file://host/path: only the local host
      const std::size_t slash = path.find(L'/');
      if (slash == std::wstring::npos || lowerAscii(path.substr(0, slash)) != L"localhost") return std::string();
      path = path.substr(slash);
    }
  } else if (!url.empty() && url[0] == L'/') {
    path = url;
  } else {
    return std::string();
  }
  const std::string encoded = com::toUtf8(path);
  std::string decoded;
  for (std::size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] == '%' && i + 2 < encoded.size() && std::isxdigit(static_cast<unsigned char>(encoded[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(encoded[i + 2]))) {
      decoded.push_back(static_cast<char>(std::strtol(encoded.substr(i + 1, 2).c_str(), nullptr, 16)));
      i += 2;
    } else {
      decoded.push_back(encoded[i]);
    }
  }
  return decoded;
}

const char* statusText(DWORD status) {
  switch (status) {
    case 200: return "OK";
    case 206: return "Partial Content";
    case 404: return "Not Found";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

std::string headerValue(const std::vector<std::pair<std::string, std::string>>& headers, const std::string& name) {
  for (const auto& header : headers) {
    if (header.first.size() != name.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < name.size() && same; ++i)
      same = std::tolower(static_cast<unsigned char>(header.first[i])) == std::tolower(static_cast<unsigned char>(name[i]));
    if (same) return header.second;
  }
  return std::string();
}

// One "Range: bytes=a-b" line among the request headers gives the range; several ranges or
// none give false.
bool requestedRange(const std::wstring& headers, std::size_t* first, std::size_t* last) {
  const std::string text = com::toUtf8(headers);
  const std::size_t at = text.find("Range: bytes=");
  if (at == std::string::npos) return false;
  std::size_t end = text.find("\r\n", at);
  const std::string spec = text.substr(at + 13, end == std::string::npos ? std::string::npos : end - at - 13);
  if (spec.find(',') != std::string::npos) return false;
  char* rest = nullptr;
  const unsigned long long a = std::strtoull(spec.c_str(), &rest, 10);
  if (*rest != '-') return false;
  const unsigned long long b = std::strtoull(rest + 1, &rest, 10);
  if (*rest != '\0' || b < a) return false;
  *first = a;
  *last = b;
  return true;
}

// The data a binding hands out: more of it becomes readable with each notification.
class MemoryStream final : public com::RefCounted<IStream> {
 public:
  explicit MemoryStream(std::string data) : m_data(std::move(data)) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return com::answerQuery(riid, object, this, {{IID_ISequentialStream, this}, {IID_IStream, this}});
  }
  HRESULT Read(void* buffer, ULONG size, ULONG* read) override {
    if (!buffer && size) return E_POINTER;
    const std::size_t n = std::min<std::size_t>(size, m_available - m_position);
    if (n) std::memcpy(buffer, m_data.data() + m_position, n);
    m_position += n;
    if (read) *read = static_cast<ULONG>(n);
    if (n == size) return S_OK;
    return m_available == m_data.size() ? S_FALSE : E_PENDING;
  }
  HRESULT Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }

  void makeAvailable(std::size_t bytes) { m_available = std::min(bytes, m_data.size()); }

 private:
  std::string m_data;
  std::size_t m_available = 0;
  std::size_t m_position = 0;
};

class Binding final : public com::RefCounted<IBinding, IWinInetHttpInfo> {
 public:
  Binding(std::wstring url, ComPtr<IBindStatusCallback> callback, com::urlmon::Request request)
      : m_url(std::move(url)), m_callback(std::move(callback)), m_request(std::move(request)) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IWinInetHttpInfo && !m_http) {
      if (object) *object = nullptr;
      return E_NOINTERFACE;
    }
    return com::answerQuery(riid, object, static_cast<IBinding*>(this),
                            {{IID_IBinding, static_cast<IBinding*>(this)},
                             {IID_IWinInetHttpInfo, static_cast<IWinInetHttpInfo*>(this)}});
  }

  HRESULT Abort() override {
    if (m_finished) return INET_E_RESULT_DISPATCHED;
    m_aborted = true;
    return S_OK;
  }

  HRESULT QueryInfo(DWORD option, LPVOID buffer, DWORD* size, DWORD*, DWORD*) override {
    if (!size) return E_POINTER;
    std::string value;
    switch (option) {
      case HTTP_QUERY_CONTENT_TYPE: value = headerValue(m_headers, "Content-Type"); break;
      case HTTP_QUERY_CONTENT_LENGTH: value = headerValue(m_headers, "Content-Length"); break;
      case HTTP_QUERY_ACCEPT_RANGES: value = headerValue(m_headers, "Accept-Ranges"); break;
      case HTTP_QUERY_CONTENT_RANGE: value = headerValue(m_headers, "Content-Range"); break;
      case HTTP_QUERY_STATUS_CODE: value = std::to_string(m_status); break;
      case HTTP_QUERY_RAW_HEADERS_CRLF: value = rawHeaders(); break;
      default: return E_INVALIDARG;
    }
    if (value.empty()) return HRESULT_FROM_WIN32(12150);  // ERROR_HTTP_HEADER_NOT_FOUND
    if (!buffer || *size < value.size()) {
      *size = static_cast<DWORD>(value.size());
      return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, value.data(), value.size());
    *size = static_cast<DWORD>(value.size());
    return S_OK;
  }

  void run() {
    // The callback may let this binding go in any of its calls.
    ComPtr<Binding> self(this);
    if (m_aborted) return stop(E_ABORT);
    m_callback->OnStartBinding(0, static_cast<IBinding*>(this));
    if (m_aborted) return stop(E_ABORT);
    std::string body;
    const HRESULT hr = fetch(&body);
    if (FAILED(hr)) return stop(hr);
    if (m_aborted) return stop(E_ABORT);
    m_callback->OnProgress(0, static_cast<ULONG>(body.size()), BINDSTATUS_BEGINDOWNLOADDATA, m_url.c_str());
    if (m_aborted) return stop(E_ABORT);
    deliver(std::move(body));
    if (m_aborted) return stop(E_ABORT);
    m_callback->OnProgress(static_cast<ULONG>(m_total), static_cast<ULONG>(m_total), BINDSTATUS_ENDDOWNLOADDATA,
                           m_url.c_str());
    stop(S_OK);
  }

 private:
  HRESULT fetch(std::string* body) {
    const std::string path = localPath(m_url);
    com::urlmon::Response response;
    if (isServed(m_url, &response)) return fetchServed(std::move(response), body);
    record();
    if (path.empty()) return INET_E_RESOURCE_NOT_FOUND;
    std::ifstream in(path, std::ios::binary);
    if (!in) return INET_E_RESOURCE_NOT_FOUND;
    std::ostringstream content;
    content << in.rdbuf();
    *body = content.str();
    m_callback->OnProgress(0, 0, BINDSTATUS_CACHEFILENAMEAVAILABLE, com::fromUtf8(path).c_str());
    return S_OK;
  }

  HRESULT fetchServed(com::urlmon::Response response, std::string* body) {
    m_http = true;
    ComPtr<IHttpNegotiate> negotiate = m_callback.query<IHttpNegotiate>();
    if (negotiate) {
      LPWSTR extra = nullptr;
      negotiate->BeginningTransaction(m_url.c_str(), L"", 0, &extra);
      if (extra) m_request.additionalHeaders = extra;
      CoTaskMemFree(extra);
    }
    record();
    if (m_aborted) return E_ABORT;
    m_status = response.status;
    m_headers = response.headers;
    std::string data = std::move(response.body);
    std::size_t first = 0, last = 0;
    if (m_status == 200 && headerValue(m_headers, "Accept-Ranges") == "bytes" &&
        requestedRange(m_request.additionalHeaders, &first, &last) && first < data.size()) {
      last = std::min(last, data.size() - 1);
      m_headers.emplace_back("Content-Range", "bytes " + std::to_string(first) + "-" + std::to_string(last) + "/" +
                                                  std::to_string(data.size()));
      data = data.substr(first, last - first + 1);
      m_status = 206;
    }
    if (headerValue(m_headers, "Content-Length").empty()) m_headers.emplace_back("Content-Length", std::to_string(data.size()));
    if (negotiate) {
      LPWSTR extra = nullptr;
      const std::wstring raw = com::fromUtf8(rawHeaders());
      const HRESULT hr = negotiate->OnResponse(m_status, raw.c_str(), m_request.additionalHeaders.c_str(), &extra);
      CoTaskMemFree(extra);
      if (FAILED(hr)) return E_ABORT;
    }
    if (m_status >= 400) return m_status == 404 ? INET_E_RESOURCE_NOT_FOUND : INET_E_DOWNLOAD_FAILURE;
    *body = std::move(data);
    return S_OK;
  }

  void record() {
    auto& t = com::urlmon::table();
    std::lock_guard<std::mutex> lock(t.mutex);
    t.requests.push_back(m_request);
  }

  std::string rawHeaders() const {
    std::string text = "HTTP/1.1 " + std::to_string(m_status) + " " + statusText(m_status) + "\r\n";
    for (const auto& header : m_headers) text += header.first + ": " + header.second + "\r\n";
    return text + "\r\n";
  }

  void deliver(std::string body) {
    m_total = body.size();
    std::size_t chunk = 0;
    com::urlmon::Response response;
    if (isServed(m_url, &response)) chunk = response.chunk;
    if (chunk == 0) chunk = m_total ? m_total : 1;
    ComPtr<MemoryStream> stream = ComPtr<MemoryStream>::adopt(new MemoryStream(std::move(body)));
    std::size_t available = 0;
    bool first = true;
    do {
      available = std::min(m_total, available + chunk);
      stream->makeAvailable(available);
      DWORD flags = first ? BSCF_FIRSTDATANOTIFICATION : BSCF_INTERMEDIATEDATANOTIFICATION;
      if (available == m_total) flags = (first ? BSCF_FIRSTDATANOTIFICATION : 0) | BSCF_LASTDATANOTIFICATION |
                                        BSCF_DATAFULLYAVAILABLE;
      FORMATETC format{0, nullptr, 1, -1, TYMED_ISTREAM};
      STGMEDIUM medium{};
      medium.tymed = TYMED_ISTREAM;
      medium.pstm = stream.get();
      m_callback->OnDataAvailable(flags, static_cast<DWORD>(available), &format, &medium);
      first = false;
    } while (available < m_total && !m_aborted);
  }

  void stop(HRESULT result) {
    if (m_finished) return;
    m_finished = true;
    ComPtr<IBindStatusCallback> callback = std::move(m_callback);
    callback->OnStopBinding(result, nullptr);
  }

  std::wstring m_url;
  ComPtr<IBindStatusCallback> m_callback;
  com::urlmon::Request m_request;
  bool m_aborted = false;
  bool m_finished = false;
  bool m_http = false;
  DWORD m_status = 0;
  std::vector<std::pair<std::string, std::string>> m_headers;
  std::size_t m_total = 0;
};

class BindContext final : public com::RefCounted<IBindCtx> {
 public:
  explicit BindContext(IBindStatusCallback* callback) : m_callback(callback) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return com::answerQuery(riid, object, this, {{IID_IBindCtx, this}});
  }
  const ComPtr<IBindStatusCallback>& callback() const { return m_callback; }

 private:
  ComPtr<IBindStatusCallback> m_callback;
};

class UrlMoniker final : public com::RefCounted<IMoniker> {
 public:
  explicit UrlMoniker(std::wstring url) : m_url(std::move(url)) {}
  HRESULT QueryInterface(REFIID riid, void** object) override {
    return com::answerQuery(riid, object, this, {{IID_IMoniker, this}});
  }

  HRESULT BindToStorage(IBindCtx* context, IMoniker*, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IStream) return E_NOINTERFACE;
    auto* bindContext = dynamic_cast<BindContext*>(context);
    if (!bindContext || !bindContext->callback()) return E_INVALIDARG;
    ComPtr<IBindStatusCallback> callback = bindContext->callback();
    DWORD flags = 0;
    BINDINFO info{};
    info.cbSize = sizeof info;
    HRESULT hr = callback->GetBindInfo(&flags, &info);
    if (FAILED(hr)) return hr;
    com::urlmon::Request request;
    request.url = m_url;
    request.verb = info.dwBindVerb;
    request.bindFlags = flags;
    if (info.stgmedData.tymed == TYMED_HGLOBAL && info.stgmedData.hGlobal)
      request.postData.assign(static_cast<const char*>(GlobalLock(info.stgmedData.hGlobal)), info.cbstgmedData);
    ReleaseStgMedium(&info.stgmedData);
    ComPtr<Binding> binding = ComPtr<Binding>::adopt(new Binding(m_url, callback, std::move(request)));
    if (!(flags & BINDF_ASYNCHRONOUS)) {
      binding->run();
      return S_OK;
    }
    if (!com::detail::postToThisThread([binding] { binding->run(); })) return E_FAIL;
    return MK_S_ASYNCHRONOUS;
  }

 private:
  std::wstring m_url;
};

}  // namespace

HRESULT CreateURLMonikerEx(IMoniker*, LPCWSTR url, IMoniker** moniker, DWORD) {
  if (!url || !moniker) return E_INVALIDARG;
  *moniker = nullptr;
  if (!*url) return MK_E_SYNTAX;
  *moniker = new UrlMoniker(url);
  return S_OK;
}

HRESULT CreateAsyncBindCtx(DWORD, IBindStatusCallback* callback, IEnumFORMATETC*, IBindCtx** context) {
  if (!context) return E_INVALIDARG;
  *context = new BindContext(callback);
  return S_OK;
}

HRESULT IsValidURL(IBindCtx*, LPCWSTR url, DWORD) {
  if (!url) return E_INVALIDARG;
  const std::wstring text(url);
  if (startsWith(text, L"file:") || startsWith(text, L"http://") || startsWith(text, L"https://") ||
      (!text.empty() && text[0] == L'/') || isServed(text, nullptr))
    return S_OK;
  return S_FALSE;
}
