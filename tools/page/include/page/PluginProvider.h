#pragma once
// What a test host plugs into the page so that scripts can create plug-in
// instances: navigator.createPlugin(mimeType, params) and
// navigator.destroyPlugin(plugin).

#include <string>

#include "page/Value.h"

namespace page {

class PluginProvider {
public:
    PluginProvider() = default;
    PluginProvider(const PluginProvider&) = delete;
    PluginProvider& operator=(const PluginProvider&) = delete;
    virtual ~PluginProvider();

    // The instance's scriptable object (normally a Host value). params is
    // an Object value (an empty one when the script gave none) read deeply:
    // arrays and plain objects by value, other objects as Refs that the
    // provider owns. Throwing refuses with an Error carrying what().
    virtual Value create(const std::string& mimeType, const Value& params) = 0;
    // The script hands back an object that create returned.
    virtual void destroy(const Value& plugin) = 0;
};

}  // namespace page
