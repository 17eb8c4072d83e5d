#pragma once
// Where the container puts one control: its client site, with the browser as
// a service, the control's element as its extended control, in-place
// activation in the container window (windowless when the control wants it:
// the site then keeps the focus and capture the control asks for and repaints
// its area on request), the notice of property changes (the control's ready
// state) and of changes to the control's picture.

#include <memory>
#include <vector>

#include <com/comptr.h>
#include <com/connection.h>
#include <com/control.h>

namespace comhost {

class PageBrowser;
class ContainerWindow;

class ControlSite final : public IOleClientSite,
                          public IServiceProvider,
                          public IOleControlSite,
                          public IOleInPlaceSiteWindowless,
                          public IPropertyNotifySink,
                          public IAdviseSink {
public:
    // element: the page element that stands for the control.
    ControlSite(const std::shared_ptr<PageBrowser>& browser, com::ComPtr<IDispatch> element);

    // Set before the control is sited: the site then offers no browser.
    void withoutBrowser() { m_offerBrowser = false; }
    // Set before activation: the control then gets a window of its own.
    void withoutWindowless() { m_grantWindowless = false; }
    // The DISPIDs of the property changes announced, in order.
    const std::vector<DISPID>& changes() const { return m_changes; }
    bool inPlaceActive() const { return m_active; }
    // Where the control stands in the container window.
    const RECT& position() const { return m_position; }
    void setPosition(const RECT& position) { m_position = position; }
    bool hasCapture() const { return m_capture; }
    bool hasFocus() const { return m_focus; }
    void blur() { m_focus = false; }
    // The container window that routes the control's input, while placed there.
    void placedIn(ContainerWindow* container) { m_container = container; }

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT QueryService(REFGUID service, REFIID riid, void** object) override;
    HRESULT GetExtendedControl(IDispatch** control) override;
    HRESULT GetWindow(HWND* window) override;
    HRESULT CanInPlaceActivate() override;
    HRESULT OnInPlaceActivate() override;
    HRESULT OnInPlaceDeactivate() override;
    HRESULT CanWindowlessActivate() override;
    HRESULT GetCapture() override;
    HRESULT SetCapture(BOOL capture) override;
    HRESULT GetFocus() override;
    HRESULT SetFocus(BOOL focus) override;
    // The control's whole area when rect is null.
    HRESULT InvalidateRect(LPCRECT rect, BOOL erase) override;
    HRESULT OnChanged(DISPID id) override;
    HRESULT OnRequestEdit(DISPID id) override;
    void OnViewChange(DWORD aspect, LONG index) override;
    void OnClose() override;

private:
    ~ControlSite() = default;

    ULONG m_refs = 1;
    std::weak_ptr<PageBrowser> m_browser;
    com::ComPtr<IDispatch> m_element;
    bool m_offerBrowser = true;
    bool m_grantWindowless = true;
    bool m_active = false;
    bool m_capture = false;
    bool m_focus = false;
    RECT m_position{0, 0, 300, 150};
    ContainerWindow* m_container = nullptr;
    std::vector<DISPID> m_changes;
};

}  // namespace comhost
