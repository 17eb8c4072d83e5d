// The interfaces between a control and its container: siting, verbs and extents, in-place
// activation (windowed or windowless), quick activation, persistence from a property bag, safety,
// class information.
#pragma once

#include <com/connection.h>
#include <com/dispatch.h>
#include <com/typelib.h>
#include <com/view.h>

#include <win32/queue.h>

struct IOleClientSite : IUnknown {};
COM_DECLARE_IID(IOleClientSite, {0x00000118, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct IOleControlSite : IUnknown {
  virtual HRESULT GetExtendedControl(IDispatch** control) = 0;
};
COM_DECLARE_IID(IOleControlSite,
                {0xB196B289, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}})

struct IOleWindow : IUnknown {
  virtual HRESULT GetWindow(HWND* window) = 0;
};
COM_DECLARE_IID(IOleWindow, {0x00000114, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct IOleInPlaceSite : IOleWindow {
  virtual HRESULT CanInPlaceActivate() = 0;
  virtual HRESULT OnInPlaceActivate() = 0;
  virtual HRESULT OnInPlaceDeactivate() = 0;
};
COM_DECLARE_IID(IOleInPlaceSite, {0x00000119, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct IOleInPlaceSiteWindowless : IOleInPlaceSite {
  virtual HRESULT CanWindowlessActivate() = 0;
  virtual HRESULT GetCapture() = 0;
  virtual HRESULT SetCapture(BOOL capture) = 0;
  virtual HRESULT GetFocus() = 0;
  virtual HRESULT SetFocus(BOOL focus) = 0;
  virtual HRESULT InvalidateRect(LPCRECT rect, BOOL erase) = 0;
};
COM_DECLARE_IID(IOleInPlaceSiteWindowless,
                {0x922EADA0, 0x3424, 0x11CF, {0xB6, 0x70, 0x00, 0xAA, 0x00, 0x4C, 0xD6, 0xD8}})

struct IOleInPlaceObject : IOleWindow {
  virtual HRESULT InPlaceDeactivate() = 0;
  // position: the object's place in the container window; clip: the part of it that shows.
  virtual HRESULT SetObjectRects(LPCRECT position, LPCRECT clip) = 0;
};
COM_DECLARE_IID(IOleInPlaceObject, {0x00000113, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

// A windowless object gets the messages of the container window that are meant for it here.
struct IOleInPlaceObjectWindowless : IOleInPlaceObject {
  // S_OK when the object handled the message (result set), S_FALSE when the container should.
  virtual HRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) = 0;
};
COM_DECLARE_IID(IOleInPlaceObjectWindowless,
                {0x1C2056CC, 0x5EF4, 0x101B, {0x8B, 0xC8, 0x00, 0xAA, 0x00, 0x3E, 0x3B, 0x29}})

struct IOleInPlaceActiveObject : IOleWindow {
  // S_FALSE: not an accelerator of the object's.
  virtual HRESULT TranslateAccelerator(LPMSG message) = 0;
  virtual HRESULT OnFrameWindowActivate(BOOL activate) = 0;
  virtual HRESULT OnDocWindowActivate(BOOL activate) = 0;
  virtual HRESULT EnableModeless(BOOL enable) = 0;
};
COM_DECLARE_IID(IOleInPlaceActiveObject,
                {0x00000117, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

#define OLEIVERB_PRIMARY 0
#define OLEIVERB_SHOW (-1)
#define OLEIVERB_OPEN (-2)
#define OLEIVERB_HIDE (-3)
#define OLEIVERB_UIACTIVATE (-4)
#define OLEIVERB_INPLACEACTIVATE (-5)
#define OLEIVERB_DISCARDUNDOSTATE (-6)
#define OLEIVERB_PROPERTIES (-7)

#define OLECLOSE_SAVEIFDIRTY 0
#define OLECLOSE_NOSAVE 1

// Status bits of an object (GetMiscStatus, the MiscStatus key of its class).
#define OLEMISC_RECOMPOSEONRESIZE 0x00000001
#define OLEMISC_CANTLINKINSIDE 0x00000010
#define OLEMISC_INSIDEOUT 0x00000080
#define OLEMISC_ACTIVATEWHENVISIBLE 0x00000100
#define OLEMISC_SETCLIENTSITEFIRST 0x00020000

struct IOleObject : IUnknown {
  virtual HRESULT SetClientSite(IOleClientSite* site) = 0;
  virtual HRESULT GetClientSite(IOleClientSite** site) = 0;
  // The container's window and the control's place in it.
  virtual HRESULT DoVerb(LONG verb, IOleClientSite* site, HWND parent, LPCRECT position) = 0;
  virtual HRESULT Close(DWORD saveOption) = 0;
  virtual HRESULT SetExtent(DWORD aspect, SIZEL* size) = 0;
  virtual HRESULT GetExtent(DWORD aspect, SIZEL* size) = 0;
  // Sinks told when the object closes.
  virtual HRESULT Advise(IAdviseSink* sink, DWORD* connection) = 0;
  virtual HRESULT Unadvise(DWORD connection) = 0;
  virtual HRESULT GetMiscStatus(DWORD aspect, DWORD* status) = 0;
};
COM_DECLARE_IID(IOleObject, {0x00000112, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct IOleControl : IUnknown {
  virtual HRESULT OnAmbientPropertyChange(DISPID id) = 0;
  // Calls nest: events stay frozen until every freeze has been undone.
  virtual HRESULT FreezeEvents(BOOL freeze) = 0;
};
COM_DECLARE_IID(IOleControl,
                {0xB196B288, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}})

// What a container hands a control in one call instead of siting it step by step.
struct QACONTAINER {
  ULONG cbSize;
  IOleClientSite* pClientSite;
  IAdviseSink* pAdviseSink;
  IPropertyNotifySink* pPropertyNotifySink;
  IUnknown* pUnkEventSink;
  DWORD dwAmbientFlags;
};

// And what the control answers.
struct QACONTROL {
  ULONG cbSize;
  DWORD dwMiscStatus;
  DWORD dwViewStatus;
  DWORD dwEventCookie;
  DWORD dwPropNotifyCookie;
  DWORD dwPointerActivationPolicy;
};

struct IQuickActivate : IUnknown {
  virtual HRESULT QuickActivate(QACONTAINER* container, QACONTROL* control) = 0;
  virtual HRESULT SetContentExtent(LPSIZEL size) = 0;
  virtual HRESULT GetContentExtent(LPSIZEL size) = 0;
};
COM_DECLARE_IID(IQuickActivate,
                {0xCF51ED10, 0x62FE, 0x11CF, {0xBF, 0x86, 0x00, 0xA0, 0xC9, 0x03, 0x48, 0x36}})

struct IObjectWithSite : IUnknown {
  virtual HRESULT SetSite(IUnknown* site) = 0;
  virtual HRESULT GetSite(REFIID riid, void** site) = 0;
};
COM_DECLARE_IID(IObjectWithSite,
                {0xFC4801A3, 0x2BA9, 0x11CF, {0xA2, 0x29, 0x00, 0xAA, 0x00, 0x3D, 0x73, 0x52}})

struct IErrorLog : IUnknown {};
COM_DECLARE_IID(IErrorLog, {0x3127CA40, 0x446E, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}})

struct IPropertyBag : IUnknown {
  virtual HRESULT Read(LPCOLESTR name, VARIANT* value, IErrorLog* log) = 0;
  virtual HRESULT Write(LPCOLESTR name, VARIANT* value) = 0;
};
COM_DECLARE_IID(IPropertyBag,
                {0x55272A00, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}})

#define PROPBAG2_TYPE_DATA 1

struct PROPBAG2 {
  DWORD dwType;
  VARTYPE vt;
  CLIPFORMAT cfType;
  DWORD dwHint;
  LPOLESTR pstrName;  // task memory, freed by the caller
  CLSID clsid;
};

struct IPropertyBag2 : IUnknown {
  // One value and one result per property; the call fails only when it reads nothing at all.
  virtual HRESULT Read(ULONG count, PROPBAG2* properties, IErrorLog* log, VARIANT* values,
                       HRESULT* results) = 0;
  virtual HRESULT CountProperties(ULONG* count) = 0;
  virtual HRESULT GetPropertyInfo(ULONG first, ULONG count, PROPBAG2* properties, ULONG* fetched) = 0;
};
COM_DECLARE_IID(IPropertyBag2,
                {0x22F55882, 0x280B, 0x11D0, {0xA8, 0xA9, 0x00, 0xA0, 0xC9, 0x0C, 0x20, 0x04}})

struct IPersist : IUnknown {
  virtual HRESULT GetClassID(CLSID* clsid) = 0;
};
COM_DECLARE_IID(IPersist, {0x0000010C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct IPersistPropertyBag : IPersist {
  virtual HRESULT InitNew() = 0;
  virtual HRESULT Load(IPropertyBag* bag, IErrorLog* log) = 0;
  virtual HRESULT Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) = 0;
};
COM_DECLARE_IID(IPersistPropertyBag,
                {0x37D84F60, 0x42CB, 0x11CE, {0x81, 0x35, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}})

#define INTERFACESAFE_FOR_UNTRUSTED_CALLER 0x00000001
#define INTERFACESAFE_FOR_UNTRUSTED_DATA 0x00000002

struct IObjectSafety : IUnknown {
  virtual HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) = 0;
  virtual HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) = 0;
};
COM_DECLARE_IID(IObjectSafety,
                {0xCB5BDC81, 0x93C1, 0x11CF, {0x8F, 0x20, 0x00, 0x80, 0x5F, 0x2C, 0xD0, 0x64}})

struct IProvideClassInfo : IUnknown {
  virtual HRESULT GetClassInfo(ITypeInfo** info) = 0;
};
COM_DECLARE_IID(IProvideClassInfo,
                {0xB196B283, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}})

#define GUIDKIND_DEFAULT_SOURCE_DISP_IID 1

struct IProvideClassInfo2 : IProvideClassInfo {
  virtual HRESULT GetGUID(DWORD kind, GUID* guid) = 0;
};
COM_DECLARE_IID(IProvideClassInfo2,
                {0xA6BC3AC0, 0xDBAA, 0x11CE, {0x9D, 0xE3, 0x00, 0xAA, 0x00, 0x4B, 0xB8, 0x51}})
