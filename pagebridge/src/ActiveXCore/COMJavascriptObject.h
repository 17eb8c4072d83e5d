#pragma once
// The COM face of a scriptable object other than the control's root object:
// a small COM object carrying the IDispatchEx bridge over one JSAPI. With
// auto-release the host keeps the scriptable object alive exactly as long as
// this object lives; without it the object is held weakly only.

#include <atomic>
#include <memory>

#include <com/control.h>

#include "ActiveXCore/JSAPI_IDispatchEx.h"
#include "ActiveXCore/ComModule.h"
#include "ActiveXCore/ObjectSafety.h"
#include "PluginAuto/ShareableReference.h"

namespace PB {
namespace ActiveX {

class COMJavascriptObject final : public JSAPI_IDispatchEx, public IObjectSafety, public IProvideClassInfo2 {
public:
    // One reference for the caller; null when it cannot be made.
    static IDispatchEx* create(bool autoRelease, const std::shared_ptr<ActiveXBrowserHost>& host,
                               const std::weak_ptr<JSAPI>& api);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
    HRESULT SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override;
    HRESULT GetClassInfo(ITypeInfo** info) override;
    HRESULT GetGUID(DWORD kind, GUID* guid) override;

    // Expires when this object is destroyed.
    std::weak_ptr<ShareableReference<IDispatchEx>> getSelfReference() const { return m_self; }

private:
    COMJavascriptObject();
    ~COMJavascriptObject() override;

    ModuleLock m_moduleLock;
    std::atomic<ULONG> m_refs{1};
    bool m_autoRelease = false;
    std::weak_ptr<ActiveXBrowserHost> m_ownerHost;
    ObjectSafety m_safety;
    std::shared_ptr<ShareableReference<IDispatchEx>> m_self;
};

}  // namespace ActiveX
}  // namespace PB
