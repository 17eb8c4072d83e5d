#pragma once

#include "ActiveXCore/AXDOM/Node.h"
#include "ScriptingCore/DOM/Window.h"

namespace PB {
namespace ActiveX {
namespace AXDOM {

class Window : public virtual DOM::Window, public virtual AXDOM::Node {
public:
    // bad_cast_ext "This is not a valid Window object" for a page object
    // that is no window.
    Window(const JSObjectPtr& window, IWebBrowser2* webBrowser);
    ~Window() override;

    Promise<DOM::DocumentPtr> getDocument() override;
    void alert(const std::string& message) override;
    using DOM::Window::alert;
    // The browser's top-level address (not that of a frame's window); the
    // window's own location when there is no browser.
    Promise<std::string> getLocation() override;

private:
    com::ComPtr<IHTMLWindow2> m_window;
};

}  // namespace AXDOM
}  // namespace ActiveX
}  // namespace PB
