#include "ActiveXCore/IDispatchAPI.h"

#include <climits>
#include <string>

#include <com/bstr.h>
#include <com/comptr.h>
#include <com/mshtml.h>

#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ActiveXCore/DispIdNameMap.h"
#include "ActiveXCore/Guids.h"
#include "ActiveXCore/JSAPI_IDispatchEx.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {

namespace {

// Runs member(object) on the host's main thread and waits for it. The call
// holds its own reference to the object and hands back what the member made:
// a caller that gives up at shutdown ("Shutting down") may let go of the
// object and of its own variables while the main thread is still inside.
template <typename Object, typename Member>
auto onMainThread(const std::shared_ptr<ActiveXBrowserHost>& host, Object* object, Member member)
{
    std::shared_ptr<Object> self = std::static_pointer_cast<Object>(object->JSAPI::shared_from_this());
    return host->CallOnMainThread([self, member] { return member(*self); });
}

// One property read (or existence test) through whichever interface the
// object offers; the result VARIANT is the caller's.
HRESULT readProperty(IDispatch* dispatch, DISPID id, VARIANT* result)
{
    DISPPARAMS params{};
    com::ExcepInfo info;
    com::ComPtr<IDispatchEx> ex = com::queryInterface<IDispatchEx>(dispatch);
    if (ex)
        return ex->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, result, &info, nullptr);
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, result, &info, nullptr);
}

HRESULT callMethod(IDispatch* dispatch, DISPID id, DISPPARAMS* params, VARIANT* result)
{
    com::ExcepInfo info;
    com::ComPtr<IDispatchEx> ex = com::queryInterface<IDispatchEx>(dispatch);
    if (ex)
        return ex->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, result, &info, nullptr);
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, result, &info, nullptr);
}

// The argument block of a method call: the object itself first (as the
// named DISPID_THIS argument), then the arguments, last one first.
std::unique_ptr<com::VariantArray> argumentBlock(ActiveXBrowserHost& host, IDispatch* self, const VariantList& args)
{
    const std::size_t n = args.size();
    auto block = std::make_unique<com::VariantArray>(n + 1);
    (*block)[0].vt = VT_DISPATCH;
    (*block)[0].pdispVal = self;
    self->AddRef();
    for (std::size_t i = 0; i < n; ++i)
        host.getComVariant(&(*block)[n - i], args[i]);
    return block;
}

std::wstring indexName(int index)
{
    return utf8_to_wstring(variant(index).convert_cast<std::string>());
}

// Enumeration gives up after this many steps, in case an object keeps
// answering.
const int kMaxMembers = 1 << 20;

}  // namespace

std::shared_ptr<IDispatchAPI> IDispatchAPI::create(IDispatch* obj, const std::shared_ptr<ActiveXBrowserHost>& host)
{
    return std::make_shared<IDispatchAPI>(obj, host);
}

IDispatchAPI::IDispatchAPI(IDispatch* obj, const std::shared_ptr<ActiveXBrowserHost>& host)
    : JSObject(host), m_host(host), m_ref(host->getIDispatchRef(obj))
{
    if (JSAPIPtr api = getJSAPI()) {
        m_ownApi = true;
        m_api = api;
    }
}

IDispatchAPI::~IDispatchAPI()
{
    if (std::shared_ptr<ActiveXBrowserHost> host = m_host.lock())
        host->deferredRelease(m_ref);
    m_ref.reset();
}

void IDispatchAPI::invalidate()
{
    m_ref.reset();
}

bool IDispatchAPI::alive() const
{
    return !m_host.expired() && !m_ref.expired();
}

bool IDispatchAPI::isValid()
{
    return alive();
}

std::shared_ptr<ActiveXBrowserHost> IDispatchAPI::lockHost() const
{
    std::shared_ptr<ActiveXBrowserHost> host = m_host.lock();
    if (!host)
        throw bad_cast_ext("BrowserHost has shut down");
    return host;
}

IDispatch* IDispatchAPI::getDispatch() const
{
    return std::shared_ptr<ShareableReference<IDispatch>>(m_ref)->getPtr();
}

