// URL monikers: the order of a binding's callbacks for files and served URLs,
// the request headers a callback adds, ranges and aborts.

#include <gtest/gtest.h>

#include <com/com.h>

#include <win32/queue.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

// Records the calls of one binding as short texts.
class Recorder final : public IBindStatusCallback, public IHttpNegotiate {
public:
    std::vector<std::string> calls;
    std::string data;
    std::wstring extraHeaders;
    HRESULT responseAnswer = S_OK;
    bool abortOnData = false;
    com::ComPtr<IBinding> binding;
    bool stopped = false;

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        auto* primary = static_cast<IBindStatusCallback*>(this);
        return com::answerQuery(riid, object, primary,
                                {{IID_IBindStatusCallback, primary},
                                 {IID_IHttpNegotiate, static_cast<IHttpNegotiate*>(this)}});
    }
    ULONG AddRef() override { return ++m_refs; }
    ULONG Release() override
    {
        const ULONG left = --m_refs;
        if (!left)
            delete this;
        return left;
    }
    HRESULT OnStartBinding(DWORD, IBinding* b) override
    {
        binding = com::ComPtr<IBinding>(b);
        calls.push_back("start");
        return S_OK;
    }
    HRESULT GetPriority(LONG*) override { return E_NOTIMPL; }
    HRESULT OnLowResource(DWORD) override { return E_NOTIMPL; }
    HRESULT OnProgress(ULONG, ULONG, ULONG status, LPCWSTR) override
    {
        if (status == BINDSTATUS_CACHEFILENAMEAVAILABLE)
            calls.push_back("cachefile");
        return S_OK;
    }
    HRESULT OnStopBinding(HRESULT hr, LPCWSTR) override
    {
        calls.push_back(hr == S_OK ? "stop ok" : hr == E_ABORT ? "stop abort" : "stop failed");
        binding.reset();
        stopped = true;
        return S_OK;
    }
    HRESULT GetBindInfo(DWORD* flags, BINDINFO* info) override
    {
        *flags = BINDF_ASYNCHRONOUS | BINDF_PULLDATA;
        info->dwBindVerb = BINDVERB_GET;
        return S_OK;
    }
    HRESULT OnDataAvailable(DWORD flags, DWORD size, FORMATETC*, STGMEDIUM* medium) override
    {
        calls.push_back("data " + std::to_string(size) + ((flags & BSCF_LASTDATANOTIFICATION) ? " last" : ""));
        char buffer[64];
        ULONG read = 0;
        while (medium->pstm->Read(buffer, sizeof buffer, &read) == S_OK || read > 0) {
            data.append(buffer, read);
            if (read == 0)
                break;
        }
        if (abortOnData && binding)
            binding->Abort();
        return S_OK;
    }
    HRESULT OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }
    HRESULT BeginningTransaction(LPCWSTR, LPCWSTR, DWORD, LPWSTR* additional) override
    {
        calls.push_back("begin");
        const std::wstring headers = extraHeaders;
        *additional = static_cast<LPWSTR>(CoTaskMemAlloc((headers.size() + 1) * sizeof(wchar_t)));
        std::copy(headers.c_str(), headers.c_str() + headers.size() + 1, *additional);
        return S_OK;
    }
    HRESULT OnResponse(DWORD code, LPCWSTR, LPCWSTR, LPWSTR*) override
    {
        std::string range;
        com::ComPtr<IWinInetHttpInfo> info = binding.query<IWinInetHttpInfo>();
        char buffer[64];
        DWORD size = sizeof buffer, none = 0;
        if (info && info->QueryInfo(HTTP_QUERY_CONTENT_RANGE, buffer, &size, &none, &none) == S_OK)
            range = " " + std::string(buffer, size);
        calls.push_back("response " + std::to_string(code) + range);
        return responseAnswer;
    }

private:
    ULONG m_refs = 1;
};

void bindAndPump(const std::wstring& url, Recorder* recorder)
{
    com::ComPtr<IMoniker> moniker;
    ASSERT_EQ(CreateURLMonikerEx(nullptr, url.c_str(), moniker.put(), URL_MK_UNIFORM), S_OK);
    com::ComPtr<IBindCtx> context;
    ASSERT_EQ(CreateAsyncBindCtx(0, recorder, nullptr, context.put()), S_OK);
    com::ComPtr<IUnknown> result;
    ASSERT_EQ(moniker->BindToStorage(context.get(), nullptr, IID_IStream, result.putVoid()), MK_S_ASYNCHRONOUS);
    EXPECT_TRUE(recorder->calls.empty());  // nothing before the thread pumps
    MSG message;
    for (int i = 0; i < 100 && !recorder->stopped && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE); ++i)
        DispatchMessageW(&message);
}

