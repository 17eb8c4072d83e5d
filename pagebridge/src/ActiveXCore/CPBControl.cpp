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

const wchar_t kWindowClass[] = L"PBControlWindow";
const DWORD kWindowStyle = 0x56000000;  // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN

// Notifications reflected back to a control by its container.
const UINT kReflectBase = 0x2000;

LRESULT CALLBACK controlWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* control = reinterpret_cast<CPBControl*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (control && control->processWindowMessage(hwnd, message, wParam, lParam, result))
        return result;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void registerWindowClass()
{
    static const bool registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &controlWindowProc;
        wc.lpszClassName = kWindowClass;
        return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
}

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
    : JSAPI_IDispatchEx(PBCONTROL0_MIMETYPE), BrowserPlugin(PBCONTROL0_MIMETYPE), m_mimeType(PBCONTROL0_MIMETYPE),
      m_selfRef(std::make_shared<ShareableReference<CPBControl>>(this))
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
    destroyControlWindow();
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
    return com::answerQuery(riid, object, face,
                            {{DIID_IPBComEventSource, face},
                             {IID_IDispatch, face},
                             {IID_IDispatchEx, face},
                             {IID_IPBControl, face},
                             {IID_IPageBridgeObject, static_cast<IPageBridgeObject*>(this)},
                             {IID_IOleInPlaceObject, static_cast<IOleInPlaceObject*>(this)},
                             {IID_IOleWindow, static_cast<IOleInPlaceObject*>(this)},
                             {IID_IOleObject, static_cast<IOleObject*>(this)},
                             {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
                             {IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)},
                             {IID_IObjectWithSite, static_cast<IObjectWithSite*>(this)},
                             {IID_IObjectSafety, static_cast<IObjectSafety*>(this)},
                             {IID_IPersistPropertyBag, static_cast<IPersistPropertyBag*>(this)},
                             {IID_IPersist, static_cast<IPersistPropertyBag*>(this)},
                             {IID_IProvideClassInfo, static_cast<IProvideClassInfo2*>(this)},
                             {IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(this)}});
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
        m_clientSite = com::ComPtr<IOleClientSite>(site);
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

HRESULT CPBControl::GetClientSite(IOleClientSite** site)
{
    if (!site)
        return E_POINTER;
    *site = m_clientSite.get();
    if (*site)
        (*site)->AddRef();
    return S_OK;
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
    m_host = std::make_shared<ActiveXBrowserHost>(m_webBrowser.get(), m_clientSite.get());
    pluginMain->setHost(m_host);
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

HRESULT CPBControl::DoVerb(LONG verb, IOleClientSite*, HWND, LPCRECT position)
{
    switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
        try {
            return createPluginWindow(verb, position);
        } catch (...) {
            return E_UNEXPECTED;
        }
    default:
        return E_NOTIMPL;
    }
}

