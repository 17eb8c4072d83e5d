#include "page/HostObject.h"

#include <algorithm>
#include <stdexcept>

#include "page/PluginProvider.h"

namespace page {

HostObject::~HostObject() = default;

bool HostObject::has(const std::string& name)
{
    const std::vector<std::string> names = keys();
    return std::find(names.begin(), names.end(), name) != names.end();
}

void HostObject::set(const std::string& name, const Value&)
{
    throw std::runtime_error("Cannot set " + name + ": the object is read-only");
}

bool HostObject::remove(const std::string&)
{
    return false;
}

std::vector<std::string> HostObject::keys()
{
    return {};
}

Value HostObject::call(const std::vector<Value>&)
{
    throw std::runtime_error("The object is not a function");
}

PluginProvider::~PluginProvider() = default;

}  // namespace page
