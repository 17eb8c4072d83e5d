#include "hosts/ComBench.h"

#include <com/bstr.h>
#include <com/comptr.h>
#include <com/control.h>
#include <com/mshtml.h>
#include <com/registry.h>
#include <win32/queue.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>

#include "kit/Module.h"
#include "kit/Workspace.h"

namespace bench {

namespace {

// A page object: properties and methods by name, through IDispatch (and the
// MSHTML interface Face, when it is one).
template <typename Face>
class PageObject : public com::RefCounted<Face> {
public:
    using Getter = std::function<void(VARIANT* result)>;
    using Method = std::function<void(DISPPARAMS* params, VARIANT* result)>;

    void property(const std::u16string& name, Getter get) { member(name).get = std::move(get); }
    void method(const std::u16string& name, Method call) { member(name).call = std::move(call); }

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (riid == com::iidOf<Face>() && riid != IID_IDispatch)
            return com::answerQuery(riid, object, this, {{com::iidOf<Face>(), this}, {IID_IDispatch, this}});
        return com::answerQuery(riid, object, this, {{IID_IDispatch, this}});
    }
    HRESULT GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (count != 1)
            return E_INVALIDARG;
        auto found = m_ids.find(names[0]);
        *ids = found == m_ids.end() ? DISPID_UNKNOWN : found->second;
        return found == m_ids.end() ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT*) override
    {
        auto found = m_members.find(id);
        if (found == m_members.end())
            return DISP_E_MEMBERNOTFOUND;
        if ((flags & DISPATCH_PROPERTYGET) && found->second.get) {
            found->second.get(result);
            return S_OK;
        }
        if ((flags & DISPATCH_METHOD) && found->second.call) {
            found->second.call(params, result);
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

    // Set on page deferreds and their promises.
    std::shared_ptr<PageAnswer> settlement;

private:
    struct Member {
        Getter get;
        Method call;
    };

    Member& member(const std::u16string& name)
    {
        auto found = m_ids.find(name);
        if (found == m_ids.end())
            found = m_ids.emplace(name, static_cast<DISPID>(m_ids.size() + 1)).first;
        return m_members[found->second];
    }

    std::map<std::u16string, DISPID> m_ids;
    std::map<DISPID, Member> m_members;
};

using PlainObject = PageObject<IDispatch>;

void dispatchValue(IDispatch* object, VARIANT* out)
{
    object->AddRef();
    out->vt = VT_DISPATCH;
    out->pdispVal = object;
}

// What the promise library's PageBridgePromise makes: a deferred with its
// promise, which record what the deferred was settled with.
com::ComPtr<PlainObject> makeDeferred()
{
    auto deferred = com::ComPtr<PlainObject>::adopt(new PlainObject());
    auto promise = com::ComPtr<PlainObject>::adopt(new PlainObject());
    deferred->settlement = promise->settlement = std::make_shared<PageAnswer>();
    deferred->property(u"promise", [promise](VARIANT* out) { dispatchValue(promise.get(), out); });
    for (const bool resolved : {true, false}) {
        std::shared_ptr<PageAnswer> settlement = deferred->settlement;
        deferred->method(resolved ? u"resolve" : u"reject", [settlement, resolved](DISPPARAMS* params, VARIANT*) {
            if (settlement->settled)
                return;
            settlement->settled = true;
            settlement->resolved = resolved;
            // The first argument after the named this value comes last.
            if (!params || params->cArgs <= params->cNamedArgs)
                return;
            const VARIANT& value = params->rgvarg[params->cArgs - 1];
            if (value.vt == VT_BSTR) {
                settlement->length = SysStringByteLen(value.bstrVal);
                settlement->head =
                    com::toUtf8(com::fromUtf16(value.bstrVal, std::min<std::size_t>(SysStringLen(value.bstrVal), 200)));
            } else {
                settlement->head = "(vt " + std::to_string(value.vt) + ")";
                if (value.vt == VT_I4)
                    settlement->head = std::to_string(value.lVal);
            }
        });
    }
    return deferred;
}

class Window : public PageObject<IHTMLWindow2> {
public:
    HRESULT get_document(IHTMLDocument2** document) override
    {
        *document = m_document;
        if (m_document)
            m_document->AddRef();
        return m_document ? S_OK : E_FAIL;
    }
    HRESULT alert(BSTR) override { return S_OK; }
    // The page runs no scripts: its promise library is there from the start.
    HRESULT execScript(BSTR, BSTR, VARIANT*) override { return E_FAIL; }

    IHTMLDocument2* m_document = nullptr;  // not held: the document holds the window
};

class Document : public PageObject<IHTMLDocument2> {
public:
    explicit Document(const com::ComPtr<Window>& window) : m_window(window) {}
    HRESULT get_parentWindow(IHTMLWindow2** window) override
    {
        *window = m_window.get();
        m_window->AddRef();
        return S_OK;
    }
    HRESULT createElement(BSTR, IHTMLElement**) override { return E_NOTIMPL; }

private:
    com::ComPtr<Window> m_window;
};

class Browser : public PageObject<IWebBrowser2> {
public:
    explicit Browser(const com::ComPtr<Document>& document) : m_document(document) {}
    HRESULT Navigate(BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    HRESULT get_Document(IDispatch** document) override
    {
        dispatchOf(document);
        return S_OK;
    }
    HRESULT get_LocationURL(BSTR* url) override
    {
        *url = com::allocBstr(com::fromUtf8(kPageUrl));
        return S_OK;
    }

private:
    void dispatchOf(IDispatch** out)
    {
        *out = static_cast<IHTMLDocument2*>(m_document.get());
        (*out)->AddRef();
    }
    com::ComPtr<Document> m_document;
};

class Site : public com::RefCounted<IServiceProvider> {
public:
    explicit Site(const com::ComPtr<Browser>& browser) : m_browser(browser) {}
    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        return com::answerQuery(riid, object, this, {{IID_IServiceProvider, this}});
    }
    HRESULT QueryService(REFGUID service, REFIID riid, void** object) override
    {
        *object = nullptr;
        if (service != SID_SWebBrowserApp)
            return E_NOINTERFACE;
        return m_browser->QueryInterface(riid, object);
    }

private:
    com::ComPtr<Browser> m_browser;
};

BSTR pageString(const std::string& utf8)
{
    return com::allocBstr(com::fromUtf8(utf8));
}

void check(HRESULT hr, const std::string& what)
{
    if (FAILED(hr))
        throw std::runtime_error(what + " failed: " + std::to_string(static_cast<unsigned>(hr)));
}

// Runs the thread's queued messages; how many ran.
std::size_t pump()
{
    std::size_t count = 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageW(&message);
        ++count;
    }
    return count;
}

// The page of the one benchmark container.
struct Page {
    com::ComPtr<Window> window;
    com::ComPtr<Document> document;
    com::ComPtr<Browser> browser;
    com::ComPtr<Site> site;
};
std::unique_ptr<Page> page;

}  // namespace

