#include "ActiveXCore/CPBControl.h"

#include <new>
#include <vector>

#include <com/bstr.h>
#include <com/memory.h>
#include <com/mshtml.h>

#include <win32/gdi.h>
#include <win32/messages.h>
#include <win32/queue.h>

#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ActiveXCore/ComVariantReader.h"
#include "ActiveXCore/Guids.h"
#include "PluginCore/FactoryBase.h"
#include "PluginCore/Win/PluginWindowWin.h"
#include "PluginCore/Win/PluginWindowlessWin.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {

namespace {

const DWORD kWindowStyle = 0x56000000;  // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
// The registered MiscStatus: recompose on resize, can't link inside,
// inside-out, activate when visible, set client site first.
const DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                          OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

// Notifications reflected back to a control by its container.
const UINT kReflectBase = 0x2000;

bool isReflected(UINT message)
{
    if (message < kReflectBase)
        return false;
    switch (message - kReflectBase) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case 0x0132:  // WM_CTLCOLORMSGBOX ... WM_CTLCOLORSTATIC
    case 0x0133:
    case 0x0134:
    case 0x0135:
    case 0x0136:
    case 0x0137:
    case 0x0138:
    case 0x0210:  // WM_PARENTNOTIFY
    case 0x002B:  // WM_DRAWITEM
    case 0x002C:  // WM_MEASUREITEM
    case 0x002D:  // WM_DELETEITEM
    case 0x002E:  // WM_VKEYTOITEM
    case 0x002F:  // WM_CHARTOITEM
    case 0x0039:  // WM_COMPAREITEM
    case WM_NOTIFY:
        return true;
    default:
        return false;
    }
}

}  // namespace

CPBControl::CPBControl()
    : JSAPI_IDispatchEx(PBCONTROL0_MIMETYPE), ControlBase(kWindowStyle, kMiscStatus), BrowserPlugin(PBCONTROL0_MIMETYPE),
      m_mimeType(PBCONTROL0_MIMETYPE), m_selfRef(std::make_shared<ShareableReference<CPBControl>>(this))
{
    setReadyState(READYSTATE_LOADING);
    setPluginPath(CPageBridgeWinModule::instance().modulePath());
}

CPBControl::~CPBControl()
{
    m_selfRef.reset();
    // A container that never cleared the site still gets the plug-in shut down.
    if (pluginMain)
        shutdown();
}

HRESULT CPBControl::create(REFIID riid, void** object)
{
    CPBControl* control = nullptr;
    try {
        control = new CPBControl();
    } catch (...) {
        return E_FAIL;
    }
    const HRESULT hr = control->QueryInterface(riid, object);
    control->Release();
    return hr;
}

HRESULT CPBControl::QueryInterface(REFIID riid, void** object)
{
    auto* face = static_cast<IDispatchEx*>(this);
    auto* view = static_cast<IViewObjectEx*>(this);
    auto* inPlace = static_cast<IOleInPlaceObjectWindowless*>(this);
    return com::answerQuery(riid, object, face,
                            {{DIID_IPBComEventSource, face},
                             {IID_IDispatch, face},
                             {IID_IDispatchEx, face},
                             {IID_IPageBridgeObject, static_cast<IPageBridgeObject*>(this)},
                             {IID_IViewObjectEx, view},
                             {IID_IViewObject2, view},
                             {IID_IViewObject, view},
                             {IID_IOleInPlaceObjectWindowless, inPlace},
                             {IID_IOleInPlaceObject, inPlace},
                             {IID_IOleWindow, inPlace},
                             {IID_IOleInPlaceActiveObject, static_cast<IOleInPlaceActiveObject*>(this)},
                             {IID_IOleControl, static_cast<IOleControl*>(this)},
                             {IID_IOleObject, static_cast<IOleObject*>(this)},
                             {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
                             {IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)},
                             {IID_IQuickActivate, static_cast<IQuickActivate*>(this)},
                             {IID_IObjectWithSite, static_cast<IObjectWithSite*>(this)},
                             {IID_IObjectSafety, static_cast<IObjectSafety*>(this)},
                             {IID_IPersistPropertyBag, static_cast<IPersistPropertyBag*>(this)},
                             {IID_IProvideClassInfo, static_cast<IProvideClassInfo2*>(this)},
                             {IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(this)},
                             // Beyond that list: the control's dual interface and the base of
                             // its persistence interface.
                             {IID_IPBControl, face},
                             {IID_IPersist, static_cast<IPersistPropertyBag*>(this)}});
}

ULONG CPBControl::AddRef()
{
    return ++m_refs;
}

ULONG CPBControl::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT CPBControl::takeSiteServices(IUnknown* site)
{
    com::ComPtr<IServiceProvider> services = com::queryInterface<IServiceProvider>(site);
    if (!services)
        return E_FAIL;
    services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, m_webBrowser.putVoid());
    if (m_webBrowser)
        m_propertyNotifySink = com::queryInterface<IPropertyNotifySink>(site);
    return S_OK;
}

