#include "ActiveXCore/AXDOM/Document.h"

#include <com/bstr.h>

#include <stdexcept>

#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ScriptingCore/DOM/Window.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {
namespace AXDOM {

namespace {
// The standard's exception carries no text; this one answers what() with it.
class document_error : public std::exception {
public:
    const char* what() const noexcept override { return "Document does not support getElementById"; }
};
}  // namespace

Document::Document(const JSObjectPtr& document, IWebBrowser2* webBrowser)
    : DOM::Node(document), AXDOM::Node(document, webBrowser), DOM::Element(document),
      AXDOM::Element(document, webBrowser), DOM::Document(document),
      m_document(com::queryInterface<IHTMLDocument2>(dispatchOf(document)))
{
}

Document::~Document() = default;

Promise<DOM::WindowPtr> Document::getWindow()
{
    com::ComPtr<IHTMLWindow2> window;
    if (!m_document || FAILED(m_document->get_parentWindow(window.put())) || !window)
        throw std::runtime_error("Could not get window");
    return Promise<DOM::WindowPtr>(DOM::Window::create(wrap(window.get())));
}

Promise<DOM::ElementPtr> Document::createElement(const std::string& tag)
{
    const com::Bstr text(utf8_to_wstring(tag));
    com::ComPtr<IHTMLElement> element;
    if (!m_document || FAILED(m_document->createElement(text.get(), element.put())) || !element)
        throw std::runtime_error("Failed to create element!");
    return Promise<DOM::ElementPtr>(DOM::Element::create(wrap(element.get())));
}

Promise<DOM::ElementPtr> Document::getElementById(const std::string& id)
{
    com::ComPtr<IHTMLDocument3> document = m_elementDispatch.query<IHTMLDocument3>();
    if (!document)
        throw document_error();
    const com::Bstr text(utf8_to_wstring(id));
    com::ComPtr<IHTMLElement> element;
    document->getElementById(text.get(), element.put());
    if (!element)
        return Promise<DOM::ElementPtr>(DOM::ElementPtr());
    return Promise<DOM::ElementPtr>(DOM::Element::create(wrap(element.get())));
}

Promise<std::vector<DOM::ElementPtr>> Document::getElementsByTagName(const std::string& tag)
{
    com::ComPtr<IHTMLDocument3> document = m_elementDispatch.query<IHTMLDocument3>();
    if (!document)
        throw std::runtime_error("Could not get element by tag name");
    const com::Bstr text(utf8_to_wstring(tag));
    com::ComPtr<IHTMLElementCollection> collection;
    if (FAILED(document->getElementsByTagName(text.get(), collection.put())))
        throw std::runtime_error("Could not get element by tag name");
    return Promise<std::vector<DOM::ElementPtr>>(elementsOf(collection.get()));
}

}  // namespace AXDOM
}  // namespace ActiveX
}  // namespace PB