ComBench::ComBench()
{
    if (page)
        throw std::logic_error("one benchmark container at a time");
    page = std::make_unique<Page>();
    page->window = com::ComPtr<Window>::adopt(new Window());
    auto location = com::ComPtr<PlainObject>::adopt(new PlainObject());
    location->property(u"href", [](VARIANT* out) {
        out->vt = VT_BSTR;
        out->bstrVal = pageString(kPageUrl);
    });
    page->window->property(u"location", [location](VARIANT* out) { dispatchValue(location.get(), out); });
    page->window->method(u"PageBridgePromise", [](DISPPARAMS*, VARIANT* out) {
        if (out)
            dispatchValue(makeDeferred().get(), out);
    });
    page->document = com::ComPtr<Document>::adopt(new Document(page->window));
    page->window->m_document = page->document.get();
    page->window->property(u"document", [](VARIANT* out) { dispatchValue(page->document.get(), out); });
    page->browser = com::ComPtr<Browser>::adopt(new Browser(page->document));
    page->site = com::ComPtr<Site>::adopt(new Site(page->browser));

    const Module& module = Module::get();
    check(module.entry<HRESULT (*)()>("DllRegisterServer")(), "DllRegisterServer");
    const auto clsidText = com::registry::getValue(com::registry::Root::ClassesRoot,
                                                   L"MIME\\Database\\Content Type\\" + com::fromUtf8(kMimeType), L"CLSID");
    CLSID clsid;
    if (!clsidText || !com::parseGuid(clsidText->text, &clsid))
        throw std::runtime_error("no control is registered for the plug-in's MIME type");
    com::ComPtr<IClassFactory> factory;
    check(module.entry<HRESULT (*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, IID_IClassFactory,
                                                                                  factory.putVoid()),
          "DllGetClassObject");
    check(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&m_control)), "CreateInstance");
    com::ComPtr<IObjectWithSite> withSite = com::queryInterface<IObjectWithSite>(m_control);
    if (!withSite)
        throw std::runtime_error("the control takes no site");
    check(withSite->SetSite(page->site.get()), "SetSite");
    check(m_control->QueryInterface(IID_IDispatchEx, reinterpret_cast<void**>(&m_face)), "IDispatchEx");

    const PageAnswer init = call("initPlugin");
    if (!init.resolved)
        throw std::runtime_error("initPlugin failed under ActiveX: " + init.head);
}

