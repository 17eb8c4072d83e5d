// Type libraries: loading one from a module's TYPELIB resource (or a file) and registering it.
//
// The library is kept in a small text form, one declaration a line ('#' starts a comment):
//   library NAME {LIBID} version MAJOR.MINOR lcid N "help string"
//   importlib FILE
//   interface NAME {IID} [dual] [nonextensible] [oleautomation] [base NAME] ["help string"]
//   dispinterface NAME {IID} ["help string"]
//   coclass NAME {CLSID} [creatable] [control] [default NAME] [source NAME] ["help string"]
//   member NAME                  (a member of the interface declared last)
#pragma once

#include <com/unknown.h>

#include <string>
#include <vector>

enum TYPEKIND { TKIND_ENUM, TKIND_RECORD, TKIND_MODULE, TKIND_INTERFACE, TKIND_DISPATCH, TKIND_COCLASS };
enum SYSKIND { SYS_WIN16, SYS_WIN32, SYS_MAC, SYS_WIN64 };

#define TYPEFLAG_FAPPOBJECT 0x01
#define TYPEFLAG_FCANCREATE 0x02
#define TYPEFLAG_FCONTROL 0x20
#define TYPEFLAG_FDUAL 0x40
#define TYPEFLAG_FNONEXTENSIBLE 0x80
#define TYPEFLAG_FOLEAUTOMATION 0x100
#define TYPEFLAG_FDISPATCHABLE 0x1000

struct TLIBATTR {
  GUID guid;
  LCID lcid;
  SYSKIND syskind;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
  WORD wLibFlags;
};

struct TYPEATTR {
  GUID guid;
  LCID lcid;
  TYPEKIND typekind;
  WORD cFuncs;
  WORD cImplTypes;
  WORD wTypeFlags;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
};

struct ITypeLib;

struct ITypeInfo : IUnknown {
  virtual HRESULT GetTypeAttr(TYPEATTR** attr) = 0;
  virtual void ReleaseTypeAttr(TYPEATTR* attr) = 0;
  // memid -1 names the type itself; otherwise the index of a member.
  virtual HRESULT GetDocumentation(MEMBERID memid, BSTR* name, BSTR* docString, DWORD* helpContext,
                                   BSTR* helpFile) = 0;
  virtual HRESULT GetContainingTypeLib(ITypeLib** lib, UINT* index) = 0;
};
COM_DECLARE_IID(ITypeInfo, {0x00020401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

struct ITypeLib : IUnknown {
  virtual UINT GetTypeInfoCount() = 0;
  virtual HRESULT GetTypeInfo(UINT index, ITypeInfo** info) = 0;
  virtual HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** info) = 0;
  virtual HRESULT GetLibAttr(TLIBATTR** attr) = 0;
  virtual void ReleaseTLibAttr(TLIBATTR* attr) = 0;
  // index -1 names the library itself.
  virtual HRESULT GetDocumentation(INT index, BSTR* name, BSTR* docString, DWORD* helpContext,
                                   BSTR* helpFile) = 0;
};
COM_DECLARE_IID(ITypeLib, {0x00020402, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}})

// The file is a module with a TYPELIB resource 1 (com/resources.h) or a text file in the form
// above. TYPE_E_CANTLOADLIBRARY when neither, TYPE_E_INVALIDSTATE for text it cannot read.
HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib** lib);
// Through the registration under HKCR\TypeLib.
HRESULT LoadRegTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, ITypeLib** lib);

// Writes HKCR\TypeLib\{LIBID}\MAJOR.MINOR (help string, FLAGS, HELPDIR, 0\win64 = the file) and
// HKCR\Interface\{IID} for each dual or dispatch interface; the ForUser forms write under
// HKEY_CURRENT_USER\Software\Classes instead of the machine's classes.
HRESULT RegisterTypeLib(ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir);
HRESULT RegisterTypeLibForUser(ITypeLib* lib, LPCOLESTR fullPath, LPCOLESTR helpDir);
// Removes what registration wrote; TYPE_E_REGISTRYACCESS when the version is not registered.
HRESULT UnRegisterTypeLib(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind);
HRESULT UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID lcid, SYSKIND syskind);

typedef HRESULT (*LPFNREGISTERTYPELIBFORUSER)(ITypeLib*, LPCOLESTR, LPCOLESTR);
typedef HRESULT (*LPFNUNREGISTERTYPELIBFORUSER)(REFGUID, WORD, WORD, LCID, SYSKIND);
