#include "ActiveXCore/COMJavascriptObject.h"

#include <new>

#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ActiveXCore/Guids.h"

namespace PB {
namespace ActiveX {

COMJavascriptObject::COMJavascriptObject()
    : JSAPI_IDispatchEx("SUBOBJECT"),
      m_self(std::make_shared<ShareableReference<IDispatchEx>>(static_cast<IDispatchEx*>(this)))
{
}

COMJavascriptObject::~COMJavascriptObject()
{
    if (m_autoRelease) {
        JSAPIPtr api = m_api.lock();
        std::shared_ptr<ActiveXBrowserHost> host = m_ownerHost.lock();
        if (api && host)
            host->releaseJSAPI(api);
    }
}

IDispatchEx* COMJavascriptObject::create(bool autoRelease, const std::shared_ptr<ActiveXBrowserHost>& host,
                                         const std::weak_ptr<JSAPI>& api)
{
    COMJavascriptObject* object = new (std::nothrow) COMJavascriptObject();
    if (!object)
        return nullptr;
    object->bind(api, host);
    object->m_ownerHost = host;
    object->m_autoRelease = autoRelease;
    if (autoRelease) {
        if (JSAPIPtr alive = api.lock())
            host->retainJSAPI(alive);
    }
    return static_cast<IDispatchEx*>(object);
}

HRESULT COMJavascriptObject::QueryInterface(REFIID riid, void** object)
{
    auto* face = static_cast<IDispatchEx*>(this);
    return com::answerQuery(riid, object, face,
                            {{DIID_IPBComEventSource, face},
                             {IID_IDispatch, face},
                             {IID_IDispatchEx, face},
                             {IID_IPBComJavascriptObject, face},
                             {IID_IPageBridgeObject, static_cast<IPageBridgeObject*>(this)},
                             {IID_IObjectSafety, static_cast<IObjectSafety*>(this)},
                             {IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
                             {IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)},
                             {IID_IProvideClassInfo, static_cast<IProvideClassInfo2*>(this)},
                             {IID_IProvideClassInfo2, static_cast<IProvideClassInfo2*>(this)}});
}

ULONG COMJavascriptObject::AddRef()
{
    return ++m_refs;
}

ULONG COMJavascriptObject::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT COMJavascriptObject::GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled)
{
    return m_safety.get(static_cast<IDispatchEx*>(this), riid, supported, enabled);
}

HRESULT COMJavascriptObject::SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled)
{
    return m_safety.set(static_cast<IDispatchEx*>(this), riid, mask, enabled);
}

HRESULT COMJavascriptObject::GetClassInfo(ITypeInfo** info)
{
    return classInfoOf(CLSID_PBComJavascriptObject, info);
}

HRESULT COMJavascriptObject::GetGUID(DWORD kind, GUID* guid)
{
    return classGuidOf(kind, guid);
}

}  // namespace ActiveX
}  // namespace PB
