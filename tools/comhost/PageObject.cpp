#include "PageObject.h"

#include <com/bstr.h>

#include <algorithm>

#include "PageBrowser.h"

namespace comhost {

namespace {

std::string utf8(BSTR text)
{
    return com::toUtf8(com::fromBstr(text));
}

}  // namespace

PageObject::PageObject(const std::shared_ptr<PageBrowser>& browser, page::Value ref)
    : m_browser(browser), m_ref(std::move(ref))
{
}

PageObject::~PageObject()
{
    if (std::shared_ptr<PageBrowser> b = browser()) {
        b->forget(this);
        b->page().release(m_ref);
    }
}

IUnknown* PageObject::face(REFIID)
{
    return nullptr;
}

HRESULT PageObject::QueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    IUnknown* found = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IDispatchEx)
        found = static_cast<IDispatchEx*>(this);
    else if (riid == IID_IComhostPageObject)
        found = static_cast<IComhostPageObject*>(this);
    else
        found = face(riid);
    if (!found)
        return E_NOINTERFACE;
    found->AddRef();
    *object = found;
    return S_OK;
}

ULONG PageObject::AddRef()
{
    return ++m_refs;
}

ULONG PageObject::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT PageObject::GetTypeInfoCount(UINT* count)
{
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT PageObject::GetTypeInfo(UINT, LCID, ITypeInfo**)
{
    return E_NOTIMPL;
}

HRESULT PageObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (!names || !ids)
        return E_POINTER;
    for (UINT i = 0; i < count; ++i) {
        com::Bstr name = com::Bstr::adopt(SysAllocString(names[i]));
        const HRESULT hr = GetDispID(name.get(), 0, &ids[i]);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

HRESULT PageObject::Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                           EXCEPINFO* excepInfo, UINT*)
{
    return InvokeEx(id, lcid, flags, params, result, excepInfo, nullptr);
}

HRESULT PageObject::GetDispID(BSTR name, DWORD flags, DISPID* id)
{
    if (!id)
        return E_POINTER;
    *id = DISPID_UNKNOWN;
    std::shared_ptr<PageBrowser> b = browser();
    if (!b)
        return E_UNEXPECTED;
    const std::string text = utf8(name);
    if (!(flags & fdexNameEnsure)) {
        try {
            const std::vector<std::string> keys = b->page().keys(m_ref);
            if (std::find(keys.begin(), keys.end(), text) == keys.end()) {
                const page::Value value = b->page().get(m_ref, text);
                const bool defined = !value.is(page::Value::Type::Undefined);
                b->page().release(value);
                if (!defined)
                    return DISP_E_UNKNOWNNAME;
            }
        } catch (const std::exception&) {
            return DISP_E_UNKNOWNNAME;
        }
    }
    *id = b->idOf(text);
    return S_OK;
}

HRESULT PageObject::InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                             IServiceProvider*)
{
    std::shared_ptr<PageBrowser> b = browser();
    if (!b)
        return E_UNEXPECTED;
    std::string name;
    if (id != DISPID_VALUE && !b->nameOf(id, &name))
        return DISP_E_MEMBERNOTFOUND;
    if (result)
        VariantClear(result);
    return guarded(excepInfo, [&]() -> HRESULT {
        page::Page& page = b->page();
        const UINT count = params ? params->cArgs : 0;
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            if (count < 1)
                return DISP_E_BADPARAMCOUNT;
            page.set(m_ref, name, b->fromVariant(params->rgvarg[0]));
            return S_OK;
        }
        // The named DISPID_THIS argument comes first.
        const bool hasThis = params && params->cNamedArgs > 0 && params->rgdispidNamedArgs &&
                             params->rgdispidNamedArgs[0] == DISPID_THIS && count > 0;
        const UINT first = hasThis ? 1 : 0;
        std::vector<page::Value> args;
        for (UINT i = count; i > first; --i)
            args.push_back(b->fromVariant(params->rgvarg[i - 1]));
        const page::Value self = hasThis ? b->fromVariant(params->rgvarg[0]) : page::Value();
        page::Value answer;
        bool called = false;
        if (flags & DISPATCH_METHOD) {
            if (id == DISPID_VALUE) {
                answer = page.call(m_ref, args, self);
                called = true;
            } else {
                const page::Value member = page.get(m_ref, name);
                const bool isFunction = page.isFunction(member);
                page.release(member);
                if (isFunction || !(flags & DISPATCH_PROPERTYGET)) {
                    answer = page.invoke(m_ref, name, args);
                    called = true;
                }
            }
        }
        if (!called) {
            if (!(flags & DISPATCH_PROPERTYGET))
                return DISP_E_MEMBERNOTFOUND;
            answer = id == DISPID_VALUE ? page.share(m_ref) : page.get(m_ref, name);
        }
        if (result)
            b->toVariant(answer, result);
        else
            page.release(answer);
        return S_OK;
    });
}

HRESULT PageObject::DeleteMemberByName(BSTR name, DWORD)
{
    std::shared_ptr<PageBrowser> b = browser();
    if (!b)
        return E_UNEXPECTED;
    try {
        return b->page().remove(m_ref, utf8(name)) ? S_OK : S_FALSE;
    } catch (const std::exception&) {
        return S_FALSE;
    }
}

HRESULT PageObject::DeleteMemberByDispID(DISPID id)
{
    std::shared_ptr<PageBrowser> b = browser();
    std::string name;
    if (!b || !b->nameOf(id, &name))
        return S_FALSE;
    try {
        return b->page().remove(m_ref, name) ? S_OK : S_FALSE;
    } catch (const std::exception&) {
        return S_FALSE;
    }
}

HRESULT PageObject::GetMemberProperties(DISPID, DWORD, DWORD*)
{
    return E_NOTIMPL;
}

HRESULT PageObject::GetMemberName(DISPID id, BSTR* name)
{
    if (!name)
        return E_POINTER;
    *name = nullptr;
    std::shared_ptr<PageBrowser> b = browser();
    std::string text;
    if (!b || !b->nameOf(id, &text))
        return DISP_E_UNKNOWNNAME;
    *name = com::allocBstr(com::fromUtf8(text));
    return *name ? S_OK : E_OUTOFMEMORY;
}

HRESULT PageObject::GetNextDispID(DWORD, DISPID id, DISPID* next)
{
    if (!next)
        return E_POINTER;
    std::shared_ptr<PageBrowser> b = browser();
    if (!b)
        return E_UNEXPECTED;
    try {
        const std::vector<std::string> keys = b->page().keys(m_ref);
        std::size_t at = 0;
        if (id != DISPID_STARTENUM) {
            std::string name;
            if (!b->nameOf(id, &name))
                return S_FALSE;
            auto found = std::find(keys.begin(), keys.end(), name);
            if (found == keys.end())
                return S_FALSE;
            at = static_cast<std::size_t>(found - keys.begin()) + 1;
        }
        if (at >= keys.size())
            return S_FALSE;
        *next = b->idOf(keys[at]);
        return S_OK;
    } catch (const std::exception&) {
        return S_FALSE;
    }
}

HRESULT PageObject::GetNameSpaceParent(IUnknown**)
{
    return E_NOTIMPL;
}

}  // namespace comhost
