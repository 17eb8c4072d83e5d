#pragma once
// A page element: sizes, inner HTML, attributes and child elements.

#include "ScriptingCore/DOM/Node.h"

namespace PB {
namespace DOM {

class Element : public virtual Node {
public:
    explicit Element(const JSObjectPtr& element) : Node(element) {}

    // Wrapped by the owning host's factory (which may make its own kind).
    static ElementPtr create(const JSObjectPtr& obj);

    virtual Promise<std::string> getInnerHTML();
    virtual void setInnerHTML(const std::string& html);
    virtual Promise<int> getWidth();
    virtual void setWidth(int width);
    virtual Promise<int> getScrollWidth();
    virtual Promise<int> getHeight();
    virtual void setHeight(int height);
    virtual Promise<int> getScrollHeight();
    virtual Promise<int> getChildNodeCount();
    virtual Promise<ElementPtr> getChildNode(int index);
    virtual Promise<ElementPtr> getParentNode();
    // Plain elements around the member, never the host's own kind.
    virtual Promise<ElementPtr> getElement(int index);
    virtual Promise<ElementPtr> getElement(const std::string& name);
    virtual Promise<std::string> getAttribute(const std::string& attr);
    virtual Promise<ElementPtr> getElementById(const std::string& id);
    virtual Promise<std::vector<ElementPtr>> getElementsByTagName(const std::wstring& tag);
    virtual Promise<std::vector<ElementPtr>> getElementsByTagName(const std::string& tag);
};

}  // namespace DOM
}  // namespace PB