struct BindCase {
    const char* name;
    com::urlmon::Response response;
    std::wstring headers;
    HRESULT responseAnswer;
    bool abortOnData;
    std::vector<std::string> calls;
    std::string data;
};

void PrintTo(const BindCase& c, std::ostream* os)
{
    *os << c.name;
}

class Binding : public testing::TestWithParam<BindCase> {
protected:
    void TearDown() override { com::urlmon::clearServed(); }
};

TEST_P(Binding, CallsBackInOrder)
{
    const BindCase& c = GetParam();
    com::urlmon::serve(L"https://site.example/data", c.response);
    auto recorder = com::ComPtr<Recorder>::adopt(new Recorder());
    recorder->extraHeaders = c.headers;
    recorder->responseAnswer = c.responseAnswer;
    recorder->abortOnData = c.abortOnData;
    bindAndPump(L"https://site.example/data", recorder.get());
    EXPECT_EQ(recorder->calls, c.calls);
    EXPECT_EQ(recorder->data, c.data);
}

com::urlmon::Response served(DWORD status, std::string body, std::size_t chunk = 0, bool ranges = false)
{
    com::urlmon::Response r;
    r.status = status;
    r.body = std::move(body);
    r.chunk = chunk;
    if (ranges)
        r.headers.emplace_back("Accept-Ranges", "bytes");
    return r;
}

const BindCase kBindings[] = {
    {"Whole", served(200, "hello"), L"", S_OK, false, {"start", "begin", "response 200", "data 5 last", "stop ok"}, "hello"},
    {"Chunks",
     served(200, "abcdefg", 3),
     L"",
     S_OK,
     false,
     {"start", "begin", "response 200", "data 3", "data 6", "data 7 last", "stop ok"},
     "abcdefg"},
    {"Range",
     served(200, "0123456789", 0, true),
     L"Range: bytes=2-4\r\n",
     S_OK,
     false,
     {"start", "begin", "response 206 bytes 2-4/10", "data 3 last", "stop ok"},
     "234"},
    {"RefusedResponse", served(200, "x"), L"", E_ABORT, false, {"start", "begin", "response 200", "stop abort"}, ""},
    {"NotFound", served(404, "gone"), L"", S_OK, false, {"start", "begin", "response 404", "stop failed"}, ""},
    {"AbortedInData", served(200, "abcdef", 2), L"", S_OK, true, {"start", "begin", "response 200", "data 2", "stop abort"}, "ab"},
};

INSTANTIATE_TEST_SUITE_P(Table, Binding, testing::ValuesIn(kBindings),
                         [](const testing::TestParamInfo<BindCase>& info) { return std::string(info.param.name); });

TEST(FileBinding, ReportsTheFileThenItsData)
{
    test::TempDir dir;
    dir.write("a b.txt", "file data");
    auto recorder = com::ComPtr<Recorder>::adopt(new Recorder());
    bindAndPump(com::fromUtf8("file://" + dir.file("a%20b.txt")), recorder.get());
    EXPECT_EQ(recorder->calls, (std::vector<std::string>{"start", "cachefile", "data 9 last", "stop ok"}));
    EXPECT_EQ(recorder->data, "file data");

    auto missing = com::ComPtr<Recorder>::adopt(new Recorder());
    bindAndPump(com::fromUtf8(dir.file("missing.txt")), missing.get());
    EXPECT_EQ(missing->calls, (std::vector<std::string>{"start", "stop failed"}));
}

TEST(UrlSyntax, ValidUrlsAreThoseItServes)
{
    const struct {
        const wchar_t* url;
        HRESULT hr;
    } cases[] = {{L"https://a.example/", S_OK}, {L"FILE:///tmp/x", S_OK}, {L"/tmp/x", S_OK},
                 {L"ftp://a.example/", S_FALSE}, {L"relative/path", S_FALSE}};
    for (const auto& c : cases)
        EXPECT_EQ(IsValidURL(nullptr, c.url, 0), c.hr) << com::toUtf8(c.url);
    com::ComPtr<IMoniker> moniker;
    EXPECT_EQ(CreateURLMonikerEx(nullptr, L"", moniker.put(), URL_MK_UNIFORM), MK_E_SYNTAX);
}

}  // namespace
