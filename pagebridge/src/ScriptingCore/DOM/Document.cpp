#include "ScriptingCore/DOM/Document.h"

#include "ScriptingCore/BrowserHost.h"
#include "ScriptingCore/DOM/Window.h"

namespace PB {
namespace DOM {

DocumentPtr Document::create(const JSObjectPtr& obj)
{
    return obj ? hostOf(obj)->_createDocument(obj) : DocumentPtr();
}

Promise<WindowPtr> Document::getWindow()
{
    return getProperty<JSObjectPtr>("window").then<WindowPtr>(&Window::create);
}

Promise<ElementPtr> Document::getHead()
{
    return getProperty<JSObjectPtr>("head").then<ElementPtr>(&Element::create);
}

Promise<ElementPtr> Document::getBody()
{
    return getProperty<JSObjectPtr>("body").then<ElementPtr>(&Element::create);
}

Promise<ElementPtr> Document::createElement(const std::string& name)
{
    return callMethod<JSObjectPtr>("createElement", VariantList{variant(name)}).then<ElementPtr>(&Element::create);
}

}  // namespace DOM
}  // namespace PB
