#include "HtmlObjects.h"

#include <com/bstr.h>
#include <com/comptr.h>

#include "PageBrowser.h"

namespace comhost {

namespace {

std::string utf8(BSTR text)
{
    return com::toUtf8(com::fromBstr(text));
}

// The face of a page value (a Ref taken over) as an interface; null for a
// page null.
template <typename Interface>
HRESULT pageResult(PageBrowser& browser, const page::Value& value, Interface** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (!value.is(page::Value::Type::Ref))
        return S_OK;
    com::ComPtr<IDispatch> object = browser.wrap(value);
    return object ? object->QueryInterface(com::iidOf<Interface>(), reinterpret_cast<void**>(out)) : E_FAIL;
}

HRESULT collectionResult(PageBrowser& browser, const page::Value& value, IHTMLElementCollection** out)
{
    return pageResult(browser, value, out);
}

}  // namespace

IUnknown* HtmlWindow::face(REFIID riid)
{
    return riid == IID_IHTMLWindow2 ? static_cast<IHTMLWindow2*>(this) : nullptr;
}

HRESULT HtmlWindow::get_document(IHTMLDocument2** document)
{
    auto b = browser();
    if (!b)
        return E_UNEXPECTED;
    return guarded(nullptr, [&] { return pageResult(*b, b->page().get(ref(), "document"), document); });
}

HRESULT HtmlWindow::alert(BSTR message)
{
    auto b = browser();
    if (!b)
        return E_UNEXPECTED;
    return guarded(nullptr, [&] {
        b->page().release(b->page().invoke(ref(), "alert", {page::Value::string(utf8(message))}));
        return S_OK;
    });
}

HRESULT HtmlWindow::execScript(BSTR code, BSTR, VARIANT* result)
{
    auto b = browser();
    if (!b)
        return E_UNEXPECTED;
    if (result)
        VariantInit(result);
    try {
        b->page().run(utf8(code), "execScript");
        return S_OK;
    } catch (const std::exception&) {
        return E_FAIL;
    }
}

IUnknown* HtmlDocument::face(REFIID riid)
{
    if (riid == IID_IHTMLDocument2)
        return static_cast<IHTMLDocument2*>(this);
    if (riid == IID_IHTMLDocument3)
        return static_cast<IHTMLDocument3*>(this);
    return nullptr;
}

HRESULT HtmlDocument::get_parentWindow(IHTMLWindow2** window)
{
    auto b = browser();
    if (!b)
        return E_UNEXPECTED;
    return guarded(nullptr, [&] { return pageResult(*b, b->page().window(), window); });
}

HRESULT HtmlDocument::createElement(BSTR tag, IHTMLElement** element)
{
    auto b = browser();
    if (!b)
        return E_UNEXPECTED;
    return guarded(nullptr, [&] {
        return pageResult(*b, b->page().invoke(ref(), "createElement", {page::Value::string(utf8(tag))}), element);
    });
}

HRESULT HtmlDocument::getElementById(BSTR id, IHTMLElement** element)
{
    auto b = browser();
    if (!b)
        return E_UNEXPECTED;
    return guarded(nullptr, [&] {
        return pageResult(*b, b->page().invoke(ref(), "getElementById", {page::Value::string(utf8(id))}), element);
    });
}

HRESULT HtmlDocument::getElementsByTagName(BSTR tag, IHTMLElementCollection** elements)
{
    auto b = browser();
    if (!b)
        return E_UNEXPECTED;
    return guarded(nullptr, [&] {
        return collectionResult(
            *b, b->page().invoke(ref(), "getElementsByTagName", {page::Value::string(utf8(tag))}), elements);
    });
}

IUnknown* HtmlElement::face(REFIID riid)
{
    if (riid == IID_IHTMLElement)
        return static_cast<IHTMLElement*>(this);
    if (riid == IID_IHTMLElement2)
        return static_cast<IHTMLElement2*>(this);
    if (riid == IID_IHTMLDOMNode)
        return static_cast<IHTMLDOMNode*>(this);
    return nullptr;
}

HRESULT HtmlElement::get_innerHTML(BSTR* html)
{
    auto b = browser();
    if (!b || !html)
        return E_POINTER;
    return guarded(nullptr, [&] {
        const page::Value value = b->page().get(ref(), "innerHTML");
        *html = com::allocBstr(com::fromUtf8(value.is(page::Value::Type::String) ? value.asString() : ""));
        return S_OK;
    });
}

HRESULT HtmlElement::put_innerHTML(BSTR html)
{
    auto b = browser();
    if (!b)
        return E_UNEXPECTED;
    return guarded(nullptr, [&] {
        b->page().set(ref(), "innerHTML", page::Value::string(utf8(html)));
        return S_OK;
    });
}

HRESULT HtmlElement::getAttribute(BSTR name, LONG, VARIANT* value)
{
    auto b = browser();
    if (!b || !value)
        return E_POINTER;
    VariantInit(value);
    return guarded(nullptr, [&] {
        b->toVariant(b->page().invoke(ref(), "getAttribute", {page::Value::string(utf8(name))}), value);
        return S_OK;
    });
}

HRESULT HtmlElement::getElementsByTagName(BSTR tag, IHTMLElementCollection** elements)
{
    auto b = browser();
    if (!b)
        return E_UNEXPECTED;
    return guarded(nullptr, [&] {
        return collectionResult(
            *b, b->page().invoke(ref(), "getElementsByTagName", {page::Value::string(utf8(tag))}), elements);
    });
}

HRESULT HtmlElement::appendChild(IHTMLDOMNode* child, IHTMLDOMNode** added)
{
    auto b = browser();
    if (!b || !added)
        return E_POINTER;
    *added = nullptr;
    com::ComPtr<IComhostPageObject> own = com::queryInterface<IComhostPageObject>(child);
    auto* node = dynamic_cast<PageObject*>(own.get());
    if (!node)
        return E_INVALIDARG;
    return guarded(nullptr, [&] {
        return pageResult(*b, b->page().invoke(ref(), "appendChild", {node->ref()}), added);
    });
}

IUnknown* ElementCollection::face(REFIID riid)
{
    return riid == IID_IHTMLElementCollection ? static_cast<IHTMLElementCollection*>(this) : nullptr;
}

HRESULT ElementCollection::get_length(LONG* length)
{
    auto b = browser();
    if (!b || !length)
        return E_POINTER;
    return guarded(nullptr, [&] {
        const page::Value value = b->page().get(ref(), "length");
        *length = value.is(page::Value::Type::Number) ? static_cast<LONG>(value.asNumber()) : 0;
        return S_OK;
    });
}

HRESULT ElementCollection::item(VARIANT name, VARIANT index, IDispatch** element)
{
    auto b = browser();
    if (!b || !element)
        return E_POINTER;
    *element = nullptr;
    const VARIANT& which = name.vt == VT_EMPTY ? index : name;
    com::Variant number;
    if (FAILED(VariantChangeType(&number, &which, 0, VT_I4)))
        return E_INVALIDARG;
    return guarded(nullptr, [&] {
        return pageResult(*b, b->page().invoke(ref(), "item", {page::Value::number(number.lVal)}), element);
    });
}

}  // namespace comhost
