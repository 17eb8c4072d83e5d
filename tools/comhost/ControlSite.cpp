#include "ControlSite.h"

#include <com/mshtml.h>

#include "PageBrowser.h"

namespace comhost {

ControlSite::ControlSite(const std::shared_ptr<PageBrowser>& browser, com::ComPtr<IDispatch> element)
    : m_browser(browser), m_element(std::move(element))
{
}

HRESULT ControlSite::QueryInterface(REFIID riid, void** object)
{
    auto* identity = static_cast<IOleClientSite*>(this);
    return com::answerQuery(riid, object, identity,
                            {{IID_IOleClientSite, identity},
                             {IID_IServiceProvider, static_cast<IServiceProvider*>(this)},
                             {IID_IOleControlSite, static_cast<IOleControlSite*>(this)},
                             {IID_IOleInPlaceSite, static_cast<IOleInPlaceSite*>(this)},
                             {IID_IOleWindow, static_cast<IOleInPlaceSite*>(this)},
                             {IID_IPropertyNotifySink, static_cast<IPropertyNotifySink*>(this)}});
}

ULONG ControlSite::AddRef()
{
    return ++m_refs;
}

ULONG ControlSite::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT ControlSite::QueryService(REFGUID service, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    auto browser = m_browser.lock();
    if (service != SID_SWebBrowserApp || !browser || !m_offerBrowser)
        return E_NOINTERFACE;
    return browser->webBrowser()->QueryInterface(riid, object);
}

HRESULT ControlSite::GetExtendedControl(IDispatch** control)
{
    if (!control)
        return E_POINTER;
    *control = m_element.get();
    if (!*control)
        return E_NOTIMPL;
    (*control)->AddRef();
    return S_OK;
}

HRESULT ControlSite::GetWindow(HWND* window)
{
    auto browser = m_browser.lock();
    if (!window || !browser)
        return E_FAIL;
    *window = browser->window();
    return S_OK;
}

HRESULT ControlSite::CanInPlaceActivate()
{
    return S_OK;
}

HRESULT ControlSite::OnInPlaceActivate()
{
    m_active = true;
    return S_OK;
}

HRESULT ControlSite::OnInPlaceDeactivate()
{
    m_active = false;
    return S_OK;
}

HRESULT ControlSite::OnChanged(DISPID id)
{
    m_changes.push_back(id);
    return S_OK;
}

HRESULT ControlSite::OnRequestEdit(DISPID)
{
    return S_OK;
}

}  // namespace comhost
