#pragma once
// The COM face of a scriptable object: IDispatch, IDispatchEx and one
// connection point for event sinks over a weakly held JSAPI. Names map to
// process-wide DISPIDs; arguments and results are converted through the
// browser host; every call result and property value reaches the page as a
// page promise, a failure as a rejected one. The outer COM class (the control
// or a script object) supplies IUnknown.

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <com/comptr.h>
#include <com/connection.h>
#include <com/dispatch.h>

#include "ActiveXCore/Guids.h"
#include "ScriptingCore/JSAPI.h"

namespace PB {
namespace ActiveX {

class ActiveXBrowserHost;
class IDispatchAPI;

// What a page object needs to recognise one of the plug-in's own objects.
class JSAPI_IDispatchExBase : public IPageBridgeObject {
public:
    virtual ~JSAPI_IDispatchExBase();

    // Adds (or removes) the handler args[1] for the event named by args[0];
    // 2 or 3 arguments, else invalid_arguments.
    virtual void eventListener(const VariantList& args, bool add);

    // The bound scripting object; bad_cast_ext "Invalid object" when there
    // is none or it has gone.
    JSAPIPtr requireValidApi() const;

protected:
    std::weak_ptr<JSAPI> m_api;
    // The handlers added through this face, so that they can follow the
    // control to a new host.
    std::vector<std::pair<std::string, JSObjectPtr>> m_handlers;
};

class JSAPI_IDispatchEx : public JSAPI_IDispatchExBase,
                          public IDispatchEx,
                          public IConnectionPointContainer,
                          public IConnectionPoint {
public:
    explicit JSAPI_IDispatchEx(std::string mimeType);
    ~JSAPI_IDispatchEx() override;

    void bind(const std::weak_ptr<JSAPI>& api, const std::weak_ptr<ActiveXBrowserHost>& host);
    // The host that converts values and settles promises from now on. The
    // advised sinks (under their cookies) and the handlers added through this
    // face are wrapped again through it; call it while the previous host
    // still holds them.
    void bindHost(const std::shared_ptr<ActiveXBrowserHost>& host);
    void unbindApi() { m_api.reset(); }
    void setReadyState(LONG state) { m_readyState = state; }
    LONG readyState() const { return m_readyState; }
    // Forgets the advised sinks and the handlers added through this face.
    void clearEventSinks()
    {
        m_sinks.clear();
        m_handlers.clear();
    }

    // IDispatch
    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override;
    // IDispatchEx
    HRESULT GetDispID(BSTR name, DWORD flags, DISPID* id) override;
    HRESULT InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                     IServiceProvider* caller) override;
    HRESULT DeleteMemberByName(BSTR name, DWORD flags) override;
    HRESULT DeleteMemberByDispID(DISPID id) override;
    HRESULT GetMemberProperties(DISPID id, DWORD fetch, DWORD* properties) override;
    HRESULT GetMemberName(DISPID id, BSTR* name) override;
    HRESULT GetNextDispID(DWORD flags, DISPID id, DISPID* next) override;
    HRESULT GetNameSpaceParent(IUnknown** parent) override;
    // IConnectionPointContainer
    HRESULT EnumConnectionPoints(IEnumConnectionPoints** points) override;
    HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;
    // IConnectionPoint
    HRESULT GetConnectionInterface(IID* iid) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT Unadvise(DWORD cookie) override;
    HRESULT EnumConnections(IEnumConnections** connections) override;

protected:
    std::shared_ptr<ActiveXBrowserHost> lockHost() const;
    // The site's property-change sink (the control only).
    com::ComPtr<IPropertyNotifySink> m_propertyNotifySink;

private:
    // Steps of InvokeEx that may throw; result may be null.
    void invokeMember(DISPID id, const std::wstring& name, WORD flags, DISPPARAMS* params, VARIANT* result);
    // A plug-in promise as a page promise in result.
    void promiseResult(const std::shared_ptr<ActiveXBrowserHost>& host, Promise<variant> promise,
                       VARIANT* result);

    std::weak_ptr<ActiveXBrowserHost> m_host;
    std::string m_mimeType;
    std::map<DWORD, std::shared_ptr<IDispatchAPI>> m_sinks;
    DWORD m_nextCookie = 1;
    LONG m_readyState = 1;
    std::vector<std::wstring> m_memberCache;
};

}  // namespace ActiveX
}  // namespace PB