void* IDispatchAPI::getNativeHandle()
{
    std::shared_ptr<ShareableReference<IDispatch>> ref = m_ref.lock();
    return ref ? ref->getPtr() : nullptr;
}

void* IDispatchAPI::getContextID()
{
    std::shared_ptr<ActiveXBrowserHost> host = m_host.lock();
    return host ? host->getContextID() : nullptr;
}

JSAPIPtr IDispatchAPI::getJSAPI() const
{
    if (!alive())
        return JSAPIPtr();
    try {
        IDispatch* dispatch = getDispatch();
        com::ComPtr<IPageBridgeObject> own = com::queryInterface<IPageBridgeObject>(dispatch);
        com::ComPtr<IHTMLElement> element = com::queryInterface<IHTMLElement>(dispatch);
        if (own && !element) {
            if (auto* bridge = dynamic_cast<JSAPI_IDispatchExBase*>(own.get()))
                return bridge->requireValidApi();
        }
    } catch (...) {
    }
    return JSAPIPtr();
}

DISPID IDispatchAPI::lookupDispId(const std::wstring& name) const
{
    if (!alive())
        return -1;
    std::shared_ptr<ActiveXBrowserHost> host = lockHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [name](const IDispatchAPI& self) { return self.lookupDispId(name); });
    if (name.empty())
        return DISPID_VALUE;
    try {
        IDispatch* dispatch = getDispatch();
        DISPID id = -1;
        HRESULT hr;
        com::ComPtr<IDispatchEx> ex = com::queryInterface<IDispatchEx>(dispatch);
        if (ex) {
            com::Bstr text(name);
            hr = ex->GetDispID(text.get(), 0x10000000 | fdexNameCaseSensitive | fdexNameEnsure, &id);
        } else {
            std::u16string text = com::toUtf16(name);
            LPOLESTR names[] = {text.data()};
            hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id);
        }
        if (SUCCEEDED(hr))
            return id;
        if (hr == E_NOTIMPL)
            return static_cast<DISPID>(dispIdNameMap().getIdForValue(variant(name)));
    } catch (...) {
    }
    return -1;
}

variant IDispatchAPI::getPropertySync(int index)
{
    return getPropertySync(variant(index).convert_cast<std::string>());
}

variant IDispatchAPI::getPropertySync(std::string name)
{
    if (!alive())
        return variant();
    std::shared_ptr<ActiveXBrowserHost> host = lockHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [name](IDispatchAPI& self) { return self.getPropertySync(name); });
    const DISPID id = lookupDispId(utf8_to_wstring(name));
    if (id == -1 && name != "toString")
        throw script_error("Could not get property");
    try {
        com::Variant result;
        if (FAILED(readProperty(getDispatch(), id, &result)))
            throw script_error("Could not get property");
        return host->getVariant(&result);
    } catch (...) {
        throw script_error("Could not get property");
    }
}

bool IDispatchAPI::hasProperty(int index) const
{
    return lookupDispId(indexName(index)) != -1;
}

bool IDispatchAPI::hasProperty(const std::wstring& name) const
{
    return hasProperty(wstring_to_utf8(name));
}

bool IDispatchAPI::hasProperty(std::string name) const
{
    if (!alive())
        return false;
    std::shared_ptr<ActiveXBrowserHost> host = lockHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [name](const IDispatchAPI& self) { return self.hasProperty(name); });
    if (m_ownApi) {
        JSAPIPtr api = m_api.lock();
        return api && api->hasProperty(name);
    }
    const DISPID id = lookupDispId(utf8_to_wstring(name));
    if (id == -1 && name != "toString")
        return false;
    try {
        com::Variant result;
        return SUCCEEDED(readProperty(getDispatch(), id, &result));
    } catch (...) {
        return false;
    }
}

bool IDispatchAPI::hasMethod(const std::wstring& name) const
{
    return lookupDispId(name) != -1;
}

