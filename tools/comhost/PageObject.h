#pragma once
// A page object through IDispatchEx: names become DISPIDs of the browser,
// property reads and writes, calls (DISPID_VALUE calls the object itself,
// with the named DISPID_THIS argument as `this`), deletion and enumeration
// go to the page. A script error comes back as DISP_E_EXCEPTION with its
// text. The object owns one handle of its page object.

#include <memory>
#include <string>

#include <com/bstr.h>
#include <com/dispatch.h>

#include "page/Value.h"

// Answered only by the container's own page objects.
struct IComhostPageObject : IUnknown {};
COM_DECLARE_IID(IComhostPageObject, {0x51A0C3D7, 0x2E84, 0x4B19, {0x8F, 0x6D, 0x13, 0xC9, 0x70, 0xA2, 0x5B, 0xE4}})

namespace comhost {

class PageBrowser;

class PageObject : public IDispatchEx, public IComhostPageObject {
public:
    PageObject(const std::shared_ptr<PageBrowser>& browser, page::Value ref);

    const page::Value& ref() const { return m_ref; }

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetTypeInfoCount(UINT* count) override;
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* excepInfo, UINT* argErr) override;
    HRESULT GetDispID(BSTR name, DWORD flags, DISPID* id) override;
    HRESULT InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                     IServiceProvider* caller) override;
    HRESULT DeleteMemberByName(BSTR name, DWORD flags) override;
    HRESULT DeleteMemberByDispID(DISPID id) override;
    HRESULT GetMemberProperties(DISPID id, DWORD fetch, DWORD* properties) override;
    HRESULT GetMemberName(DISPID id, BSTR* name) override;
    HRESULT GetNextDispID(DWORD flags, DISPID id, DISPID* next) override;
    HRESULT GetNameSpaceParent(IUnknown** parent) override;

protected:
    virtual ~PageObject();
    // The faces a kind of page object adds (MSHTML interfaces); null for none.
    virtual IUnknown* face(REFIID riid);
    std::shared_ptr<PageBrowser> browser() const { return m_browser.lock(); }
    // Runs a page operation; a script error fills the record and answers
    // DISP_E_EXCEPTION.
    template <typename F>
    HRESULT guarded(EXCEPINFO* excepInfo, F f);

private:
    std::weak_ptr<PageBrowser> m_browser;
    page::Value m_ref;
    ULONG m_refs = 1;
};

template <typename F>
HRESULT PageObject::guarded(EXCEPINFO* excepInfo, F f)
{
    try {
        return f();
    } catch (const std::exception& e) {
        if (excepInfo) {
            com::clearExcepInfo(excepInfo);
            excepInfo->bstrSource = com::allocBstr(L"comhost");
            excepInfo->bstrDescription = com::allocBstr(com::fromUtf8(e.what()));
            excepInfo->scode = E_FAIL;
        }
        return DISP_E_EXCEPTION;
    }
}

// A kind of page object with further IDispatch-based interfaces answers their
// IUnknown and IDispatch members with those of the page object.
#define COMHOST_PAGE_OBJECT_MEMBERS                                                                              \
    HRESULT QueryInterface(REFIID riid, void** object) override { return PageObject::QueryInterface(riid, object); } \
    ULONG AddRef() override { return PageObject::AddRef(); }                                                        \
    ULONG Release() override { return PageObject::Release(); }                                                      \
    HRESULT GetTypeInfoCount(UINT* count) override { return PageObject::GetTypeInfoCount(count); }                  \
    HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override                                          \
    {                                                                                                              \
        return PageObject::GetTypeInfo(index, lcid, info);                                                         \
    }                                                                                                              \
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override                \
    {                                                                                                              \
        return PageObject::GetIDsOfNames(riid, names, count, lcid, ids);                                           \
    }                                                                                                              \
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,             \
                   EXCEPINFO* excepInfo, UINT* argErr) override                                                    \
    {                                                                                                              \
        return PageObject::Invoke(id, riid, lcid, flags, params, result, excepInfo, argErr);                       \
    }

}  // namespace comhost
