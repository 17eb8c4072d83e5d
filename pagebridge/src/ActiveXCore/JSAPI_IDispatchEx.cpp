#include "ActiveXCore/JSAPI_IDispatchEx.h"

#include <algorithm>

#include <com/bstr.h>

#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ActiveXCore/ComPromise.h"
#include "ActiveXCore/DispIdNameMap.h"
#include "ActiveXCore/IDispatchAPI.h"
#include "ScriptingCore/Log.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {

namespace {

bool isSpecialName(const std::wstring& name)
{
    return name == L"attachEvent" || name == L"detachEvent" || name == L"getLastException";
}

DISPID dispIdOf(const std::wstring& name)
{
    return static_cast<DISPID>(dispIdNameMap().getIdForValue(variant(name)));
}

std::wstring wide(const std::string& text)
{
    try {
        return utf8_to_wstring(text);
    } catch (const std::exception&) {
        return std::wstring(text.begin(), text.end());
    }
}

}  // namespace

JSAPI_IDispatchExBase::~JSAPI_IDispatchExBase() = default;

JSAPIPtr JSAPI_IDispatchExBase::requireValidApi() const
{
    JSAPIPtr api = m_api.lock();
    if (!api)
        throw bad_cast_ext("Invalid object");
    return api;
}

void JSAPI_IDispatchExBase::eventListener(const VariantList& args, bool add)
{
    if (args.size() != 2 && args.size() != 3)
        throw invalid_arguments();
    const std::string event = args[0].convert_cast<std::string>();
    const JSObjectPtr handler = args[1].convert_cast<JSObjectPtr>();
    const JSAPIPtr api = requireValidApi();
    if (add)
        api->addEventHandler(event, handler);
    else
        api->removeEventHandler(event, handler);
    // Recorded once per event, context and page function, as the object keeps it.
    const auto recorded = std::find_if(m_handlers.begin(), m_handlers.end(), [&](const auto& entry) {
        return entry.first == event && entry.second->getContextID() == handler->getContextID() &&
               entry.second->getNativeHandle() == handler->getNativeHandle();
    });
    if (add && recorded == m_handlers.end())
        m_handlers.emplace_back(event, handler);
    else if (!add && recorded != m_handlers.end())
        m_handlers.erase(recorded);
}

JSAPI_IDispatchEx::JSAPI_IDispatchEx(std::string mimeType) : m_mimeType(std::move(mimeType)) {}

JSAPI_IDispatchEx::~JSAPI_IDispatchEx() = default;

void JSAPI_IDispatchEx::bind(const std::weak_ptr<JSAPI>& api, const std::weak_ptr<ActiveXBrowserHost>& host)
{
    m_api = api;
    m_host = host;
}

void JSAPI_IDispatchEx::bindHost(const std::shared_ptr<ActiveXBrowserHost>& host)
{
    m_host = host;
    const JSAPIPtr api = m_api.lock();
    if (!api || !host)
        return;
    // The page's objects are held through the previous host, which is about
    // to go: each one is wrapped through this host and takes its old
    // wrapper's place in the object's tables (and a sink its cookie).
    for (auto& entry : m_sinks) {
        auto* dispatch = static_cast<IDispatch*>(entry.second->getNativeHandle());
        if (!dispatch)
            continue;
        const std::shared_ptr<IDispatchAPI> moved = IDispatchAPI::create(dispatch, host);
        api->removeEventSink(entry.second);
        api->addEventSink(moved);
        entry.second = moved;
    }
    for (auto entry = m_handlers.begin(); entry != m_handlers.end();) {
        auto page = std::dynamic_pointer_cast<IDispatchAPI>(entry->second);
        auto* dispatch = page ? static_cast<IDispatch*>(page->getNativeHandle()) : nullptr;
        if (!dispatch) {
            // Let go with its host already: nothing left to carry.
            entry = m_handlers.erase(entry);
            continue;
        }
        const JSObjectPtr moved = IDispatchAPI::create(dispatch, host);
        api->removeEventHandler(entry->first, entry->second);
        api->addEventHandler(entry->first, moved);
        entry->second = moved;
        ++entry;
    }
}

std::shared_ptr<ActiveXBrowserHost> JSAPI_IDispatchEx::lockHost() const
{
    std::shared_ptr<ActiveXBrowserHost> host = m_host.lock();
    if (!host)
        throw bad_cast_ext("BrowserHost has shut down");
    return host;
}

HRESULT JSAPI_IDispatchEx::GetTypeInfoCount(UINT*)
{
    return E_NOTIMPL;
}

HRESULT JSAPI_IDispatchEx::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT JSAPI_IDispatchEx::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (count == 0)
        return S_OK;
    if (!names || !ids)
        return E_POINTER;
    for (UINT i = 0; i < count; ++i) {
        com::Bstr name = com::Bstr::adopt(SysAllocString(names[i]));
        if (!name.get() && names[i])
            return E_OUTOFMEMORY;
        const HRESULT hr = GetDispID(name.get(), 0, &ids[i]);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT JSAPI_IDispatchEx::Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                  EXCEPINFO* excepInfo, UINT*)
{
    return InvokeEx(id, lcid, flags, params, result, excepInfo, nullptr);
}

