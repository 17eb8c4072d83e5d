// The ordinary behaviour of an ActiveX control, written once for every control of the system:
// the client site, verbs, extents, advise sinks, in-place activation with or without a window of
// its own, drawing into a container's device context, the messages of a windowless control,
// and quick activation. A control derives from ControlBase, supplies IUnknown (its
// QueryInterface answers the faces it wants), draws in OnDraw, handles messages in
// processWindowMessage, and overrides the operations where it departs from the ordinary.
#pragma once

#include <com/comptr.h>
#include <com/control.h>

#include <map>
#include <set>

namespace com {

// What to draw with and where.
struct DrawInfo {
  DWORD aspect = DVASPECT_CONTENT;
  LONG index = -1;
  HDC dc = nullptr;
  RECTL bounds{};  // in the device context's coordinates
};

class ControlBase : public IOleObject,
                    public IOleInPlaceObjectWindowless,
                    public IOleInPlaceActiveObject,
                    public IOleControl,
                    public IQuickActivate,
                    public IViewObjectEx {
 public:
  ControlBase(const ControlBase&) = delete;
  ControlBase& operator=(const ControlBase&) = delete;

  // IOleObject. SetClientSite keeps the site and its ambient properties' IDispatch.
  HRESULT SetClientSite(IOleClientSite* site) override;
  HRESULT GetClientSite(IOleClientSite** site) override;
  // Primary, show, in-place and UI activation activate in place (inPlaceActivate); hide hides
  // the control's window; there is no undo state to discard; open, properties and verbs of the
  // control's own are not implemented.
  HRESULT DoVerb(LONG verb, IOleClientSite* site, HWND parent, LPCRECT position) override;
  // Deactivates (InPlaceDeactivate) and tells the advise sinks.
  HRESULT Close(DWORD saveOption) override;
  HRESULT SetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT GetExtent(DWORD aspect, SIZEL* size) override;
  HRESULT Advise(IAdviseSink* sink, DWORD* connection) override;
  HRESULT Unadvise(DWORD connection) override;
  HRESULT GetMiscStatus(DWORD aspect, DWORD* status) override;

  // IOleWindow: the control's window; E_FAIL while it has none.
  HRESULT GetWindow(HWND* window) override;
  // IOleInPlaceObject. Deactivation: flags cleared, window destroyed, site told.
  HRESULT InPlaceDeactivate() override;
  // Keeps the position; a control window shows only the part inside clip (its region) and is
  // moved there.
  HRESULT SetObjectRects(LPCRECT position, LPCRECT clip) override;
  // IOleInPlaceObjectWindowless: the message goes to processWindowMessage without a window.
  HRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  // IOleInPlaceActiveObject: no accelerators, nothing modal.
  HRESULT TranslateAccelerator(LPMSG message) override;
  HRESULT OnFrameWindowActivate(BOOL activate) override;
  HRESULT OnDocWindowActivate(BOOL activate) override;
  HRESULT EnableModeless(BOOL enable) override;

  // IOleControl
  HRESULT OnAmbientPropertyChange(DISPID id) override;
  HRESULT FreezeEvents(BOOL freeze) override;

  // IQuickActivate: sites the control, sets the view's advise sink, connects the container's
  // property-change sink and event sink where the control has such connection points, and
  // answers the control's status.
  HRESULT QuickActivate(QACONTAINER* container, QACONTROL* control) override;
  HRESULT SetContentExtent(LPSIZEL size) override;
  HRESULT GetContentExtent(LPSIZEL size) override;

  // IViewObject, IViewObject2, IViewObjectEx. Draw calls OnDraw; without bounds a windowless
  // control in place draws at its position. A frozen view keeps its change notices back until
  // the last freeze is undone; it is drawn as it is.
  HRESULT Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target,
               HDC targetInfo, HDC draw, LPCRECTL bounds, LPCRECTL windowBounds,
               ContinueDrawing keepOn, ULONG_PTR keepOnArgument) override;
  HRESULT Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
  HRESULT Unfreeze(DWORD freeze) override;
  HRESULT SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) override;
  HRESULT GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) override;
  HRESULT GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) override;
  HRESULT GetViewStatus(DWORD* status) override;
  HRESULT QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG closeHint,
                        DWORD* hitResult) override;
  HRESULT QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG closeHint,
                       DWORD* hitResult) override;

 protected:
  // windowStyle: the style of the control's window; miscStatus: OLEMISC_ bits; viewStatus:
  // VIEWSTATUS_ bits.
  ControlBase(DWORD windowStyle, DWORD miscStatus, DWORD viewStatus = 0);
  virtual ~ControlBase();

  // The control's picture. Nothing by default.
  virtual HRESULT OnDraw(const DrawInfo& info);
  // A message of the control's window, or (hwnd null) one the container hands a windowless
  // control; true when handled, with result set. The ordinary control messages by default.
  virtual bool processWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT& result);
  // In-place activation for a verb: with the site's consent, windowless when the control allows
  // it and the site can, else in a window of the control's own inside the site's window.
  virtual HRESULT inPlaceActivate(LONG verb, LPCRECT position);

  // The ordinary control messages: WM_PAINT draws through OnDraw.
  bool controlMessageMap(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The picture changed: an active control asks for a repaint, an inactive one tells its view's
  // advise sink.
  void fireViewChange();

  // Whether the control insists on a window of its own (the default).
  void setWindowOnly(bool windowOnly) { m_windowOnly = windowOnly; }
  IOleClientSite* clientSite() const { return m_clientSite.get(); }
  IDispatch* ambientDispatch() const { return m_ambient.get(); }
  IOleInPlaceSite* inPlaceSite() const { return m_inPlaceSite.get(); }
  // Null unless the control is active without a window.
  IOleInPlaceSiteWindowless* windowlessSite() const { return m_windowlessSite.get(); }
  bool inPlaceActive() const { return m_inPlaceActive; }
  bool windowless() const { return m_windowless; }
  HWND controlWindow() const { return m_hwnd; }
  const RECT& position() const { return m_position; }
  bool eventsFrozen() const { return m_eventFreezes > 0; }

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void destroyWindow();
  // Tells the view's advise sink, unless the view is frozen.
  void sendViewChange();
  IUnknown* self() { return static_cast<IOleObject*>(this); }

  const DWORD m_windowStyle;
  const DWORD m_miscStatus;
  const DWORD m_viewStatus;

  ComPtr<IOleClientSite> m_clientSite;
  ComPtr<IDispatch> m_ambient;
  ComPtr<IOleInPlaceSite> m_inPlaceSite;
  ComPtr<IOleInPlaceSiteWindowless> m_windowlessSite;
  bool m_windowOnly = true;
  bool m_inPlaceActive = false;
  bool m_windowless = false;
  HWND m_hwnd = nullptr;
  RECT m_position{};
  SIZEL m_extent;

  ComPtr<IAdviseSink> m_viewSink;
  DWORD m_viewAspects = 0;
  DWORD m_viewAdvf = 0;
  std::set<DWORD> m_freezes;
  DWORD m_nextFreeze = 1;
  bool m_viewChangeHeld = false;

  std::map<DWORD, ComPtr<IAdviseSink>> m_closeSinks;
  DWORD m_nextConnection = 1;
  int m_eventFreezes = 0;
};

}  // namespace com
