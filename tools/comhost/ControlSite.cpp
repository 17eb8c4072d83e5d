#include "ControlSite.h"

#include <com/mshtml.h>

#include <win32/gdi.h>

#include "ContainerWindow.h"
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
                             {IID_IOleInPlaceSite, static_cast<IOleInPlaceSiteWindowless*>(this)},
                             {IID_IOleInPlaceSiteWindowless, static_cast<IOleInPlaceSiteWindowless*>(this)},
                             {IID_IOleWindow, static_cast<IOleInPlaceSiteWindowless*>(this)},
                             {IID_IPropertyNotifySink, static_cast<IPropertyNotifySink*>(this)},
                             {IID_IAdviseSink, static_cast<IAdviseSink*>(this)}});
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
    m_capture = false;
    m_focus = false;
    return S_OK;
}

HRESULT ControlSite::CanWindowlessActivate()
{
    return m_grantWindowless ? S_OK : S_FALSE;
}

HRESULT ControlSite::GetCapture()
{
    return m_capture ? S_OK : S_FALSE;
}

HRESULT ControlSite::SetCapture(BOOL capture)
{
    m_capture = capture != FALSE;
    return S_OK;
}

HRESULT ControlSite::GetFocus()
{
    return m_focus ? S_OK : S_FALSE;
}

HRESULT ControlSite::SetFocus(BOOL focus)
{
    m_focus = focus != FALSE;
    if (m_focus && m_container)
        m_container->focused(this);
    return S_OK;
}

HRESULT ControlSite::InvalidateRect(LPCRECT rect, BOOL erase)
{
    auto browser = m_browser.lock();
    if (!browser)
        return E_FAIL;
    ::InvalidateRect(browser->window(), rect ? rect : &m_position, erase);
    return S_OK;
}

void ControlSite::OnViewChange(DWORD, LONG)
{
    InvalidateRect(nullptr, FALSE);
}

void ControlSite::OnClose() {}

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