HRESULT JSAPI_IDispatchEx::GetDispID(BSTR name, DWORD, DISPID* id)
{
    if (!id)
        return E_POINTER;
    *id = -1;
    try {
        const JSAPIPtr api = requireValidApi();
        const std::wstring text = com::fromBstr(name);
        if (!isSpecialName(text) && !api->hasMethod(text) && !api->hasProperty(text))
            return DISP_E_UNKNOWNNAME;
        *id = dispIdOf(text);
        return S_OK;
    } catch (...) {
        *id = -1;
        return DISP_E_UNKNOWNNAME;
    }
}

HRESULT JSAPI_IDispatchEx::InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                    EXCEPINFO* excepInfo, IServiceProvider*)
{
    // The standard properties answer also before a scriptable object is bound.
    if (flags & DISPATCH_PROPERTYGET) {
        if (!result)
            return E_INVALIDARG;
        if (id == DISPID_SECURITYCTX)
            return E_NOTIMPL;
        if (id == DISPID_READYSTATE) {
            VariantClear(result);
            result->vt = VT_I4;
            result->lVal = m_readyState;
            return S_OK;
        }
        if (id == DISPID_ENABLED) {
            VariantClear(result);
            result->vt = VT_BOOL;
            result->boolVal = VARIANT_TRUE;
            return S_OK;
        }
    }

    std::wstring name;
    try {
        requireValidApi();
        if (!dispIdNameMap().idExists(id))
            return DISP_E_MEMBERNOTFOUND;
        name = dispIdNameMap().getValueForId<std::wstring>(id);
    } catch (...) {
        return DISP_E_MEMBERNOTFOUND;
    }

    std::string firstError;
    std::exception_ptr error;
    try {
        invokeMember(id, name, flags, params, result);
        return S_OK;
    } catch (const std::exception& e) {
        firstError = e.what();
        error = std::current_exception();
    } catch (...) {
        firstError = "Unknown exception";
        error = std::current_exception();
    }
    // The failure reaches the page as a rejected promise; only when that
    // cannot be built does the call itself fail.
    try {
        if (result) {
            Deferred<variant> rejected;
            rejected.reject(error);
            promiseResult(lockHost(), rejected.promise(), result);
        }
        return S_OK;
    } catch (...) {
        if (excepInfo) {
            com::clearExcepInfo(excepInfo);
            excepInfo->bstrSource = com::allocBstr(wide(m_mimeType));
            excepInfo->bstrDescription = com::allocBstr(wide(firstError));
            excepInfo->scode = E_NOTIMPL;
        }
        return DISP_E_EXCEPTION;
    }
}

void JSAPI_IDispatchEx::invokeMember(DISPID id, const std::wstring& name, WORD flags, DISPPARAMS* params,
                                     VARIANT* result)
{
    const std::shared_ptr<ActiveXBrowserHost> host = lockHost();
    const JSAPIPtr api = requireValidApi();
    if ((flags & DISPATCH_METHOD) && (id == DISPID_VALUE || api->hasMethod(name))) {
        std::wstring member = name;
        UINT first = 0;
        if (params && params->cNamedArgs > 0 && params->rgdispidNamedArgs &&
            params->rgdispidNamedArgs[0] == DISPID_THIS) {
            // Argument 0 is the this value; a call of DISPID_VALUE calls the object itself.
            first = 1;
            if (id == DISPID_VALUE)
                member.clear();
        }
        VariantList args;
        if (params && params->rgvarg) {
            for (UINT i = params->cArgs; i > first; --i)
                args.push_back(host->getVariant(&params->rgvarg[i - 1]));
        }
        // By its UTF-8 name, so that the object may take the arguments over.
        Promise<variant> answer = api->invoke(wstring_to_utf8(member), std::move(args));
        if (result)
            promiseResult(host, std::move(answer), result);
        return;
    }
    if (flags & DISPATCH_PROPERTYGET) {
        if (api->hasMethod(name)) {
            if (result) {
                VariantClear(result);
                host->getComVariant(result, variant(true));
            }
            return;
        }
        if (api->hasProperty(name)) {
            Promise<variant> answer = api->getProperty(name);
            if (result)
                promiseResult(host, std::move(answer), result);
            return;
        }
    }
    if (!(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) || !api->hasProperty(name))
        throw invalid_member("Invalid method or property name");
    if (!params || params->cArgs < 1 || !params->rgvarg)
        throw invalid_arguments();
    api->setProperty(name, host->getVariant(&params->rgvarg[0]));
}

void JSAPI_IDispatchEx::promiseResult(const std::shared_ptr<ActiveXBrowserHost>& host, Promise<variant> promise,
                                      VARIANT* result)
{
    const std::shared_ptr<ComPromise> bridge = ComPromise::create(host, std::move(promise));
    VariantClear(result);
    host->getComVariant(result, variant(std::static_pointer_cast<JSObject>(bridge->pagePromise())));
}

HRESULT JSAPI_IDispatchEx::DeleteMemberByName(BSTR, DWORD)
{
    return E_NOTIMPL;
}

