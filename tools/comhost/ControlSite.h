#pragma once
// Where the container puts one control: its client site, with the browser as
// a service, the control's element as its extended control, in-place
// activation in the container window, and the notice of property changes
// (the control's ready state).

#include <memory>
#include <vector>

#include <com/comptr.h>
#include <com/connection.h>
#include <com/control.h>

namespace comhost {

class PageBrowser;

class ControlSite final : public IOleClientSite,
                          public IServiceProvider,
                          public IOleControlSite,
                          public IOleInPlaceSite,
                          public IPropertyNotifySink {
public:
    // element: the page element that stands for the control.
    ControlSite(const std::shared_ptr<PageBrowser>& browser, com::ComPtr<IDispatch> element);

    // Set before the control is sited: the site then offers no browser.
    void withoutBrowser() { m_offerBrowser = false; }
    // The DISPIDs of the property changes announced, in order.
    const std::vector<DISPID>& changes() const { return m_changes; }
    bool inPlaceActive() const { return m_active; }

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT QueryService(REFGUID service, REFIID riid, void** object) override;
    HRESULT GetExtendedControl(IDispatch** control) override;
    HRESULT GetWindow(HWND* window) override;
    HRESULT CanInPlaceActivate() override;
    HRESULT OnInPlaceActivate() override;
    HRESULT OnInPlaceDeactivate() override;
    HRESULT OnChanged(DISPID id) override;
    HRESULT OnRequestEdit(DISPID id) override;

private:
    ~ControlSite() = default;

    ULONG m_refs = 1;
    std::weak_ptr<PageBrowser> m_browser;
    com::ComPtr<IDispatch> m_element;
    bool m_offerBrowser = true;
    bool m_active = false;
    std::vector<DISPID> m_changes;
};

}  // namespace comhost