HRESULT CPBControl::inPlaceActivate(LPCRECT position)
{
    if (m_inPlaceActive)
        return S_OK;
    com::ComPtr<IOleInPlaceSite> site = m_clientSite.query<IOleInPlaceSite>();
    if (!site || site->CanInPlaceActivate() != S_OK)
        return E_FAIL;
    m_windowless = false;
    if (!m_windowOnly) {
        com::ComPtr<IOleInPlaceSiteWindowless> windowless = site.query<IOleInPlaceSiteWindowless>();
        if (windowless && windowless->CanWindowlessActivate() == S_OK) {
            m_windowless = true;
            m_windowlessSite = windowless;
        }
    }
    if (position)
        m_position = *position;
    if (!m_windowless) {
        HWND parent = nullptr;
        if (FAILED(site->GetWindow(&parent)))
            return E_FAIL;
        registerWindowClass();
        m_hwnd = CreateWindowExW(0, kWindowClass, L"", kWindowStyle, m_position.left, m_position.top,
                                 m_position.right - m_position.left, m_position.bottom - m_position.top, parent,
                                 nullptr, nullptr, nullptr);
        if (!m_hwnd)
            return E_FAIL;
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    site->OnInPlaceActivate();
    m_inPlaceSite = site;
    m_inPlaceActive = true;
    return S_OK;
}

HRESULT CPBControl::createPluginWindow(LONG, LPCRECT position)
{
    // A windowed plug-in needs a real window; a windowless one lets the container choose.
    m_windowOnly = !pluginMain || !pluginMain->isWindowless();
    const HRESULT hr = inPlaceActivate(position);
    if (m_host)
        m_host->resume(m_webBrowser.get(), m_clientSite.get());
    if (hr != S_OK)
        return hr;
    if (m_pluginWindow || !pluginMain)
        return S_OK;
    std::unique_ptr<PluginWindow> window;
    if (m_windowless) {
        std::unique_ptr<PluginWindowlessWin> windowless(
            getPluginFactory()->createPluginWindowless(WindowContextWindowless{}));
        std::weak_ptr<ShareableReference<CPBControl>> self = m_selfRef;
        windowless->setInvalidateWindowFunc([self](std::uint32_t l, std::uint32_t t, std::uint32_t r, std::uint32_t b) {
            if (auto control = self.lock())
                control->getPtr()->scheduleInvalidate(l, t, r, b);
        });
        HWND parent = nullptr;
        if (m_inPlaceSite && SUCCEEDED(m_inPlaceSite->GetWindow(&parent)))
            windowless->setBrowserHWND(parent);
        window = std::move(windowless);
    } else {
        window.reset(getPluginFactory()->createPluginWindowWin(WindowContextWin{m_hwnd}));
    }
    m_pluginWindow = std::move(window);
    pluginMain->SetWindow(m_pluginWindow.get());
    setReady();
    return S_OK;
}

void CPBControl::scheduleInvalidate(std::uint32_t left, std::uint32_t top, std::uint32_t right, std::uint32_t bottom)
{
    if (!m_host)
        return;
    if (!m_host->isMainThread()) {
        if (!m_inPlaceSite)
            return;
        std::weak_ptr<ShareableReference<CPBControl>> self = m_selfRef;
        m_host->ScheduleOnMainThread(m_host, [self, left, top, right, bottom] {
            if (auto control = self.lock())
                control->getPtr()->scheduleInvalidate(left, top, right, bottom);
        });
        return;
    }
    if (m_windowlessSite)
        m_windowlessSite->InvalidateRect(nullptr, TRUE);
}

HRESULT CPBControl::Close(DWORD)
{
    if (m_inPlaceActive)
        InPlaceDeactivate();
    return S_OK;
}

HRESULT CPBControl::GetWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = m_hwnd;
    return m_hwnd ? S_OK : E_FAIL;
}

void CPBControl::destroyControlWindow()
{
    if (!m_hwnd)
        return;
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
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
    if (m_inPlaceActive) {
        m_inPlaceActive = false;
        destroyControlWindow();
        if (m_inPlaceSite)
            m_inPlaceSite->OnInPlaceDeactivate();
        m_inPlaceSite.reset();
        m_windowlessSite.reset();
        m_windowless = false;
    }
    return S_OK;
}

HRESULT CPBControl::SetObjectRects(LPCRECT position, LPCRECT clip)
{
    if (!position || !clip)
        return E_POINTER;
    m_position = *position;
    const int width = position->right - position->left;
    const int height = position->bottom - position->top;
    if (m_hwnd) {
        // The headless window layer has no window regions: the clip only limits painting there.
        SetWindowPos(m_hwnd, nullptr, position->left, position->top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (m_windowless && m_pluginWindow) {
        auto* windowless = static_cast<PluginWindowlessWin*>(m_pluginWindow.get());
        windowless->setWindowClipping(clip->top, clip->left, clip->bottom, clip->right);
        windowless->setWindowPosition(position->left, position->top, width, height);
    }
    return S_OK;
}

bool CPBControl::processWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        result = 0;
        return true;
    }
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