bool IDispatchAPI::hasMethod(std::string name) const
{
    if (!alive())
        return false;
    std::shared_ptr<ActiveXBrowserHost> host = lockHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [name](const IDispatchAPI& self) { return self.hasMethod(name); });
    if (m_ownApi) {
        JSAPIPtr api = m_api.lock();
        return api && api->hasMethod(name);
    }
    return lookupDispId(utf8_to_wstring(name)) != -1 && !hasProperty(name);
}

Promise<variant> IDispatchAPI::getProperty(int index)
{
    return Promise<variant>(getPropertySync(index));
}

Promise<variant> IDispatchAPI::getProperty(std::string name)
{
    return Promise<variant>(getPropertySync(std::move(name)));
}

void IDispatchAPI::setProperty(int index, const variant& value)
{
    if (m_ownApi) {
        if (JSAPIPtr api = m_api.lock())
            api->setProperty(index, value);
    }
    setProperty(variant(index).convert_cast<std::string>(), value);
}

void IDispatchAPI::setProperty(std::string name, const variant& value)
{
    if (!alive())
        return;
    std::shared_ptr<ActiveXBrowserHost> host = lockHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [name, value](IDispatchAPI& self) { self.setProperty(name, value); });
    if (m_ownApi) {
        if (JSAPIPtr api = m_api.lock())
            api->setProperty(name, value);
        return;
    }
    const DISPID id = lookupDispId(utf8_to_wstring(name));
    if (id == -1)
        throw script_error("Could not set property");
    IDispatch* dispatch = getDispatch();
    com::Variant argument;
    host->getComVariant(&argument, value);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    HRESULT hr;
    com::ComPtr<IDispatchEx> ex = com::queryInterface<IDispatchEx>(dispatch);
    if (ex) {
        {
            com::Variant result;
            com::ExcepInfo info;
            hr = ex->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUTREF, &params, &result, &info, nullptr);
        }
        if (hr == DISP_E_MEMBERNOTFOUND) {
            com::ExcepInfo info;
            hr = ex->InvokeEx(id, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, &info, nullptr);
        }
    } else {
        com::Variant result;
        com::ExcepInfo info;
        hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, &result, &info, nullptr);
    }
    if (FAILED(hr))
        throw script_error("Could not set property");
}

void IDispatchAPI::removeProperty(int index)
{
    if (m_ownApi) {
        if (JSAPIPtr api = m_api.lock())
            api->removeProperty(index);
    }
    removeProperty(variant(index).convert_cast<std::string>());
}

void IDispatchAPI::removeProperty(std::string name)
{
    if (!alive())
        return;
    std::shared_ptr<ActiveXBrowserHost> host = lockHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [name](IDispatchAPI& self) { self.removeProperty(name); });
    if (m_ownApi) {
        if (JSAPIPtr api = m_api.lock())
            api->removeProperty(name);
        return;
    }
    const DISPID id = lookupDispId(utf8_to_wstring(name));
    if (id == -1)
        return;
    com::ComPtr<IDispatchEx> ex = com::queryInterface<IDispatchEx>(getDispatch());
    if (!ex)
        throw script_error("Could not remove property");
    ex->DeleteMemberByDispID(id);
}

Promise<variant> IDispatchAPI::invoke(std::string method, const VariantList& args)
{
    return Promise<variant>(invokeSync(std::move(method), args));
}

variant IDispatchAPI::invokeSync(std::string method, const VariantList& args)
{
    if (!alive())
        return variant();
    std::shared_ptr<ActiveXBrowserHost> host = lockHost();
    if (!host->isMainThread())
        return onMainThread(host, this,
                            [method, args](IDispatchAPI& self) { return self.invokeSync(method, args); });
    const DISPID id = lookupDispId(utf8_to_wstring(method));
    if (id == -1)
        throw script_error("Method invoke failed");
    IDispatch* dispatch = getDispatch();
    std::unique_ptr<com::VariantArray> block = argumentBlock(*host, dispatch, args);
    DISPID named = DISPID_THIS;
    DISPPARAMS params{block->data(), &named, static_cast<UINT>(block->size()), 1};
    com::Variant result;
    if (FAILED(callMethod(dispatch, id, &params, &result)))
        throw script_error("Method invoke failed");
    return host->getVariant(&result);
}

