#pragma once
// The ActiveX adapter's DOM wrappers: the generic ones, with the operations
// MSHTML offers directly through its COM interfaces replaced. Results come as
// promises already resolved.

#include <com/comptr.h>
#include <com/mshtml.h>

#include "ScriptingCore/DOM/Node.h"

namespace PB {
namespace ActiveX {

class ActiveXBrowserHost;

namespace AXDOM {

class Node : public virtual DOM::Node {
public:
    Node(const JSObjectPtr& element, IWebBrowser2* webBrowser);
    ~Node() override;

    // The child must be one of these wrappers; afterwards it stands for the
    // node the browser returned.
    Promise<DOM::NodePtr> appendChild(DOM::NodePtr child) override;

protected:
    // The IDispatch of a page object; null for an empty or dead one.
    static IDispatch* dispatchOf(const JSObjectPtr& object);
    // The host of this wrapper's page object; std::bad_weak_ptr when it has gone.
    std::shared_ptr<ActiveXBrowserHost> host() const;
    // A page object for a COM result (empty for a null one).
    JSObjectPtr wrap(IDispatch* object) const;

    com::ComPtr<IHTMLDOMNode> m_domNode;
    com::ComPtr<IWebBrowser2> m_webBrowser;
};

}  // namespace AXDOM
}  // namespace ActiveX
}  // namespace PB
