// Late binding: IDispatch, IDispatchEx, IServiceProvider and their records.
#pragma once

#include <com/unknown.h>
#include <com/variant.h>

struct ITypeInfo;

struct DISPPARAMS {
  VARIANTARG* rgvarg;     // the arguments in reverse order (the last one first)
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  PVOID pvReserved;
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
  SCODE scode;
};

#define DISPATCH_METHOD 0x1
#define DISPATCH_PROPERTYGET 0x2
#define DISPATCH_PROPERTYPUT 0x4
#define DISPATCH_PROPERTYPUTREF 0x8
#define DISPATCH_CONSTRUCT 0x4000

#define DISPID_UNKNOWN (-1)
#define DISPID_VALUE 0
#define DISPID_PROPERTYPUT (-3)
#define DISPID_NEWENUM (-4)
#define DISPID_EVALUATE (-5)
#define DISPID_CONSTRUCTOR (-6)
#define DISPID_DESTRUCTOR (-7)
#define DISPID_COLLECT (-8)
#define DISPID_STARTENUM DISPID_UNKNOWN
#define DISPID_ENABLED (-514)
#define DISPID_READYSTATE (-525)
#define DISPID_THIS (-613)
#define DISPID_SECURITYCTX (-5511)

#define READYSTATE_UNINITIALIZED 0
#define READYSTATE_LOADING 1
#define READYSTATE_LOADED 2
#define READYSTATE_INTERACTIVE 3
#define READYSTATE_COMPLETE 4

#define fdexNameCaseSensitive 0x00000001L
#define fdexNameEnsure 0x00000002L
#define fdexNameImplicit 0x00000004L
#define fdexNameCaseInsensitive 0x00000008L
#define fdexEnumDefault 0x00000001L
#define fdexEnumAll 0x00000002L

struct IDispatch : IUnknown {
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr) = 0;
};
COM_DECLARE_IID(IDispatch, {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct IServiceProvider : IUnknown {
  virtual HRESULT QueryService(REFGUID service, REFIID riid, void** object) = 0;
};
COM_DECLARE_IID(IServiceProvider,
                {0x6D5140C1, 0x7436, 0x11CE, {0x80, 0x34, 0x00, 0xAA, 0x00, 0x60, 0x09, 0xFA}})

struct IDispatchEx : IDispatch {
  virtual HRESULT GetDispID(BSTR name, DWORD flags, DISPID* id) = 0;
  virtual HRESULT InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* excepInfo, IServiceProvider* caller) = 0;
  virtual HRESULT DeleteMemberByName(BSTR name, DWORD flags) = 0;
  virtual HRESULT DeleteMemberByDispID(DISPID id) = 0;
  virtual HRESULT GetMemberProperties(DISPID id, DWORD fetch, DWORD* properties) = 0;
  virtual HRESULT GetMemberName(DISPID id, BSTR* name) = 0;
  virtual HRESULT GetNextDispID(DWORD flags, DISPID id, DISPID* next) = 0;
  virtual HRESULT GetNameSpaceParent(IUnknown** parent) = 0;
};
COM_DECLARE_IID(IDispatchEx,
                {0xA6EF9860, 0xC720, 0x11D0, {0x93, 0x37, 0x00, 0xA0, 0xC9, 0x0D, 0xCA, 0xA9}})

namespace com {
// Frees the strings of the record and zeroes it.
void clearExcepInfo(EXCEPINFO* info);

// An EXCEPINFO that starts zeroed and frees its strings when it goes.
class ExcepInfo : public EXCEPINFO {
 public:
  ExcepInfo();
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;
  ~ExcepInfo() { clearExcepInfo(this); }
};
}  // namespace com
