#include "ScriptingCore/DOM/Window.h"

#include <stdexcept>

#include "ScriptingCore/BrowserHost.h"
#include "ScriptingCore/DOM/Document.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace DOM {

WindowPtr Window::create(const JSObjectPtr& obj)
{
    return obj ? hostOf(obj)->_createWindow(obj) : WindowPtr();
}

Promise<DocumentPtr> Window::getDocument()
{
    return getProperty<JSObjectPtr>("document").then<DocumentPtr>(&Document::create);
}

void Window::alert(const std::wstring& msg)
{
    alert(wstring_to_utf8(msg));
}

void Window::alert(const std::string& msg)
{
    m_element->invoke("alert", VariantList{variant(msg)});
}

Promise<JSObjectPtr> Window::createArray()
{
    return callMethod<JSObjectPtr>("Array", VariantList());
}

Promise<JSObjectPtr> Window::createMap()
{
    return callMethod<JSObjectPtr>("Object", VariantList());
}

Promise<std::string> Window::getLocation()
{
    // Without a location there is no address to give: the read fails
    // rather than reporting an empty one.
    return getNode("location").then<std::string>([](NodePtr location) {
        if (!location)
            throw std::runtime_error("The page has no location");
        return location->getProperty<std::string>("href");
    });
}

}  // namespace DOM
}  // namespace PB
