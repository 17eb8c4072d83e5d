#pragma once
// navigator.createPlugin for the COM container: the control registered for
// the MIME type is made through the module's class object, sited in the page
// (with an <object> element standing for it), given the page's parameters in
// a property bag and activated in place; the page gets its scripting face.

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

class ControlProvider : public page::PluginProvider {
public:
    using ClassObjectFunction = HRESULT (*)(REFCLSID clsid, REFIID riid, void** object);

    ControlProvider(const std::shared_ptr<PageBrowser>& browser, ClassObjectFunction getClassObject);
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
    static void tearDown(Control& control);

    std::weak_ptr<PageBrowser> m_browser;
    ClassObjectFunction m_getClassObject;
    std::vector<Control> m_controls;
};

}  // namespace comhost
