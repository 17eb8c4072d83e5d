// URL monikers: asynchronous downloads with a bind-status callback.
//
// The resources answer from local files (file:// URLs and absolute paths) and from a table a
// test fills (serve()); any other URL fails its binding with INET_E_RESOURCE_NOT_FOUND. A binding
// asked for BINDF_ASYNCHRONOUS runs on the thread that started it, from its message queue (the
// thread must pump), in this order: OnStartBinding, for table entries the IHttpNegotiate calls
// (BeginningTransaction, OnResponse), OnProgress (for files BINDSTATUS_CACHEFILENAMEAVAILABLE with
// the file's path), OnDataAvailable (the data in an IStream; one notification, or one per chunk
// when the entry asks for chunks), OnStopBinding. IBinding::Abort ends a binding that has not
// finished (OnStopBinding with E_ABORT follows); afterwards it answers INET_E_RESULT_DISPATCHED.
#pragma once

#include <com/unknown.h>

#include <string>
#include <utility>
#include <vector>

struct ISequentialStream : IUnknown {
  // S_OK when all was read, S_FALSE at the end of the data, E_PENDING when more is still to come.
  virtual HRESULT Read(void* buffer, ULONG size, ULONG* read) = 0;
  virtual HRESULT Write(const void* buffer, ULONG size, ULONG* written) = 0;
};
COM_DECLARE_IID(ISequentialStream,
                {0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}})

struct IStream : ISequentialStream {};
COM_DECLARE_IID(IStream, {0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

#define TYMED_NULL 0
#define TYMED_HGLOBAL 1
#define TYMED_FILE 2
#define TYMED_ISTREAM 4

struct STGMEDIUM {
  DWORD tymed;
  union {
    HGLOBAL hGlobal;
    LPWSTR lpszFileName;
    IStream* pstm;
  };
  IUnknown* pUnkForRelease;
};
void ReleaseStgMedium(STGMEDIUM* medium);

struct FORMATETC {
  CLIPFORMAT cfFormat;
  void* ptd;
  DWORD dwAspect;
  LONG lindex;
  DWORD tymed;
};

struct IEnumFORMATETC : IUnknown {};
COM_DECLARE_IID(IEnumFORMATETC, {0x00000103, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct IBinding : IUnknown {
  virtual HRESULT Abort() = 0;
};
COM_DECLARE_IID(IBinding, {0x79EAC9C0, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}})

#define BINDVERB_GET 0
#define BINDVERB_POST 1

struct BINDINFO {
  ULONG cbSize;
  LPWSTR szExtraInfo;
  STGMEDIUM stgmedData;
  DWORD grfBindInfoF;
  DWORD dwBindVerb;
  LPWSTR szCustomVerb;
  DWORD cbstgmedData;
  DWORD dwOptions;
  DWORD dwOptionsFlags;
  DWORD dwCodePage;
};

#define BINDF_ASYNCHRONOUS 0x00000001
#define BINDF_ASYNCSTORAGE 0x00000002
#define BINDF_NOPROGRESSIVERENDERING 0x00000004
#define BINDF_OFFLINEOPERATION 0x00000008
#define BINDF_GETNEWESTVERSION 0x00000010
#define BINDF_NOWRITECACHE 0x00000020
#define BINDF_NEEDFILE 0x00000040
#define BINDF_PULLDATA 0x00000080
#define BINDF_PRAGMA_NO_CACHE 0x00002000

#define BSCF_FIRSTDATANOTIFICATION 0x01
#define BSCF_INTERMEDIATEDATANOTIFICATION 0x02
#define BSCF_LASTDATANOTIFICATION 0x04
#define BSCF_DATAFULLYAVAILABLE 0x08

#define BINDSTATUS_FINDINGRESOURCE 1
#define BINDSTATUS_CONNECTING 2
#define BINDSTATUS_REDIRECTING 3
#define BINDSTATUS_BEGINDOWNLOADDATA 4
#define BINDSTATUS_DOWNLOADINGDATA 5
#define BINDSTATUS_ENDDOWNLOADDATA 6
#define BINDSTATUS_MIMETYPEAVAILABLE 13
#define BINDSTATUS_CACHEFILENAMEAVAILABLE 14

struct IBindStatusCallback : IUnknown {
  virtual HRESULT OnStartBinding(DWORD reserved, IBinding* binding) = 0;
  virtual HRESULT GetPriority(LONG* priority) = 0;
  virtual HRESULT OnLowResource(DWORD reserved) = 0;
  virtual HRESULT OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode, LPCWSTR statusText) = 0;
  virtual HRESULT OnStopBinding(HRESULT result, LPCWSTR error) = 0;
  virtual HRESULT GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) = 0;
  virtual HRESULT OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) = 0;
  virtual HRESULT OnObjectAvailable(REFIID riid, IUnknown* object) = 0;
};
COM_DECLARE_IID(IBindStatusCallback,
                {0x79EAC9C1, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}})