HRESULT CPBControl::SetClientSite(IOleClientSite* site)
{
    try {
        ControlBase::SetClientSite(site);
        if (!site || !pluginMain) {
            shutdown();
            return S_OK;
        }
        const HRESULT hr = takeSiteServices(site);
        if (FAILED(hr))
            return hr;
        createBrowserHost();
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CPBControl::SetSite(IUnknown* site)
{
    try {
        m_site = com::ComPtr<IUnknown>(site);
        if (!site || !pluginMain) {
            shutdown();
            return S_OK;
        }
        const HRESULT hr = takeSiteServices(site);
        if (FAILED(hr))
            return hr;
        createBrowserHost();
        pluginMain->setScriptingOnly(true);
        setReady();
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CPBControl::GetSite(REFIID riid, void** site)
{
    if (!site)
        return E_POINTER;
    *site = nullptr;
    if (!m_site)
        return E_FAIL;
    return m_site->QueryInterface(riid, site);
}

void CPBControl::createBrowserHost()
{
    // Sited again, the control drops its previous host (which shuts down):
    // script calls, and the sinks and handlers the page added, must go
    // through this one. The previous host is kept until they have moved, as
    // the page's objects are still held through it.
    const std::shared_ptr<ActiveXBrowserHost> previous = m_host;
    m_host = std::make_shared<ActiveXBrowserHost>(m_webBrowser.get(), clientSite());
    pluginMain->setHost(m_host);
    bindHost(m_host);
}

HRESULT CPBControl::InitNew()
{
    if (!pluginMain)
        return E_UNEXPECTED;
    try {
        pluginMain->setParams(VariantMap());
        setReady();
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CPBControl::Load(IPropertyBag* bag, IErrorLog*)
{
    if (!pluginMain)
        return E_UNEXPECTED;
    try {
        com::ComPtr<IPropertyBag2> bag2 = com::queryInterface<IPropertyBag2>(bag);
        pluginMain->setParams(readPropertyBag(bag2.get()));
        bag2.reset();
        setReady();
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT CPBControl::Save(IPropertyBag*, BOOL, BOOL)
{
    return S_OK;
}

HRESULT CPBControl::GetClassID(CLSID* clsid)
{
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_PBControl0;
    return S_OK;
}

VariantMap CPBControl::readPropertyBag(IPropertyBag2* bag)
{
    VariantMap params;
    ULONG count = 0;
    if (!bag || FAILED(bag->CountProperties(&count)) || count == 0)
        return params;
    std::vector<PROPBAG2> properties(count);
    ULONG described = 0;
    const HRESULT described_hr = bag->GetPropertyInfo(0, count, properties.data(), &described);
    // The names are task memory of ours whatever happens below.
    struct Names {
        std::vector<PROPBAG2>& list;
        ~Names()
        {
            for (PROPBAG2& p : list)
                CoTaskMemFree(p.pstrName);
        }
    } names{properties};
    if (FAILED(described_hr) || described == 0)
        return params;
    com::VariantArray values(described);
    std::vector<HRESULT> results(described, E_FAIL);
    bag->Read(described, properties.data(), nullptr, values.data(), results.data());
    for (ULONG i = 0; i < described; ++i) {
        if (FAILED(results[i]) || !properties[i].pstrName)
            continue;
        try {
            const std::string name = wstring_to_utf8(com::fromUtf16(std::u16string(properties[i].pstrName)));
            params[name] = variantFromCom(&values[i], m_host);
        } catch (const std::exception&) {
        }
    }
    return params;
}

void CPBControl::setReady()
{
    if (m_readyDone || !pluginMain)
        return;
    m_readyDone = true;
    bind(pluginMain->getRootJSAPI(), m_host);
    setReadyState(READYSTATE_COMPLETE);
    if (m_propertyNotifySink)
        m_propertyNotifySink->OnChanged(DISPID_READYSTATE);
    pluginMain->setReady();
}

HRESULT CPBControl::createPluginWindow(LONG verb, LPCRECT position)
{
    try {
        // A windowed plug-in needs a real window; a windowless one lets the container choose.
        setWindowOnly(!pluginMain || !pluginMain->isWindowless());
        const HRESULT hr = ControlBase::inPlaceActivate(verb, position);
        if (m_host)
            m_host->resume(m_webBrowser.get(), clientSite());
        if (hr != S_OK)
            return hr;
        if (m_pluginWindow || !pluginMain)
            return S_OK;
        std::unique_ptr<PluginWindow> window;
        if (windowless()) {
            std::unique_ptr<PluginWindowlessWin> windowless(
                getPluginFactory()->createPluginWindowless(WindowContextWindowless{}));
            std::weak_ptr<ShareableReference<CPBControl>> self = m_selfRef;
            windowless->setInvalidateWindowFunc(
                [self](std::uint32_t l, std::uint32_t t, std::uint32_t r, std::uint32_t b) {
                    if (auto control = self.lock())
                        control->getPtr()->scheduleInvalidate(l, t, r, b);
                });
            HWND parent = nullptr;
            if (inPlaceSite() && SUCCEEDED(inPlaceSite()->GetWindow(&parent)))
                windowless->setBrowserHWND(parent);
            window = std::move(windowless);
        } else {
            window.reset(getPluginFactory()->createPluginWindowWin(WindowContextWin{controlWindow()}));
        }
        m_pluginWindow = std::move(window);
        pluginMain->SetWindow(m_pluginWindow.get());
        setReady();
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

PluginWindowlessWin* CPBControl::windowlessPluginWindow() const
{
    return dynamic_cast<PluginWindowlessWin*>(m_pluginWindow.get());
}

void CPBControl::scheduleInvalidate(std::uint32_t left, std::uint32_t top, std::uint32_t right, std::uint32_t bottom)
{
    if (!m_host)
        return;
    if (!m_host->isMainThread()) {
        if (!inPlaceSite())
            return;
        std::weak_ptr<ShareableReference<CPBControl>> self = m_selfRef;
        m_host->ScheduleOnMainThread(m_host, [self, left, top, right, bottom] {
            if (auto control = self.lock())
                control->getPtr()->scheduleInvalidate(left, top, right, bottom);
        });
        return;
    }
    if (IOleInPlaceSiteWindowless* site = windowlessSite())
        site->InvalidateRect(nullptr, TRUE);
}

HRESULT CPBControl::InPlaceDeactivate()
{
    try {
        if (pluginMain) {
            pluginMain->ClearWindow();
            m_pluginWindow.reset();
        }
        if (m_host) {
            m_host->releaseHeldReferences();
            clearEventSinks();
            m_host->suspend();
        }
    } catch (...) {
    }
    return ControlBase::InPlaceDeactivate();
}

HRESULT CPBControl::SetObjectRects(LPCRECT position, LPCRECT clip)
{
    const HRESULT hr = ControlBase::SetObjectRects(position, clip);
    if (FAILED(hr))
        return hr;
    if (PluginWindowlessWin* window = windowlessPluginWindow()) {
        window->setWindowClipping(clip->top, clip->left, clip->bottom, clip->right);
        window->setWindowPosition(position->left, position->top, position->right - position->left,
                                  position->bottom - position->top);
    }
    return S_OK;
}

HRESULT CPBControl::OnDraw(const com::DrawInfo& info)
{
    PluginWindowlessWin* window = windowlessPluginWindow();
    if (!windowless() || !window)
        return S_OK;
    Rect bounds;
    bounds.top = info.bounds.top;
    bounds.left = info.bounds.left;
    bounds.bottom = info.bounds.bottom;
    bounds.right = info.bounds.right;
    window->HandleDraw(info.dc, bounds);
    return S_OK;
}

bool CPBControl::processWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    // A button pressed on a windowless control gives it the focus and the
    // mouse until the button is let go.
    IOleInPlaceSiteWindowless* site = windowlessSite();
    if (inPlaceActive() && windowless() && site) {
        switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            site->SetFocus(TRUE);
            site->SetCapture(TRUE);
            break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            site->SetCapture(FALSE);
            break;
        default:
            break;
        }
    }
    if (windowless()) {
        if (PluginWindowlessWin* window = windowlessPluginWindow()) {
            if (window->HandleEvent(message, wParam, lParam, result))
                return true;
        }
    }
    if (controlMessageMap(hwnd, message, wParam, lParam, result))
        return true;
    if (isReflected(message)) {
        result = DefWindowProcW(hwnd, message - kReflectBase, wParam, lParam);
        return true;
    }
    return false;
}

HRESULT CPBControl::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled)
{
    return m_safety.get(static_cast<IDispatchEx*>(this), riid, supported, enabled);
}

HRESULT CPBControl::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled)
{
    return m_safety.set(static_cast<IDispatchEx*>(this), riid, mask, enabled);
}

HRESULT CPBControl::GetClassInfo(ITypeInfo** info)
{
    return classInfoOf(CLSID_PBControl0, info);
}

HRESULT CPBControl::GetGUID(DWORD kind, GUID* guid)
{
    return classGuidOf(kind, guid);
}

void CPBControl::shutdown()
{
    if (m_host)
        m_host->shutdown();
    if (pluginMain) {
        pluginMain->ClearWindow();
        pluginMain->shutdown();
    }
    m_pluginWindow.reset();
    unbindApi();
    pluginMain.reset();
    m_propertyNotifySink.reset();
    m_webBrowser.reset();
    clearEventSinks();
    m_host.reset();
}

}  // namespace ActiveX
}  // namespace PB
