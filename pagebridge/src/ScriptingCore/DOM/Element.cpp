#include "ScriptingCore/DOM/Element.h"

#include "ScriptingCore/BrowserHost.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace DOM {

namespace {

ElementPtr plainElement(const JSObjectPtr& obj)
{
    return obj ? std::make_shared<Element>(obj) : ElementPtr();
}

}  // namespace

ElementPtr Element::create(const JSObjectPtr& obj)
{
    return obj ? hostOf(obj)->_createElement(obj) : ElementPtr();
}

Promise<std::string> Element::getInnerHTML()
{
    return getProperty<std::string>("innerHTML");
}

void Element::setInnerHTML(const std::string& html)
{
    setProperty("innerHTML", variant(html));
}

Promise<int> Element::getWidth()
{
    return getProperty<int>("width");
}

void Element::setWidth(int width)
{
    setProperty("width", variant(width));
}

Promise<int> Element::getScrollWidth()
{
    return getProperty<int>("scrollWidth");
}

Promise<int> Element::getHeight()
{
    return getProperty<int>("height");
}

void Element::setHeight(int height)
{
    setProperty("height", variant(height));
}

Promise<int> Element::getScrollHeight()
{
    return getProperty<int>("scrollHeight");
}

Promise<int> Element::getChildNodeCount()
{
    // An element without "childNodes" has no children.
    return getNode("childNodes").then<int>([](NodePtr nodes) {
        return nodes ? nodes->getProperty<int>("length") : Promise<int>(0);
    });
}

Promise<ElementPtr> Element::getChildNode(int index)
{
    return getElement("childNodes").then<ElementPtr>([index](ElementPtr nodes) {
        return nodes ? nodes->getElement(index) : Promise<ElementPtr>(ElementPtr());
    });
}

Promise<ElementPtr> Element::getParentNode()
{
    return getElement("parentNode");
}

Promise<ElementPtr> Element::getElement(int index)
{
    return getProperty<JSObjectPtr>(index).then<ElementPtr>(&plainElement);
}

Promise<ElementPtr> Element::getElement(const std::string& name)
{
    return getProperty<JSObjectPtr>(name).then<ElementPtr>(&plainElement);
}

Promise<std::string> Element::getAttribute(const std::string& attr)
{
    return callMethod<std::string>("getAttribute", VariantList{variant(attr)});
}

Promise<ElementPtr> Element::getElementById(const std::string& id)
{
    return callMethod<JSObjectPtr>("getElementById", VariantList{variant(id)}).then<ElementPtr>(&Element::create);
}

Promise<std::vector<ElementPtr>> Element::getElementsByTagName(const std::wstring& tag)
{
    return getElementsByTagName(wstring_to_utf8(tag));
}

Promise<std::vector<ElementPtr>> Element::getElementsByTagName(const std::string& tag)
{
    return callMethod<std::vector<JSObjectPtr>>("getElementsByTagName", VariantList{variant(tag)})
        .then<std::vector<ElementPtr>>([](std::vector<JSObjectPtr> objects) {
            std::vector<ElementPtr> elements;
            elements.reserve(objects.size());
            for (const JSObjectPtr& obj : objects)
                elements.push_back(Element::create(obj));
            return elements;
        });
}

}  // namespace DOM
}  // namespace PB