struct IHttpNegotiate : IUnknown {
  // Additional headers come back in task memory, which the binding frees.
  virtual HRESULT BeginningTransaction(LPCWSTR url, LPCWSTR headers, DWORD reserved,
                                       LPWSTR* additionalHeaders) = 0;
  // An error answer aborts the binding.
  virtual HRESULT OnResponse(DWORD responseCode, LPCWSTR responseHeaders, LPCWSTR requestHeaders,
                             LPWSTR* additionalHeaders) = 0;
};
COM_DECLARE_IID(IHttpNegotiate,
                {0x79EAC9D2, 0xBAF9, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}})

#define HTTP_QUERY_CONTENT_TYPE 1
#define HTTP_QUERY_CONTENT_LENGTH 5
#define HTTP_QUERY_STATUS_CODE 19
#define HTTP_QUERY_RAW_HEADERS_CRLF 22
#define HTTP_QUERY_ACCEPT_RANGES 42
#define HTTP_QUERY_CONTENT_RANGE 53

struct IWinInetHttpInfo : IUnknown {
  // The header's text without a NUL; *size is in and out (bytes). ERROR_INSUFFICIENT_BUFFER (as
  // an HRESULT) with the size needed when the buffer is too small, an error HRESULT when the
  // response has no such header. Only bindings of served (HTTP) URLs answer this interface.
  virtual HRESULT QueryInfo(DWORD option, LPVOID buffer, DWORD* size, DWORD* flags, DWORD* reserved) = 0;
};
COM_DECLARE_IID(IWinInetHttpInfo,
                {0x79EAC9D8, 0xBAFA, 0x11CE, {0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B}})

struct IBindCtx : IUnknown {};
COM_DECLARE_IID(IBindCtx, {0x0000000E, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct IMoniker : IUnknown {
  virtual HRESULT BindToStorage(IBindCtx* context, IMoniker* left, REFIID riid, void** object) = 0;
};
COM_DECLARE_IID(IMoniker, {0x0000000F, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

#define URL_MK_LEGACY 0
#define URL_MK_UNIFORM 1

HRESULT CreateURLMonikerEx(IMoniker* context, LPCWSTR url, IMoniker** moniker, DWORD flags);
HRESULT CreateAsyncBindCtx(DWORD reserved, IBindStatusCallback* callback, IEnumFORMATETC* formats,
                           IBindCtx** context);
// S_OK for a URL of a scheme it serves (file, http, https), an absolute path or a served URL,
// S_FALSE for anything else.
HRESULT IsValidURL(IBindCtx* context, LPCWSTR url, DWORD reserved);

namespace com {
namespace urlmon {

// What the table answers for a URL.
struct Response {
  DWORD status = 200;
  // Header lines in order; Content-Length is added from the body when missing.
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
  // With status 200 and "Accept-Ranges: bytes" among the headers, a request with one byte range is
  // answered 206 with that slice and its Content-Range. A status of 400 or more fails the binding
  // after OnResponse.
  // Data notifications carry this many bytes each (0: all at once).
  std::size_t chunk = 0;
};

// A request as the table saw it.
struct Request {
  std::wstring url;
  DWORD verb = BINDVERB_GET;
  DWORD bindFlags = 0;
  std::wstring additionalHeaders;
  std::string postData;
};

void serve(const std::wstring& url, Response response);
void clearServed();
std::vector<Request> requests();
void clearRequests();

}  // namespace urlmon
}  // namespace com
