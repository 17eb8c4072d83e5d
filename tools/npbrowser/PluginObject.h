#pragma once
// An NPObject of the plug-in as the page sees it: member tests, reads,
// writes, deletions and enumeration go to the object's class the way a
// browser's script binding sends them; a member the class calls a method
// reads as a callable PluginMethod. The wrapper holds one reference, given
// back when the page lets the wrapper go, or at once when the browser drops
// it (its instance was destroyed, the browser closes); a dropped wrapper
// refuses every operation.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <npapi/npruntime.h>

#include "page/HostObject.h"

namespace npbrowser {

class NpBrowser;
class PluginMethod;

class PluginObject : public page::HostObject, public std::enable_shared_from_this<PluginObject> {
public:
    // Takes over one reference to obj.
    PluginObject(std::weak_ptr<NpBrowser> browser, NPObject* obj);
    ~PluginObject() override;

    bool has(const std::string& name) override;
    page::Value get(const std::string& name) override;
    void set(const std::string& name, const page::Value& value) override;
    bool remove(const std::string& name) override;
    std::vector<std::string> keys() override;

    // Calls a method of the object (the empty name: the object itself).
    page::Value invoke(const std::string& method, const std::vector<page::Value>& args);

    // The object while the wrapper holds it, else null.
    NPObject* object() const { return m_obj; }
    // Gives the reference back now.
    void drop();

private:
    // The browser and the object, or std::runtime_error when either is gone.
    NpBrowser& live(NPObject*& obj) const;

    std::weak_ptr<NpBrowser> m_browser;
    NPObject* m_obj;
    // The object the wrapper was made for, to find its entry; never used once dropped.
    NPObject* m_key;
    // Methods read once stay the same function while the page holds them.
    std::map<std::string, std::weak_ptr<PluginMethod>> m_methods;
};

}  // namespace npbrowser
