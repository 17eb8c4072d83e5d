#include "ScriptingCore/DOM/Node.h"

#include "ScriptingCore/BrowserHost.h"
#include "ScriptingCore/exceptions.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace DOM {

Node::~Node() = default;

BrowserHostPtr hostOf(const JSObjectPtr& obj)
{
    return BrowserHostPtr(obj->getHost());
}

NodePtr Node::create(const JSObjectPtr& obj)
{
    return obj ? hostOf(obj)->_createNode(obj) : NodePtr();
}

Promise<NodePtr> Node::getNode(int index)
{
    return getProperty<JSObjectPtr>(index).then<NodePtr>(&Node::create);
}

Promise<NodePtr> Node::getNode(const std::string& name)
{
    return getProperty<JSObjectPtr>(name).then<NodePtr>(&Node::create);
}

Promise<NodePtr> Node::getNode(const std::wstring& name)
{
    return getNode(wstring_to_utf8(name));
}

void Node::setProperty(int index, const variant& value)
{
    m_element->setProperty(index, value);
}

void Node::setProperty(const std::string& name, const variant& value)
{
    m_element->setProperty(name, value);
}

void Node::setProperty(const std::wstring& name, const variant& value)
{
    setProperty(wstring_to_utf8(name), value);
}

Promise<NodePtr> Node::appendChild(NodePtr node)
{
    if (!node)
        throw invalid_arguments();
    return callMethod<JSObjectPtr>("appendChild", VariantList{variant(node->getJSObject())})
        .then<NodePtr>(&Node::create);
}

}  // namespace DOM
}  // namespace PB
