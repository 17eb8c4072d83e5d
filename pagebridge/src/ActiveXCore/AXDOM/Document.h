#pragma once

#include "ActiveXCore/AXDOM/Element.h"
#include "ScriptingCore/DOM/Document.h"

namespace PB {
namespace ActiveX {
namespace AXDOM {

class Document : public virtual AXDOM::Element, public DOM::Document {
public:
    // A page object that is no document still makes one (without the
    // document interface, whose operations then fail).
    Document(const JSObjectPtr& document, IWebBrowser2* webBrowser);
    ~Document() override;

    Promise<DOM::WindowPtr> getWindow() override;
    Promise<DOM::ElementPtr> createElement(const std::string& tag) override;
    // An empty element when no element has the id.
    Promise<DOM::ElementPtr> getElementById(const std::string& id) override;
    Promise<std::vector<DOM::ElementPtr>> getElementsByTagName(const std::string& tag) override;
    using DOM::Element::getElementsByTagName;

private:
    com::ComPtr<IHTMLDocument2> m_document;
};

}  // namespace AXDOM
}  // namespace ActiveX
}  // namespace PB
