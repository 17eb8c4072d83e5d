#pragma once
// The WebBrowser control of the container: the page's document and address;
// navigation is recorded, not done.

#include <memory>

#include <com/mshtml.h>
#include <com/unknown.h>

namespace comhost {

class PageBrowser;

class WebBrowser final : public com::RefCounted<IWebBrowser2> {
public:
    explicit WebBrowser(const std::shared_ptr<PageBrowser>& browser) : m_browser(browser) {}

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override;
    HRESULT Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrame, VARIANT* postData, VARIANT* headers) override;
    HRESULT get_Document(IDispatch** document) override;
    HRESULT get_LocationURL(BSTR* url) override;

private:
    std::weak_ptr<PageBrowser> m_browser;
};

}  // namespace comhost
