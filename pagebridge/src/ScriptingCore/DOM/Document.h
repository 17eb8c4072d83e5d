#pragma once
// The page's document.

#include "ScriptingCore/DOM/Element.h"

namespace PB {
namespace DOM {

class Document : public virtual Element {
public:
    explicit Document(const JSObjectPtr& element) : Node(element), Element(element) {}

    static DocumentPtr create(const JSObjectPtr& obj);

    virtual Promise<WindowPtr> getWindow();
    virtual Promise<ElementPtr> getHead();
    virtual Promise<ElementPtr> getBody();
    virtual Promise<ElementPtr> createElement(const std::string& name);
};

}  // namespace DOM
}  // namespace PB
