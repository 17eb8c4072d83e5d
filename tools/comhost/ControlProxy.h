#pragma once
// A plug-in object (the control or one of its script objects) as the page
// sees it: a host object whose reads, writes, deletions, enumeration and calls
// go through its IDispatchEx. A member that reads as the boolean true is a
// method (the plug-in answers a property read with a page promise): reading
// it gives a function that calls it. Calls go out as script engines make
// them: the `this` value (the object the method was read from) as the named
// DISPID_THIS argument in front of the arguments. An object with a default
// method (one that answers to the empty name) is a function to the page,
// called through DISPID_VALUE.

#include <memory>
#include <string>
#include <vector>

#include <com/comptr.h>
#include <com/dispatch.h>

#include "page/HostObject.h"

namespace comhost {

class PageBrowser;

class ControlProxy : public page::HostObject, public std::enable_shared_from_this<ControlProxy> {
public:
    ControlProxy(const std::shared_ptr<PageBrowser>& browser, com::ComPtr<IDispatch> dispatch);

    IDispatch* dispatch() const { return m_dispatch.get(); }

    bool has(const std::string& name) override;
    page::Value get(const std::string& name) override;
    void set(const std::string& name, const page::Value& value) override;
    bool remove(const std::string& name) override;
    std::vector<std::string> keys() override;
    bool callable() const override { return m_callable; }
    // Called as a function, `this` is the page's window.
    page::Value call(const std::vector<page::Value>& args) override;

private:
    bool lookup(const std::string& name, DWORD flags, DISPID* id) const;

    std::weak_ptr<PageBrowser> m_browser;
    com::ComPtr<IDispatch> m_dispatch;
    com::ComPtr<IDispatchEx> m_dispatchEx;
    bool m_callable = false;
};

}  // namespace comhost
