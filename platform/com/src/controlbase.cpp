#include <com/controlbase.h>

#include <win32/gdi.h>
#include <win32/messages.h>
#include <win32/rect.h>
#include <win32/window.h>

namespace com {

namespace {

const wchar_t kWindowClass[] = L"ComControlWindow";
// Two inches square, in HIMETRIC.
const LONG kDefaultExtent = 2 * 2540;

bool drawableAspect(DWORD aspect) {
  return aspect == DVASPECT_CONTENT || aspect == DVASPECT_DOCPRINT;
}

}  // namespace

ControlBase::ControlBase(DWORD windowStyle, DWORD miscStatus, DWORD viewStatus)
    : m_windowStyle(windowStyle),
      m_miscStatus(miscStatus),
      m_viewStatus(viewStatus),
      m_extent{kDefaultExtent, kDefaultExtent} {}

ControlBase::~ControlBase() { destroyWindow(); }

// --- IOleObject

HRESULT ControlBase::SetClientSite(IOleClientSite* site) {
  m_clientSite = ComPtr<IOleClientSite>(site);
  m_ambient = queryInterface<IDispatch>(site);
  return S_OK;
}

HRESULT ControlBase::GetClientSite(IOleClientSite** site) {
  if (!site) return E_POINTER;
  *site = m_clientSite.get();
  if (*site) (*site)->AddRef();
  return S_OK;
}

HRESULT ControlBase::DoVerb(LONG verb, IOleClientSite*, HWND, LPCRECT position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE:
      return inPlaceActivate(verb, position);
    case OLEIVERB_HIDE:
      if (m_hwnd) ShowWindow(m_hwnd, SW_HIDE);
      return S_OK;
    case OLEIVERB_DISCARDUNDOSTATE:
      return S_OK;
    default:
      return E_NOTIMPL;
  }
}

HRESULT ControlBase::Close(DWORD) {
  if (m_inPlaceActive) InPlaceDeactivate();
  // A sink may unadvise while it is told.
  const std::map<DWORD, ComPtr<IAdviseSink>> sinks = m_closeSinks;
  for (const auto& entry : sinks) entry.second->OnClose();
  return S_OK;
}

HRESULT ControlBase::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  const bool changed = size->cx != m_extent.cx || size->cy != m_extent.cy;
  m_extent = *size;
  if (changed && (m_miscStatus & OLEMISC_RECOMPOSEONRESIZE)) fireViewChange();
  return S_OK;
}

HRESULT ControlBase::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = m_extent;
  return S_OK;
}

HRESULT ControlBase::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!connection) return E_POINTER;
  *connection = 0;
  if (!sink) return E_INVALIDARG;
  *connection = m_nextConnection++;
  m_closeSinks[*connection] = ComPtr<IAdviseSink>(sink);
  return S_OK;
}

HRESULT ControlBase::Unadvise(DWORD connection) {
  return m_closeSinks.erase(connection) ? S_OK : OLE_E_NOCONNECTION;
}

HRESULT ControlBase::GetMiscStatus(DWORD, DWORD* status) {
  if (!status) return E_POINTER;
  *status = m_miscStatus;
  return S_OK;
}

// --- in-place activation

HRESULT ControlBase::inPlaceActivate(LONG, LPCRECT position) {
  if (m_inPlaceActive) return S_OK;
  ComPtr<IOleInPlaceSite> site = m_clientSite.query<IOleInPlaceSite>();
  if (!site || site->CanInPlaceActivate() != S_OK) return E_FAIL;
  ComPtr<IOleInPlaceSiteWindowless> windowlessSite;
  if (!m_windowOnly) {
    windowlessSite = site.query<IOleInPlaceSiteWindowless>();
    if (windowlessSite && windowlessSite->CanWindowlessActivate() != S_OK) windowlessSite.reset();
  }
  if (position) m_position = *position;
  if (!windowlessSite) {
    HWND parent = nullptr;
    if (FAILED(site->GetWindow(&parent))) return E_FAIL;
    static const bool registered = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = &ControlBase::windowProc;
      wc.lpszClassName = kWindowClass;
      return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    m_hwnd = CreateWindowExW(0, kWindowClass, L"", m_windowStyle, m_position.left, m_position.top,
                             m_position.right - m_position.left, m_position.bottom - m_position.top,
                             parent, nullptr, nullptr, nullptr);
    if (!m_hwnd) return E_FAIL;
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  m_windowless = static_cast<bool>(windowlessSite);
  m_windowlessSite = windowlessSite;
  m_inPlaceSite = site;
  m_inPlaceActive = true;
  site->OnInPlaceActivate();
  return S_OK;
}

HRESULT ControlBase::InPlaceDeactivate() {
  if (!m_inPlaceActive) return S_OK;
  m_inPlaceActive = false;
  destroyWindow();
  ComPtr<IOleInPlaceSite> site = std::move(m_inPlaceSite);
  m_windowlessSite.reset();
  m_windowless = false;
  if (site) site->OnInPlaceDeactivate();
  return S_OK;
}

void ControlBase::destroyWindow() {
  if (!m_hwnd) return;
  SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
  DestroyWindow(m_hwnd);
  m_hwnd = nullptr;
}

HRESULT ControlBase::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = m_hwnd;
  return m_hwnd ? S_OK : E_FAIL;
}

