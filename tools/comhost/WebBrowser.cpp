#include "WebBrowser.h"

#include <com/bstr.h>
#include <com/comptr.h>

#include "PageBrowser.h"

namespace comhost {

HRESULT WebBrowser::QueryInterface(REFIID riid, void** object)
{
    return com::answerQuery(riid, object, this, {{IID_IDispatch, this}, {IID_IWebBrowser2, this}});
}

HRESULT WebBrowser::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT WebBrowser::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT WebBrowser::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return DISP_E_UNKNOWNNAME;
}

HRESULT WebBrowser::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT WebBrowser::Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*)
{
    if (auto browser = m_browser.lock())
        browser->navigated(com::toUtf8(com::fromBstr(url)));
    return S_OK;
}

HRESULT WebBrowser::get_Document(IDispatch** document)
{
    if (!document)
        return E_POINTER;
    *document = nullptr;
    auto browser = m_browser.lock();
    if (!browser)
        return E_UNEXPECTED;
    try {
        *document = browser->wrap(browser->page().evaluate("document")).detach();
        return *document ? S_OK : E_FAIL;
    } catch (const std::exception&) {
        return E_FAIL;
    }
}

HRESULT WebBrowser::get_LocationURL(BSTR* url)
{
    if (!url)
        return E_POINTER;
    *url = nullptr;
    auto browser = m_browser.lock();
    if (!browser)
        return E_UNEXPECTED;
    try {
        const page::Value href = browser->page().evaluate("String(location.href)");
        *url = com::allocBstr(com::fromUtf8(href.is(page::Value::Type::String) ? href.asString() : ""));
        return S_OK;
    } catch (const std::exception&) {
        return E_FAIL;
    }
}

}  // namespace comhost
