#pragma once
// navigator.createPlugin for the COM container: the control registered for
// the MIME type is made through the module's class object, sited in the page
// (with an <object> element standing for it) by quick activation where the
// control offers it, given the page's parameters in a property bag, activated
// in place in the container window and placed there (one below the other,
// 300 x 150 each); the page gets its scripting face.

#include <memory>
#include <string>
#include <vector>

#include <com/comptr.h>
#include <com/control.h>

#include "ControlSite.h"
#include "page/PluginProvider.h"

namespace comhost {

class PageBrowser;
class ControlProxy;
class ContainerWindow;

class ControlProvider : public page::PluginProvider {
public:
    using ClassObjectFunction = HRESULT (*)(REFCLSID clsid, REFIID riid, void** object);

    // The browser's window is the container's.
    ControlProvider(const std::shared_ptr<PageBrowser>& browser, ContainerWindow& container,
                    ClassObjectFunction getClassObject);
    ~ControlProvider() override;

    // Throws std::runtime_error when no control is registered for the type or
    // it cannot be made.
    page::Value create(const std::string& mimeType, const page::Value& params) override;
    void destroy(const page::Value& plugin) override;
    // Deactivates and unsites every control still there.
    void destroyAll();
    std::size_t liveControls() const { return m_controls.size(); }

private:
    struct Control {
        com::ComPtr<IOleObject> object;
        com::ComPtr<ControlSite> site;
        std::shared_ptr<page::HostObject> face;
    };
    void tearDown(Control& control);

    std::weak_ptr<PageBrowser> m_browser;
    ContainerWindow& m_container;
    ClassObjectFunction m_getClassObject;
    std::vector<Control> m_controls;
};

}  // namespace comhost