HRESULT ControlBase::SetObjectRects(LPCRECT position, LPCRECT clip) {
  if (!position || !clip) return E_POINTER;
  m_position = *position;
  if (!m_hwnd) return S_OK;
  RECT visible{};
  if (!IntersectRect(&visible, position, clip) || EqualRect(&visible, position)) {
    SetWindowRgn(m_hwnd, nullptr, TRUE);
  } else {
    OffsetRect(&visible, -position->left, -position->top);
    HRGN region = CreateRectRgnIndirect(&visible);
    if (region && !SetWindowRgn(m_hwnd, region, TRUE)) DeleteObject(region);
  }
  SetWindowPos(m_hwnd, nullptr, position->left, position->top, position->right - position->left,
               position->bottom - position->top, SWP_NOZORDER | SWP_NOACTIVATE);
  return S_OK;
}

HRESULT ControlBase::OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                     LRESULT* result) {
  if (!result) return E_POINTER;
  *result = 0;
  return processWindowMessage(nullptr, message, wParam, lParam, *result) ? S_OK : S_FALSE;
}

// --- messages and drawing

LRESULT CALLBACK ControlBase::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* control = reinterpret_cast<ControlBase*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  LRESULT result = 0;
  if (control && control->processWindowMessage(hwnd, message, wParam, lParam, result))
    return result;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool ControlBase::processWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result) {
  return controlMessageMap(hwnd, message, wParam, lParam, result);
}

bool ControlBase::controlMessageMap(HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT& result) {
  if (message != WM_PAINT || !hwnd) return false;
  PAINTSTRUCT paint{};
  DrawInfo info;
  info.dc = BeginPaint(hwnd, &paint);
  RECT client{};
  GetClientRect(hwnd, &client);
  info.bounds = RECTL{client.left, client.top, client.right, client.bottom};
  if (info.dc) OnDraw(info);
  EndPaint(hwnd, &paint);
  result = 0;
  return true;
}

HRESULT ControlBase::OnDraw(const DrawInfo&) { return S_OK; }

void ControlBase::fireViewChange() {
  if (!m_inPlaceActive) {
    sendViewChange();
  } else if (m_hwnd) {
    ::InvalidateRect(m_hwnd, nullptr, TRUE);
  } else if (m_windowlessSite) {
    m_windowlessSite->InvalidateRect(nullptr, TRUE);
  }
}

void ControlBase::sendViewChange() {
  if (!m_viewSink) return;
  if (!m_freezes.empty()) {
    m_viewChangeHeld = true;
    return;
  }
  ComPtr<IAdviseSink> sink = m_viewSink;
  if (m_viewAdvf & ADVF_ONLYONCE) m_viewSink.reset();
  sink->OnViewChange(DVASPECT_CONTENT, -1);
}

HRESULT ControlBase::Draw(DWORD aspect, LONG index, void*, DVTARGETDEVICE*, HDC, HDC draw,
                          LPCRECTL bounds, LPCRECTL, ContinueDrawing, ULONG_PTR) {
  if (!drawableAspect(aspect)) return DV_E_DVASPECT;
  if (!draw) return E_INVALIDARG;
  DrawInfo info;
  info.aspect = aspect;
  info.index = index;
  info.dc = draw;
  if (bounds) {
    info.bounds = *bounds;
  } else if (m_inPlaceActive && m_windowless) {
    info.bounds = RECTL{m_position.left, m_position.top, m_position.right, m_position.bottom};
  } else {
    return E_INVALIDARG;
  }
  return OnDraw(info);
}

