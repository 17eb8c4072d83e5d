#include "ActiveXCore/ObjectSafety.h"

#include <com/bstr.h>
#include <com/comptr.h>

#include "ActiveXCore/ComModule.h"
#include "ActiveXCore/Guids.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {

HRESULT ObjectSafety::get(IUnknown* self, REFIID riid, DWORD* supported, DWORD* enabled) const
{
    if (!supported || !enabled)
        return E_POINTER;
    com::ComPtr<IUnknown> face;
    const HRESULT hr = self->QueryInterface(riid, face.putVoid());
    if (FAILED(hr)) {
        *supported = 0;
        *enabled = 0;
        return hr;
    }
    *supported = kSupported;
    *enabled = m_enabled;
    return S_OK;
}

HRESULT ObjectSafety::set(IUnknown* self, REFIID riid, DWORD mask, DWORD enabled)
{
    com::ComPtr<IUnknown> face;
    if (FAILED(self->QueryInterface(riid, face.putVoid())))
        return E_NOINTERFACE;
    if (mask & ~kSupported)
        return E_FAIL;
    m_enabled = (m_enabled & ~mask) | (enabled & mask);
    return S_OK;
}

HRESULT classInfoOf(REFCLSID clsid, ITypeInfo** info)
{
    if (!info)
        return E_POINTER;
    *info = nullptr;
    std::u16string path;
    try {
        CPageBridgeWinModule::instance().moduleHandle();  // its resources added
        path = com::toUtf16(utf8_to_wstring(CPageBridgeWinModule::instance().modulePath()));
    } catch (const std::exception&) {
        return TYPE_E_CANTLOADLIBRARY;
    }
    com::ComPtr<ITypeLib> lib;
    const HRESULT hr = LoadTypeLib(path.c_str(), lib.put());
    if (FAILED(hr))
        return hr;
    return lib->GetTypeInfoOfGuid(clsid, info);
}

HRESULT classGuidOf(DWORD kind, GUID* guid)
{
    if (!guid)
        return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID)
        return E_INVALIDARG;
    *guid = DIID_IPBComEventSource;
    return S_OK;
}

}  // namespace ActiveX
}  // namespace PB