void IDispatchAPI::getMemberNames(std::vector<std::string>& names) const
{
    if (!alive())
        return;
    std::shared_ptr<ActiveXBrowserHost> host = lockHost();
    if (!host->isMainThread()) {
        names = onMainThread(host, this, [names](const IDispatchAPI& self) {
            std::vector<std::string> filled = names;
            self.getMemberNames(filled);
            return filled;
        });
        return;
    }
    if (m_ownApi) {
        if (JSAPIPtr api = m_api.lock())
            api->getMemberNames(names);
        return;
    }
    try {
        com::ComPtr<IDispatchEx> ex = com::queryInterface<IDispatchEx>(getDispatch());
        if (!ex)
            return;
        DISPID id = DISPID_STARTENUM;
        for (int step = 0; step < kMaxMembers; ++step) {
            DISPID next = -1;
            if (ex->GetNextDispID(fdexEnumAll, id, &next) != S_OK)
                break;
            id = next;
            if (id < 0)
                continue;
            com::Bstr name;
            if (SUCCEEDED(ex->GetMemberName(id, name.put())))
                names.push_back(wstring_to_utf8(name.text()));
        }
    } catch (...) {
    }
}

std::size_t IDispatchAPI::getMemberCount() const
{
    if (!alive())
        return 0;
    std::shared_ptr<ActiveXBrowserHost> host = lockHost();
    if (!host->isMainThread())
        return onMainThread(host, this, [](const IDispatchAPI& self) { return self.getMemberCount(); });
    if (m_ownApi) {
        JSAPIPtr api = m_api.lock();
        return api ? api->getMemberCount() : 0;
    }
    std::size_t count = 0;
    try {
        // An object that cannot enumerate has no members to count.
        com::ComPtr<IDispatchEx> ex = com::queryInterface<IDispatchEx>(getDispatch());
        if (!ex)
            return 0;
        DISPID id = DISPID_STARTENUM;
        for (int step = 0; step < kMaxMembers; ++step) {
            DISPID next = -1;
            if (ex->GetNextDispID(fdexEnumAll, id, &next) != S_OK)
                break;
            id = next;
            if (id >= 0)
                ++count;
        }
    } catch (...) {
    }
    return count;
}

void IDispatchAPI::callHandlers(std::string event, const VariantList& args, const std::vector<JSObjectPtr>& handlers,
                                const std::vector<JSObjectPtr>& sinks)
{
    if (!isValid())
        throw script_error("Error calling handlers");
    std::shared_ptr<ActiveXBrowserHost> host = lockHost();
    if (!host->isMainThread()) {
        host->ScheduleOnMainThread(JSObject::shared_from_this(), [this, event, args, handlers, sinks] {
            if (isValid())
                callHandlers(event, args, handlers, sinks);
        });
        return;
    }
    std::unique_ptr<com::VariantArray> block = argumentBlock(*host, getDispatch(), args);
    DISPID named = DISPID_THIS;
    DISPPARAMS params{block->data(), &named, static_cast<UINT>(block->size()), 1};
    // Each target is called on its own IDispatch; a page object of another
    // kind, or one that has gone, is skipped.
    auto callEach = [&params](const std::vector<JSObjectPtr>& targets, const std::wstring& member) {
        for (const JSObjectPtr& target : targets) {
            auto page = std::dynamic_pointer_cast<IDispatchAPI>(target);
            if (!page)
                continue;
            try {
                const DISPID id = page->lookupDispId(member);
                if (id == -1)
                    continue;
                com::Variant result;
                callMethod(page->getDispatch(), id, &params, &result);
            } catch (const std::exception&) {
            }
        }
    };
    callEach(handlers, std::wstring());
    callEach(sinks, utf8_to_wstring(event));
}

}  // namespace ActiveX
}  // namespace PB
