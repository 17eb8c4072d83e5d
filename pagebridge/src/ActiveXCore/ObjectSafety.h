#pragma once
// The safety options of a scriptable COM object: safe for untrusted callers
// and untrusted data, for every interface the object answers.

#include <com/control.h>

namespace PB {
namespace ActiveX {

class ObjectSafety {
public:
    static const DWORD kSupported = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;

    // self answers QueryInterface for riid, or the options are 0 and its
    // error is returned.
    HRESULT get(IUnknown* self, REFIID riid, DWORD* supported, DWORD* enabled) const;
    // E_NOINTERFACE for an interface self does not answer, E_FAIL for a mask
    // with options outside the supported ones.
    HRESULT set(IUnknown* self, REFIID riid, DWORD mask, DWORD enabled);

private:
    DWORD m_enabled = 0;
};

// The type information of one of the module's classes, from the type library
// the module carries; and the GUID kinds IProvideClassInfo2 answers.
HRESULT classInfoOf(REFCLSID clsid, ITypeInfo** info);
HRESULT classGuidOf(DWORD kind, GUID* guid);

}  // namespace ActiveX
}  // namespace PB
