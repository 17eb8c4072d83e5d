#include "ActiveXCore/AXDOM/Element.h"

#include <com/bstr.h>

#include <win32/kernel.h>

#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ScriptingCore/exceptions.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {
namespace AXDOM {

namespace {

// Text for MSHTML's markup: widened with the thread's code page.
std::wstring fromThreadCodePage(const std::string& text)
{
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_THREAD_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
    return wide;
}

}  // namespace

Element::Element(const JSObjectPtr& element, IWebBrowser2* webBrowser)
    : DOM::Node(element), AXDOM::Node(element, webBrowser), DOM::Element(element),
      m_elementDispatch(dispatchOf(element))
{
    if (!m_elementDispatch)
        throw bad_cast_ext("This is not a valid object");
}

Element::~Element() = default;

Promise<std::string> Element::getInnerHTML()
{
    com::ComPtr<IHTMLElement> element = m_elementDispatch.query<IHTMLElement>();
    com::Variant html;
    if (!element || FAILED(element->get_innerHTML(&html.bstrVal)))
        throw script_error("Could not get innerhtml");
    html.vt = VT_BSTR;
    return Promise<std::string>(host()->getVariant(&html).convert_cast<std::string>());
}

void Element::setInnerHTML(const std::string& html)
{
    com::ComPtr<IHTMLElement> element = m_elementDispatch.query<IHTMLElement>();
    const com::Bstr text(fromThreadCodePage(html));
    if (!element || FAILED(element->put_innerHTML(text.get())))
        throw script_error("Could not set innerHtml");
}

Promise<std::string> Element::getAttribute(const std::string& name)
{
    com::ComPtr<IHTMLElement> element = m_elementDispatch.query<IHTMLElement>();
    if (!element)
        return DOM::Node::getProperty<std::string>(name);
    const com::Bstr text(utf8_to_wstring(name));
    com::Variant value;
    element->getAttribute(text.get(), 0, &value);
    const variant read = host()->getVariant(&value);
    if (read.empty() || read.is_null())
        return Promise<std::string>(std::string());
    return Promise<std::string>(read.convert_cast<std::string>());
}

std::vector<DOM::ElementPtr> Element::elementsOf(IHTMLElementCollection* collection) const
{
    std::vector<DOM::ElementPtr> elements;
    LONG length = 0;
    if (!collection || FAILED(collection->get_length(&length)) || length <= 0)
        return elements;
    for (LONG i = 0; i < length; ++i) {
        VARIANT index;
        VariantInit(&index);
        index.vt = VT_I4;
        index.lVal = i;
        com::ComPtr<IDispatch> item;
        if (SUCCEEDED(collection->item(index, index, item.put())) && item)
            elements.push_back(DOM::Element::create(wrap(item.get())));
    }
    return elements;
}

Promise<std::vector<DOM::ElementPtr>> Element::getElementsByTagName(const std::string& tag)
{
    const com::Bstr text(utf8_to_wstring(tag));
    com::ComPtr<IHTMLElementCollection> collection;
    HRESULT hr = E_NOINTERFACE;
    if (com::ComPtr<IHTMLElement2> element = m_elementDispatch.query<IHTMLElement2>())
        hr = element->getElementsByTagName(text.get(), collection.put());
    else if (com::ComPtr<IHTMLDocument3> document = m_elementDispatch.query<IHTMLDocument3>())
        hr = document->getElementsByTagName(text.get(), collection.put());
    else
        throw std::runtime_error("Could not get element by tag name");
    if (FAILED(hr))
        throw std::runtime_error("Could not get element by tag name");
    return Promise<std::vector<DOM::ElementPtr>>(elementsOf(collection.get()));
}

}  // namespace AXDOM
}  // namespace ActiveX
}  // namespace PB
