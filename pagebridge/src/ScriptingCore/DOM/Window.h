#pragma once
// The page's window.

#include "ScriptingCore/DOM/Node.h"

namespace PB {
namespace DOM {

class Window : public virtual Node {
public:
    explicit Window(const JSObjectPtr& element) : Node(element) {}

    static WindowPtr create(const JSObjectPtr& obj);

    virtual Promise<DocumentPtr> getDocument();
    virtual void alert(const std::wstring& msg);
    virtual void alert(const std::string& msg);
    virtual Promise<JSObjectPtr> createArray();
    virtual Promise<JSObjectPtr> createMap();
    // The page's address: "href" of the window's "location".
    virtual Promise<std::string> getLocation();
};

}  // namespace DOM
}  // namespace PB
