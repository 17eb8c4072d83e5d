#pragma once
// A page of the page engine seen through the COM container's browser, and an
// ActiveX browser host sited in it, as the control would make it; and the
// HostWire tests' scriptable object, wrapped for COM.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <com/com.h>

#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ActiveXCore/IDispatchAPI.h"
#include "PluginCore/PluginCore.h"
#include "ControlSite.h"
#include "PageBrowser.h"
#include "page/Page.h"

namespace axtest {

class AxFixture : public testing::Test {
protected:
    AxFixture();
    ~AxFixture() override;

    // Runs the page and the thread's messages until neither has work.
    void idle();
    std::vector<std::string> log() const { return page.lines(page::OutputLine::Kind::Log); }

    // What the browser hands over for a script expression.
    com::ComPtr<IDispatch> pageDispatch(const std::string& expression);
    std::shared_ptr<PB::ActiveX::IDispatchAPI> pageObject(const std::string& expression);
    // Puts a COM value into the page as window[name].
    void expose(const std::string& name, const VARIANT& value);
    // The COM face of a new scriptable object of the test plug-in.
    com::ComPtr<IDispatchEx> apiWrapper(PB::JSAPIPtr* api = nullptr, bool autoRelease = true);
    // The DISPID a plug-in object's face gives the member name.
    DISPID dispId(IDispatchEx* face, const std::wstring& name);
    // Calls the member with the page expressions as arguments (a property
    // write with DISPATCH_PROPERTYPUT); a result goes to window[name].
    HRESULT call(IDispatchEx* face, const std::wstring& member, WORD flags, const std::vector<std::string>& args,
                 const std::string& name = "r");

    page::Page page;
    HWND window;
    std::shared_ptr<comhost::PageBrowser> browser;
    com::ComPtr<comhost::ControlSite> site;
    std::shared_ptr<PB::ActiveX::ActiveXBrowserHost> host;
    std::vector<std::shared_ptr<PB::PluginCore>> plugins;
};

// Settles in the page: logs "name: value" or "name failed: reason" for the
// page promise in window[name].
std::string logOutcome(const std::string& name);

}  // namespace axtest
