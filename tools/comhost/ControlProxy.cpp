#include "ControlProxy.h"

#include <com/bstr.h>

#include <cstdio>
#include <stdexcept>

#include "PageBrowser.h"

namespace comhost {

namespace {

// A failed COM call as the page's Error.
[[noreturn]] void fail(const std::string& what, HRESULT hr, const EXCEPINFO& info)
{
    if (hr == DISP_E_EXCEPTION && info.bstrDescription)
        throw std::runtime_error(com::toUtf8(com::fromBstr(info.bstrDescription)));
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    throw std::runtime_error(what + " failed: " + code);
}

HRESULT invoke(IDispatch* dispatch, IDispatchEx* dispatchEx, DISPID id, WORD flags, DISPPARAMS* params,
               VARIANT* result, EXCEPINFO* info)
{
    if (dispatchEx)
        return dispatchEx->InvokeEx(id, LOCALE_USER_DEFAULT, flags, params, result, info, nullptr);
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result, info, nullptr);
}

// A method call as script engines make it: `self` (owned by the block) in
// front of the arguments, last argument first, named DISPID_THIS.
page::Value callMethod(PageBrowser& browser, IDispatch* dispatch, IDispatchEx* dispatchEx, DISPID id,
                       const std::string& what, const page::Value& self, const std::vector<page::Value>& args)
{
    const std::size_t n = args.size();
    com::VariantArray block(n + 1);
    browser.toVariant(self, &block[0]);
    for (std::size_t i = 0; i < n; ++i)
        browser.toVariant(args[i], &block[n - i]);
    DISPID named = DISPID_THIS;
    DISPPARAMS params{block.data(), &named, static_cast<UINT>(n + 1), 1};
    com::Variant result;
    com::ExcepInfo info;
    const HRESULT hr = invoke(dispatch, dispatchEx, id, DISPATCH_METHOD, &params, &result, &info);
    if (FAILED(hr))
        fail(what, hr, info);
    return browser.fromVariant(result);
}

// A method of a plug-in object, callable from the page.
class MemberProxy : public page::HostObject {
public:
    MemberProxy(const std::shared_ptr<PageBrowser>& browser, std::shared_ptr<ControlProxy> owner,
                com::ComPtr<IDispatchEx> dispatchEx, DISPID id, std::string name)
        : m_browser(browser), m_owner(std::move(owner)), m_dispatchEx(std::move(dispatchEx)), m_id(id),
          m_name(std::move(name))
    {
    }

    page::Value get(const std::string& name) override
    {
        return name == "name" ? page::Value::string(m_name) : page::Value();
    }
    bool callable() const override { return true; }
    page::Value call(const std::vector<page::Value>& args) override
    {
        std::shared_ptr<PageBrowser> browser = m_browser.lock();
        if (!browser)
            throw std::runtime_error("The page has gone");
        return callMethod(*browser, m_owner->dispatch(), m_dispatchEx.get(), m_id, m_name, page::Value::host(m_owner),
                          args);
    }

private:
    std::weak_ptr<PageBrowser> m_browser;
    std::shared_ptr<ControlProxy> m_owner;
    com::ComPtr<IDispatchEx> m_dispatchEx;
    DISPID m_id;
    std::string m_name;
};

}  // namespace

ControlProxy::ControlProxy(const std::shared_ptr<PageBrowser>& browser, com::ComPtr<IDispatch> dispatch)
    : m_browser(browser), m_dispatch(std::move(dispatch)), m_dispatchEx(m_dispatch.query<IDispatchEx>())
{
    DISPID id;
    m_callable = lookup("", 0, &id);
}

page::Value ControlProxy::call(const std::vector<page::Value>& args)
{
    std::shared_ptr<PageBrowser> browser = m_browser.lock();
    if (!browser)
        throw std::runtime_error("The page has gone");
    return callMethod(*browser, m_dispatch.get(), m_dispatchEx.get(), DISPID_VALUE, "The object",
                      browser->page().window(), args);
}

bool ControlProxy::lookup(const std::string& name, DWORD flags, DISPID* id) const
{
    const std::wstring wide = com::fromUtf8(name);
    if (m_dispatchEx) {
        const com::Bstr text(wide);
        return SUCCEEDED(m_dispatchEx->GetDispID(text.get(), flags, id));
    }
    std::u16string text = com::toUtf16(wide);
    LPOLESTR names[] = {text.data()};
    return SUCCEEDED(m_dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id));
}

bool ControlProxy::has(const std::string& name)
{
    DISPID id;
    return lookup(name, 0, &id);
}

page::Value ControlProxy::get(const std::string& name)
{
    std::shared_ptr<PageBrowser> browser = m_browser.lock();
    DISPID id;
    if (!browser || !lookup(name, 0, &id))
        return page::Value();
    DISPPARAMS none{};
    com::Variant result;
    com::ExcepInfo info;
    const HRESULT hr = invoke(m_dispatch.get(), m_dispatchEx.get(), id, DISPATCH_PROPERTYGET, &none, &result, &info);
    if (FAILED(hr))
        fail(name, hr, info);
    if (result.vt == VT_BOOL && result.boolVal == VARIANT_TRUE)
        return page::Value::host(std::make_shared<MemberProxy>(
            browser, shared_from_this(), m_dispatchEx, id, name));
    return browser->fromVariant(result);
}

void ControlProxy::set(const std::string& name, const page::Value& value)
{
    std::shared_ptr<PageBrowser> browser = m_browser.lock();
    DISPID id;
    if (!browser || !lookup(name, fdexNameEnsure, &id))
        throw std::runtime_error("No member " + name);
    com::Variant argument;
    browser->toVariant(value, &argument);
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&argument, &named, 1, 1};
    com::ExcepInfo info;
    const HRESULT hr = invoke(m_dispatch.get(), m_dispatchEx.get(), id, DISPATCH_PROPERTYPUT, &params, nullptr, &info);
    if (FAILED(hr))
        fail(name, hr, info);
}

bool ControlProxy::remove(const std::string& name)
{
    DISPID id;
    return m_dispatchEx && lookup(name, 0, &id) && m_dispatchEx->DeleteMemberByDispID(id) == S_OK;
}

std::vector<std::string> ControlProxy::keys()
{
    std::vector<std::string> names;
    if (!m_dispatchEx)
        return names;
    DISPID id = DISPID_STARTENUM;
    for (int guard = 0; guard < 100000; ++guard) {
        DISPID next = DISPID_UNKNOWN;
        if (m_dispatchEx->GetNextDispID(fdexEnumAll, id, &next) != S_OK)
            break;
        id = next;
        com::Bstr name;
        if (SUCCEEDED(m_dispatchEx->GetMemberName(id, name.put())))
            names.push_back(com::toUtf8(name.text()));
    }
    return names;
}

}  // namespace comhost
