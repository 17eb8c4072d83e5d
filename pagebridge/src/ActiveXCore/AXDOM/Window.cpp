#include "ActiveXCore/AXDOM/Window.h"

#include <com/bstr.h>

#include <stdexcept>

#include "ScriptingCore/DOM/Document.h"
#include "ScriptingCore/exceptions.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {
namespace AXDOM {

Window::Window(const JSObjectPtr& window, IWebBrowser2* webBrowser)
    : DOM::Node(window), DOM::Window(window), AXDOM::Node(window, webBrowser),
      m_window(com::queryInterface<IHTMLWindow2>(dispatchOf(window)))
{
    if (!m_window)
        throw bad_cast_ext("This is not a valid Window object");
}

Window::~Window() = default;

Promise<DOM::DocumentPtr> Window::getDocument()
{
    com::ComPtr<IHTMLDocument2> document;
    if (FAILED(m_window->get_document(document.put())) || !document)
        throw std::runtime_error("Could not get document");
    return Promise<DOM::DocumentPtr>(DOM::Document::create(wrap(document.get())));
}

void Window::alert(const std::string& message)
{
    const com::Bstr text(utf8_to_wstring(message));
    m_window->alert(text.get());
}

Promise<std::string> Window::getLocation()
{
    if (!m_webBrowser)
        return DOM::Window::getLocation();
    com::Bstr url;
    if (FAILED(m_webBrowser->get_LocationURL(url.put())))
        return Promise<std::string>(std::string());
    return Promise<std::string>(wstring_to_utf8(url.text()));
}

}  // namespace AXDOM
}  // namespace ActiveX
}  // namespace PB
