#include "ActiveXCore/AXDOM/Node.h"

#include <stdexcept>

#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ActiveXCore/IDispatchAPI.h"

namespace PB {
namespace ActiveX {
namespace AXDOM {

Node::Node(const JSObjectPtr& element, IWebBrowser2* webBrowser)
    : DOM::Node(element), m_domNode(com::queryInterface<IHTMLDOMNode>(dispatchOf(element))), m_webBrowser(webBrowser)
{
}

Node::~Node() = default;

IDispatch* Node::dispatchOf(const JSObjectPtr& object)
{
    auto page = std::dynamic_pointer_cast<IDispatchAPI>(object);
    if (!page)
        return nullptr;
    try {
        return page->getDispatch();
    } catch (const std::bad_weak_ptr&) {
        return nullptr;
    }
}

std::shared_ptr<ActiveXBrowserHost> Node::host() const
{
    return std::static_pointer_cast<ActiveXBrowserHost>(DOM::hostOf(m_element));
}

JSObjectPtr Node::wrap(IDispatch* object) const
{
    if (!object)
        return JSObjectPtr();
    return IDispatchAPI::create(object, host());
}

Promise<DOM::NodePtr> Node::appendChild(DOM::NodePtr child)
{
    auto* childNode = dynamic_cast<AXDOM::Node*>(child.get());
    if (!m_domNode || !childNode || !childNode->m_domNode)
        throw std::runtime_error("failed to appendChild!");
    com::ComPtr<IHTMLDOMNode> added;
    if (FAILED(m_domNode->appendChild(childNode->m_domNode.get(), added.put())))
        throw std::runtime_error("failed to appendChild!");
    if (added)
        childNode->m_domNode = added;
    return Promise<DOM::NodePtr>(child);
}

}  // namespace AXDOM
}  // namespace ActiveX
}  // namespace PB
