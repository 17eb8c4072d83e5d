#pragma once
// A method of a plug-in object read as a value: a script function that
// calls the method on its object.

#include <memory>
#include <string>
#include <vector>

#include "page/HostObject.h"

namespace npbrowser {

class PluginObject;

class PluginMethod : public page::HostObject {
public:
    PluginMethod(std::shared_ptr<PluginObject> owner, std::string name)
        : m_owner(std::move(owner)), m_name(std::move(name))
    {
    }

    page::Value get(const std::string&) override { return page::Value(); }
    bool callable() const override { return true; }
    page::Value call(const std::vector<page::Value>& args) override;

private:
    std::shared_ptr<PluginObject> m_owner;
    std::string m_name;
};

}  // namespace npbrowser
