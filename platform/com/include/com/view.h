// How a container has an object drawn into a device context of its own, and learns that the
// object's picture changed: view objects and advise sinks.
#pragma once

#include <com/unknown.h>

#include <win32/types.h>

struct RECTL {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
typedef RECTL* LPRECTL;
typedef const RECTL* LPCRECTL;

// Extents are in HIMETRIC units (0.01 mm).
struct SIZEL {
  LONG cx;
  LONG cy;
};
typedef SIZEL* LPSIZEL;

// The target device of a drawing; a null pointer means the screen.
struct DVTARGETDEVICE {
  DWORD tdSize;
};

#define DVASPECT_CONTENT 1
#define DVASPECT_THUMBNAIL 2
#define DVASPECT_ICON 4
#define DVASPECT_DOCPRINT 8

// SetAdvise flags: a first notice at once, and only one notice.
#define ADVF_PRIMEFIRST 2
#define ADVF_ONLYONCE 4

#define VIEWSTATUS_OPAQUE 1
#define VIEWSTATUS_SOLIDBKGND 2

#define HITRESULT_OUTSIDE 0
#define HITRESULT_TRANSPARENT 1
#define HITRESULT_CLOSE 2
#define HITRESULT_HIT 3

struct IAdviseSink : IUnknown {
  virtual void OnViewChange(DWORD aspect, LONG index) = 0;
  virtual void OnClose() = 0;
};
COM_DECLARE_IID(IAdviseSink, {0x0000010F, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

typedef BOOL (*ContinueDrawing)(ULONG_PTR argument);

struct IViewObject : IUnknown {
  // Draws the aspect into draw within bounds (in draw's coordinates).
  virtual HRESULT Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* target,
                       HDC targetInfo, HDC draw, LPCRECTL bounds, LPCRECTL windowBounds,
                       ContinueDrawing keepOn, ULONG_PTR keepOnArgument) = 0;
  virtual HRESULT Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) = 0;
  virtual HRESULT Unfreeze(DWORD freeze) = 0;
  // sink null ends the advice.
  virtual HRESULT SetAdvise(DWORD aspects, DWORD advf, IAdviseSink* sink) = 0;
  virtual HRESULT GetAdvise(DWORD* aspects, DWORD* advf, IAdviseSink** sink) = 0;
};
COM_DECLARE_IID(IViewObject, {0x0000010D, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct IViewObject2 : IViewObject {
  virtual HRESULT GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target, LPSIZEL size) = 0;
};
COM_DECLARE_IID(IViewObject2, {0x00000127, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct IViewObjectEx : IViewObject2 {
  virtual HRESULT GetViewStatus(DWORD* status) = 0;
  // Whether a point, or a rectangle, of the container hits the object drawn in bounds.
  virtual HRESULT QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG closeHint,
                                DWORD* hitResult) = 0;
  virtual HRESULT QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG closeHint,
                               DWORD* hitResult) = 0;
};
COM_DECLARE_IID(IViewObjectEx,
                {0x3AF24292, 0x0C96, 0x11CE, {0xA0, 0xCF, 0x00, 0xAA, 0x00, 0x60, 0x0A, 0xB8}})
