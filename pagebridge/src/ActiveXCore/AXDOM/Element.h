#pragma once

#include "ActiveXCore/AXDOM/Node.h"
#include "ScriptingCore/DOM/Element.h"

namespace PB {
namespace ActiveX {
namespace AXDOM {

class Element : public virtual AXDOM::Node, public virtual DOM::Element {
public:
    // bad_cast_ext "This is not a valid object" for a page object without IDispatch.
    Element(const JSObjectPtr& element, IWebBrowser2* webBrowser);
    ~Element() override;

    Promise<std::string> getInnerHTML() override;
    void setInnerHTML(const std::string& html) override;
    // An attribute the element does not have reads as the empty string.
    Promise<std::string> getAttribute(const std::string& name) override;
    Promise<std::vector<DOM::ElementPtr>> getElementsByTagName(const std::string& tag) override;
    using DOM::Element::getElementsByTagName;

protected:
    // The elements of a collection, in its order.
    std::vector<DOM::ElementPtr> elementsOf(IHTMLElementCollection* collection) const;

    com::ComPtr<IDispatch> m_elementDispatch;
};

}  // namespace AXDOM
}  // namespace ActiveX
}  // namespace PB
