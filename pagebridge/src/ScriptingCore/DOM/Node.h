#pragma once
// Typed access to an object of the page. Every read answers with a promise,
// because the page may answer later or only on its own thread; page objects
// in results are wrapped again through the owning host's factories.

#include <memory>
#include <string>
#include <vector>

#include "ScriptingCore/JSObject.h"

namespace PB {
namespace DOM {

class Node;
class Element;
class Document;
class Window;
using NodePtr = std::shared_ptr<Node>;
using ElementPtr = std::shared_ptr<Element>;
using DocumentPtr = std::shared_ptr<Document>;
using WindowPtr = std::shared_ptr<Window>;

class Node : public std::enable_shared_from_this<Node> {
public:
    explicit Node(const JSObjectPtr& element) : m_element(element) {}
    virtual ~Node();

    // Wraps a page object through its owning host; an empty object gives an
    // empty pointer; a host that is gone throws std::bad_weak_ptr.
    static NodePtr create(const JSObjectPtr& obj);

    virtual JSObjectPtr getJSObject() const { return m_element; }

    template <typename T>
    Promise<T> getProperty(const std::string& name) const
    {
        return Promise<T>(m_element->getProperty(name));
    }
    template <typename T>
    Promise<T> getProperty(int index) const
    {
        return Promise<T>(m_element->getProperty(index));
    }
    template <typename T>
    Promise<T> callMethod(const std::string& name, const VariantList& args) const
    {
        return Promise<T>(m_element->invoke(name, args));
    }

    virtual Promise<NodePtr> getNode(int index);
    virtual Promise<NodePtr> getNode(const std::string& name);
    virtual Promise<NodePtr> getNode(const std::wstring& name);
    virtual void setProperty(int index, const variant& value);
    virtual void setProperty(const std::string& name, const variant& value);
    virtual void setProperty(const std::wstring& name, const variant& value);
    virtual Promise<NodePtr> appendChild(NodePtr node);

protected:
    JSObjectPtr m_element;
};

// The owning host of a page object; throws std::bad_weak_ptr when it is gone.
BrowserHostPtr hostOf(const JSObjectPtr& obj);

}  // namespace DOM
}  // namespace PB
