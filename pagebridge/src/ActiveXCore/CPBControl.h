#pragma once
// The ActiveX control a page embeds (coclass PBControl0, MIME type
// "application/x-velon") or script creates by ProgID. It owns the plug-in
// object, makes the browser host when it is sited, passes the <param> values
// of its property bag to the plug-in, makes the plug-in window when it is
// activated in place (windowed, or windowless when the plug-in and the
// container allow it), draws and routes input to a windowless plug-in window,
// and is the scripting face of the plug-in's root object. The ordinary
// control behaviour (verbs, extents, advice, view and quick activation) is
// the COM layer's. It is told to shut down by a null site (or, failing that,
// when it is destroyed).

#include <atomic>
#include <memory>

#include <com/comptr.h>
#include <com/controlbase.h>
#include <com/mshtml.h>

#include "ActiveXCore/ComModule.h"
#include "ActiveXCore/JSAPI_IDispatchEx.h"
#include "ActiveXCore/ObjectSafety.h"
#include "PluginAuto/ShareableReference.h"
#include "PluginCore/BrowserPlugin.h"
#include "PluginCore/PluginWindow.h"

namespace PB {

class PluginWindowlessWin;

namespace ActiveX {

class ActiveXBrowserHost;

class CPBControl final : public JSAPI_IDispatchEx,
                         public com::ControlBase,
                         public IObjectWithSite,
                         public IObjectSafety,
                         public IPersistPropertyBag,
                         public IProvideClassInfo2,
                         public BrowserPlugin {
public:
    // The class factory's creator; no object when construction fails.
    static HRESULT create(REFIID riid, void** object);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IOleObject
    HRESULT SetClientSite(IOleClientSite* site) override;
    // IOleInPlaceObject
    HRESULT InPlaceDeactivate() override;
    HRESULT SetObjectRects(LPCRECT position, LPCRECT clip) override;
    // IObjectWithSite
    HRESULT SetSite(IUnknown* site) override;
    HRESULT GetSite(REFIID riid, void** site) override;
    // IObjectSafety
    HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
    HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override;
    // IPersistPropertyBag
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT InitNew() override;
    HRESULT Load(IPropertyBag* bag, IErrorLog* log) override;
    HRESULT Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;
    // IProvideClassInfo2
    HRESULT GetClassInfo(ITypeInfo** info) override;
    HRESULT GetGUID(DWORD kind, GUID* guid) override;

    // BrowserPlugin: host, plug-in and window let go, in order.
    void shutdown() override;

    // The readable entries of the bag, by name; empty for no bag.
    virtual VariantMap readPropertyBag(IPropertyBag2* bag);
    // Once: binds the root scripting object, announces ready state 4 and
    // tells the plug-in.
    virtual void setReady();
    // A new browser host for the current site; the plug-in and the scripting
    // face both move to it.
    virtual void createBrowserHost();
    // In-place activation and the plug-in window.
    virtual HRESULT createPluginWindow(LONG verb, LPCRECT position);
    // Asks the container to repaint a windowless control; from another
    // thread, queued to the main thread (dropped if the control has gone).
    void scheduleInvalidate(std::uint32_t left, std::uint32_t top, std::uint32_t right, std::uint32_t bottom);

    const std::shared_ptr<ActiveXBrowserHost>& browserHost() const { return m_host; }

protected:
    // A windowless plug-in window draws into the container's device context.
    HRESULT OnDraw(const com::DrawInfo& info) override;
    // Focus and capture for a windowless control, then the windowless
    // plug-in window, then the ordinary control messages and reflected
    // notifications.
    bool processWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    HRESULT inPlaceActivate(LONG verb, LPCRECT position) override { return createPluginWindow(verb, position); }

private:
    CPBControl();
    ~CPBControl() override;

    // The site's browser and property-change sink; E_FAIL without a service provider.
    HRESULT takeSiteServices(IUnknown* site);
    // The plug-in window when it is a windowless one, else null.
    PluginWindowlessWin* windowlessPluginWindow() const;

    ModuleLock m_moduleLock;
    std::atomic<ULONG> m_refs{1};
    std::string m_mimeType;
    std::unique_ptr<PluginWindow> m_pluginWindow;
    com::ComPtr<IUnknown> m_site;
    com::ComPtr<IWebBrowser2> m_webBrowser;
    std::shared_ptr<ActiveXBrowserHost> m_host;
    bool m_readyDone = false;
    ObjectSafety m_safety;

    // What queued repaint requests hold; cleared when the control goes.
    std::shared_ptr<ShareableReference<CPBControl>> m_selfRef;
};

}  // namespace ActiveX
}  // namespace PB
