#pragma once
// The page's window, document, elements and element lists through the MSHTML
// interfaces, over the page engine's objects.

#include <com/mshtml.h>

#include "PageObject.h"

namespace comhost {

class HtmlWindow final : public PageObject, public IHTMLWindow2 {
public:
    using PageObject::PageObject;
    COMHOST_PAGE_OBJECT_MEMBERS
    HRESULT get_document(IHTMLDocument2** document) override;
    HRESULT alert(BSTR message) override;
    // Runs the code as page script; its completion value is not returned.
    HRESULT execScript(BSTR code, BSTR language, VARIANT* result) override;

private:
    IUnknown* face(REFIID riid) override;
};

class HtmlDocument final : public PageObject, public IHTMLDocument2, public IHTMLDocument3 {
public:
    using PageObject::PageObject;
    COMHOST_PAGE_OBJECT_MEMBERS
    HRESULT get_parentWindow(IHTMLWindow2** window) override;
    HRESULT createElement(BSTR tag, IHTMLElement** element) override;
    HRESULT getElementById(BSTR id, IHTMLElement** element) override;
    HRESULT getElementsByTagName(BSTR tag, IHTMLElementCollection** elements) override;

private:
    IUnknown* face(REFIID riid) override;
};

class HtmlElement final : public PageObject, public IHTMLElement, public IHTMLElement2, public IHTMLDOMNode {
public:
    using PageObject::PageObject;
    COMHOST_PAGE_OBJECT_MEMBERS
    HRESULT get_innerHTML(BSTR* html) override;
    HRESULT put_innerHTML(BSTR html) override;
    HRESULT getAttribute(BSTR name, LONG flags, VARIANT* value) override;
    HRESULT getElementsByTagName(BSTR tag, IHTMLElementCollection** elements) override;
    HRESULT appendChild(IHTMLDOMNode* child, IHTMLDOMNode** added) override;

private:
    IUnknown* face(REFIID riid) override;
};

// A node list of the page.
class ElementCollection final : public PageObject, public IHTMLElementCollection {
public:
    using PageObject::PageObject;
    COMHOST_PAGE_OBJECT_MEMBERS
    HRESULT get_length(LONG* length) override;
    HRESULT item(VARIANT name, VARIANT index, IDispatch** element) override;

private:
    IUnknown* face(REFIID riid) override;
};

}  // namespace comhost