ComBench::~ComBench()
{
    if (m_face)
        m_face->Release();
    if (m_control) {
        if (com::ComPtr<IObjectWithSite> withSite = com::queryInterface<IObjectWithSite>(m_control))
            withSite->SetSite(nullptr);
        m_control->Release();
    }
    pump();
    page.reset();
}

PageAnswer ComBench::call(const Call& call)
{
    DISPID id = DISPID_UNKNOWN;
    const com::Bstr name(com::fromUtf8(call.method()));
    check(m_face->GetDispID(name.get(), fdexNameCaseSensitive, &id), "GetDispID " + call.method());
    std::vector<VARIANT>& values = call.values();
    DISPPARAMS params{values.data(), nullptr, static_cast<UINT>(values.size()), 0};
    com::Variant result;
    com::ExcepInfo error;
    check(m_face->InvokeEx(id, 0, DISPATCH_METHOD, &params, &result, &error, nullptr), call.method());
    auto* promise = result.vt == VT_DISPATCH ? dynamic_cast<PlainObject*>(result.pdispVal) : nullptr;
    if (!promise || !promise->settlement)
        throw std::runtime_error(call.method() + " gave the page no promise");
    const std::shared_ptr<PageAnswer> settlement = promise->settlement;
    while (!settlement->settled && pump() > 0) {
    }
    if (!settlement->settled)
        throw std::runtime_error(call.method() + " never settled");
    return *settlement;
}

PageAnswer ComBench::call(const std::string& method, const PageArgs& args)
{
    return call(Call(method, args));
}

ComBench::Call::Call(std::string method, const PageArgs& args) : m_method(std::move(method))
{
    m_values.resize(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) {
        VARIANT& value = m_values[args.size() - 1 - i];
        VariantInit(&value);
        if (args[i].isFlag) {
            value.vt = VT_BOOL;
            value.boolVal = args[i].flag ? VARIANT_TRUE : VARIANT_FALSE;
        } else {
            value.vt = VT_BSTR;
            value.bstrVal = pageString(*args[i].text);
            m_bytes += SysStringByteLen(value.bstrVal);
        }
    }
}

ComBench::Call::~Call()
{
    for (VARIANT& value : m_values)
        VariantClear(&value);
}

}  // namespace bench