HRESULT ControlBase::Freeze(DWORD aspect, LONG, void*, DWORD* freeze) {
  if (!freeze) return E_POINTER;
  *freeze = 0;
  if (!drawableAspect(aspect)) return DV_E_DVASPECT;
  *freeze = m_nextFreeze++;
  m_freezes.insert(*freeze);
  return S_OK;
}

HRESULT ControlBase::Unfreeze(DWORD freeze) {
  if (!m_freezes.erase(freeze)) return OLE_E_NOCONNECTION;
  if (m_freezes.empty() && m_viewChangeHeld) {
    m_viewChangeHeld = false;
    sendViewChange();
  }
  return S_OK;
}

HRESULT ControlBase::SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) {
  m_viewSink = ComPtr<IAdviseSink>(sink);
  m_viewAspects = sink ? aspects : 0;
  m_viewAdvf = sink ? advf : 0;
  m_viewChangeHeld = false;
  if (sink && (advf & ADVF_PRIMEFIRST)) sendViewChange();
  return S_OK;
}

HRESULT ControlBase::GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) {
  if (aspects) *aspects = m_viewAspects;
  if (advf) *advf = m_viewAdvf;
  if (sink) {
    *sink = m_viewSink.get();
    if (*sink) (*sink)->AddRef();
  }
  return S_OK;
}

HRESULT ControlBase::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

HRESULT ControlBase::GetViewStatus(DWORD* status) {
  if (!status) return E_POINTER;
  *status = m_viewStatus;
  return S_OK;
}

HRESULT ControlBase::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG,
                                   DWORD* hitResult) {
  if (!bounds || !hitResult) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *hitResult = PtInRect(bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

HRESULT ControlBase::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG,
                                  DWORD* hitResult) {
  if (!bounds || !location || !hitResult) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  RECT common{};
  *hitResult = IntersectRect(&common, bounds, location) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

// --- IOleInPlaceActiveObject, IOleControl

HRESULT ControlBase::TranslateAccelerator(LPMSG) { return S_FALSE; }
HRESULT ControlBase::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT ControlBase::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT ControlBase::EnableModeless(BOOL) { return S_OK; }

HRESULT ControlBase::OnAmbientPropertyChange(DISPID) { return S_OK; }

HRESULT ControlBase::FreezeEvents(BOOL freeze) {
  if (freeze)
    ++m_eventFreezes;
  else if (m_eventFreezes > 0)
    --m_eventFreezes;
  return S_OK;
}

// --- IQuickActivate

HRESULT ControlBase::QuickActivate(QACONTAINER* container, QACONTROL* control) {
  if (!container || !control) return E_POINTER;
  if (container->cbSize < sizeof(QACONTAINER) || control->cbSize < sizeof(QACONTROL))
    return E_INVALIDARG;
  const HRESULT sited = static_cast<IOleObject*>(this)->SetClientSite(container->pClientSite);
  if (FAILED(sited)) return sited;
  if (container->pAdviseSink) SetAdvise(DVASPECT_CONTENT, 0, container->pAdviseSink);
  control->dwEventCookie = 0;
  control->dwPropNotifyCookie = 0;
  ComPtr<IConnectionPointContainer> points;
  self()->QueryInterface(IID_IConnectionPointContainer, points.putVoid());
  // Each sink goes to the connection point of its interface, where the control has one.
  auto connect = [&points](REFIID iid, IUnknown* sink, DWORD* cookie) {
    ComPtr<IConnectionPoint> point;
    if (points && sink && SUCCEEDED(points->FindConnectionPoint(iid, point.put())))
      point->Advise(sink, cookie);
  };
  connect(IID_IPropertyNotifySink, container->pPropertyNotifySink, &control->dwPropNotifyCookie);
  ComPtr<IProvideClassInfo2> info;
  self()->QueryInterface(IID_IProvideClassInfo2, info.putVoid());
  GUID events{};
  if (info && SUCCEEDED(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events)))
    connect(events, container->pUnkEventSink, &control->dwEventCookie);
  control->dwMiscStatus = m_miscStatus;
  control->dwViewStatus = m_viewStatus;
  control->dwPointerActivationPolicy = 0;
  return S_OK;
}

HRESULT ControlBase::SetContentExtent(LPSIZEL size) { return SetExtent(DVASPECT_CONTENT, size); }

HRESULT ControlBase::GetContentExtent(LPSIZEL size) { return GetExtent(DVASPECT_CONTENT, size); }

}  // namespace com