HRESULT JSAPI_IDispatchEx::DeleteMemberByDispID(DISPID id)
{
    std::wstring name;
    try {
        const JSAPIPtr api = requireValidApi();
        if (!dispIdNameMap().idExists(id))
            return S_FALSE;
        name = dispIdNameMap().getValueForId<std::wstring>(id);
        api->removeProperty(name);
        return S_OK;
    } catch (const script_error& e) {
        Log::info("ActiveXHost", "Script error for \"" + wstring_to_utf8(name) + "\": " + e.what(),
                  "JSAPI_IDispatchEx", __LINE__, "PB::ActiveX::JSAPI_IDispatchEx::DeleteMemberByDispID");
        return S_FALSE;
    } catch (...) {
        return S_FALSE;
    }
}

HRESULT JSAPI_IDispatchEx::GetMemberProperties(DISPID, DWORD, DWORD*)
{
    return E_NOTIMPL;
}

HRESULT JSAPI_IDispatchEx::GetMemberName(DISPID id, BSTR* name)
{
    if (!name)
        return E_POINTER;
    *name = nullptr;
    try {
        if (!dispIdNameMap().idExists(id))
            return DISP_E_UNKNOWNNAME;
        *name = com::allocBstr(dispIdNameMap().getValueForId<std::wstring>(id));
        return *name ? S_OK : E_OUTOFMEMORY;
    } catch (...) {
        return DISP_E_UNKNOWNNAME;
    }
}

HRESULT JSAPI_IDispatchEx::GetNextDispID(DWORD, DISPID id, DISPID* next)
{
    if (!next)
        return E_POINTER;
    try {
        const JSAPIPtr api = requireValidApi();
        const std::size_t count = api->getMemberCount();
        // The cache holds the members and "getLastException".
        if (m_memberCache.size() != count + 1) {
            m_memberCache.clear();
            api->getMemberNames(m_memberCache);
            m_memberCache.push_back(L"getLastException");
        }
        if (id == DISPID_STARTENUM) {
            *next = dispIdOf(m_memberCache.front());
            return S_OK;
        }
        if (!dispIdNameMap().idExists(id))
            return S_FALSE;
        const std::wstring name = dispIdNameMap().getValueForId<std::wstring>(id);
        for (std::size_t i = 0; i + 1 < m_memberCache.size(); ++i) {
            if (m_memberCache[i] == name) {
                *next = dispIdOf(m_memberCache[i + 1]);
                return S_OK;
            }
        }
        return S_FALSE;
    } catch (...) {
        return S_FALSE;
    }
}

HRESULT JSAPI_IDispatchEx::GetNameSpaceParent(IUnknown**)
{
    return E_NOTIMPL;
}

HRESULT JSAPI_IDispatchEx::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    if (!points)
        return E_POINTER;
    *points = com::createConnectionPointEnumerator({static_cast<IConnectionPoint*>(this)});
    return *points ? S_OK : E_OUTOFMEMORY;
}

HRESULT JSAPI_IDispatchEx::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (!point)
        return E_POINTER;
    *point = nullptr;
    if (riid != DIID_IPBComEventSource)
        return CONNECT_E_NOCONNECTION;
    *point = static_cast<IConnectionPoint*>(this);
    (*point)->AddRef();
    return S_OK;
}

HRESULT JSAPI_IDispatchEx::GetConnectionInterface(IID* iid)
{
    if (!iid)
        return E_POINTER;
    *iid = DIID_IPBComEventSource;
    return S_OK;
}

HRESULT JSAPI_IDispatchEx::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container)
        return E_POINTER;
    *container = static_cast<IConnectionPointContainer*>(this);
    (*container)->AddRef();
    return S_OK;
}

HRESULT JSAPI_IDispatchEx::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!cookie)
        return E_POINTER;
    *cookie = 0;
    com::ComPtr<IDispatch> dispatch = com::queryInterface<IDispatch>(sink);
    if (!dispatch)
        return CONNECT_E_CANNOTCONNECT;
    const DWORD assigned = m_nextCookie++;
    try {
        const std::shared_ptr<IDispatchAPI> wrapper = IDispatchAPI::create(dispatch.get(), lockHost());
        m_sinks[assigned] = wrapper;
        requireValidApi()->addEventSink(wrapper);
        *cookie = assigned;
        return S_OK;
    } catch (const std::exception&) {
        m_sinks.erase(assigned);
        return CONNECT_E_CANNOTCONNECT;
    }
}

HRESULT JSAPI_IDispatchEx::Unadvise(DWORD cookie)
{
    auto found = m_sinks.find(cookie);
    if (found == m_sinks.end())
        return E_UNEXPECTED;
    // The sink is let go even when the scriptable object has gone already.
    const std::shared_ptr<IDispatchAPI> sink = found->second;
    m_sinks.erase(found);
    try {
        requireValidApi()->removeEventSink(sink);
    } catch (const std::exception&) {
    }
    return S_OK;
}

HRESULT JSAPI_IDispatchEx::EnumConnections(IEnumConnections**)
{
    return E_NOTIMPL;
}

}  // namespace ActiveX
}  // namespace PB
