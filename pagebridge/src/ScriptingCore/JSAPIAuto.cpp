#include "ScriptingCore/JSAPIAuto.h"

#include "ScriptingCore/ScopedZone.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {

namespace {

using Lock = std::lock_guard<std::recursive_mutex>;

template <typename Call>
auto withConversionError(Call call) -> decltype(call())
{
    try {
        return call();
    } catch (const bad_variant_cast& e) {
        throw invalid_arguments(std::string("Could not convert from ") + e.from + " to " + e.to);
    }
}

}  // namespace

JSAPIAuto::JSAPIAuto(const std::string& description) : JSAPIImpl(0), description(description)
{
    registerDefaultMembers();
}

JSAPIAuto::~JSAPIAuto() = default;

void JSAPIAuto::registerDefaultMembers()
{
    ScopedZone zone(*this, 0);
    // Through the virtual table at call time, so a subclass's override of
    // toString, getValid, getAttribute or setAttribute changes the member.
    JSAPIAuto::registerMethod("toString", make_method(this, &JSAPIAuto::toString));
    JSAPIAuto::registerMethod("getAttribute", make_method(this, &JSAPIAuto::getAttribute));
    JSAPIAuto::registerMethod("setAttribute", make_method(this, &JSAPIAuto::setAttribute));
    JSAPIAuto::registerProperty(
        "value", PropertyFunctors([this] { return Promise<variant>(variant(toString())); }, [](const variant&) {}));
    JSAPIAuto::registerProperty(
        "valid", PropertyFunctors([this] { return Promise<variant>(variant(getValid())); }, [](const variant&) {}));
}

bool JSAPIAuto::isAccessible(const std::string& name) const
{
    auto found = zones.find(name);
    return found != zones.end() && found->second <= getZone();
}

void JSAPIAuto::getMemberNames(std::vector<std::string>& names) const
{
    Lock lock(objectMutex());
    names.clear();
    for (const auto& entry : zones)
        if (isAccessible(entry.first))
            names.push_back(entry.first);
}

std::size_t JSAPIAuto::getMemberCount() const
{
    std::vector<std::string> names;
    getMemberNames(names);
    return names.size();
}

bool JSAPIAuto::hasMethod(std::string name) const
{
    Lock lock(objectMutex());
    return isValidObject() && methods.count(name) && isAccessible(name);
}

bool JSAPIAuto::hasProperty(std::string name) const
{
    Lock lock(objectMutex());
    return isValidObject() && (properties.count(name) || attributes.count(name));
}

bool JSAPIAuto::hasProperty(int index) const
{
    Lock lock(objectMutex());
    return isValidObject() && attributes.count(std::to_string(index));
}

Promise<variant> JSAPIAuto::getProperty(std::string name)
{
    Lock lock(objectMutex());
    if (!isValidObject())
        throw object_invalidated();
    if (isAccessible(name)) {
        auto property = properties.find(name);
        if (property != properties.end())
            return property->second.first();
        auto attribute = attributes.find(name);
        if (attribute != attributes.end())
            return Promise<variant>(attribute->second.value);
    }
    throw invalid_member(name);
}

Promise<variant> JSAPIAuto::getProperty(int index)
{
    Lock lock(objectMutex());
    if (!isValidObject())
        throw object_invalidated();
    const std::string name = std::to_string(index);
    auto attribute = attributes.find(name);
    if (attribute != attributes.end() && isAccessible(name))
        return Promise<variant>(attribute->second.value);
    throw invalid_member(name);
}

void JSAPIAuto::setProperty(std::string name, const variant& value)
{
    Lock lock(objectMutex());
    if (!isValidObject())
        throw object_invalidated();
    auto property = properties.find(name);
    if (property != properties.end()) {
        if (!isAccessible(name))
            throw invalid_member(name);
        withConversionError([&] { property->second.second(value); });
        return;
    }
    auto attribute = attributes.find(name);
    if (attribute != attributes.end() && !attribute->second.readOnly) {
        registerAttribute(name, value, false);
        return;
    }
    throw invalid_member(name);
}

void JSAPIAuto::setProperty(int index, const variant&)
{
    if (!isValidObject())
        throw object_invalidated();
    throw invalid_member(std::to_string(index));
}

void JSAPIAuto::removeProperty(std::string name)
{
    Lock lock(objectMutex());
    if (!isValidObject())
        throw object_invalidated();
    // Members cannot be deleted from the page; an accessible one stays.
    if (!isAccessible(name))
        throw invalid_member(name);
}

void JSAPIAuto::removeProperty(int index)
{
    if (!isValidObject())
        throw object_invalidated();
    throw invalid_member(std::to_string(index));
}

Promise<variant> JSAPIAuto::invoke(std::string method, const VariantList& args)
{
    return callMethod(method, [&args] { return VariantList(args); });
}

Promise<variant> JSAPIAuto::invoke(std::string method, VariantList&& args)
{
    return callMethod(method, [&args] { return std::move(args); });
}

template <typename Arguments>
Promise<variant> JSAPIAuto::callMethod(const std::string& method, Arguments arguments)
{
    Lock lock(objectMutex());
    if (!isValidObject())
        throw object_invalidated();
    if (!isAccessible(method))
        throw invalid_member(method);
    auto found = methods.find(method);
    if (found == methods.end())
        throw invalid_member(method);
    // The method's own list: copied from a caller that keeps its list, taken
    // over from one that is done with it.
    return withConversionError([&] { return found->second(arguments()); });
}

JSObjectPtr JSAPIAuto::eventAttribute(const std::string& event) const
{
    Lock lock(objectMutex());
    auto found = attributes.find(event);
    if (found == attributes.end() || !found->second.value.holds<JSObjectPtr>())
        return JSObjectPtr();
    return found->second.value.cast<JSObjectPtr>();
}

void JSAPIAuto::dispatchEvent(std::string event, const VariantList& args)
{
    JSAPIImpl::dispatchEvent(event, args);
    try {
        if (JSObjectPtr handler = eventAttribute(event))
            handler->invoke("", args);
    } catch (...) {
    }
}

void JSAPIAuto::fireEventObject(std::string event, const VariantMap& members, const VariantList& arguments)
{
    // An invalidated object fires nothing, its event attribute included.
    if (!isValidObject())
        return;
    JSAPIImpl::fireEventObject(event, members, arguments);
    JSObjectPtr handler;
    try {
        handler = eventAttribute(event);
    } catch (...) {
    }
    if (!handler)
        return;
    const VariantList eventArgs{makeEventObject(members, shared_from_this(), event, arguments)};
    try {
        handler->invoke("", eventArgs);
    } catch (...) {
    }
}

void JSAPIAuto::registerAttribute(const std::string& name, const variant& value, bool readOnly)
{
    Lock lock(objectMutex());
    attributes[name] = Attribute{value, readOnly};
    zones[name] = getZone();
}

void JSAPIAuto::unregisterMethod(const std::string& name)
{
    Lock lock(objectMutex());
    if (methods.erase(name))
        zones.erase(name);
}

void JSAPIAuto::unregisterMethod(const std::wstring& name)
{
    unregisterMethod(wstring_to_utf8(name));
}

void JSAPIAuto::registerMethod(const std::string& name, CallMethodFunctor method)
{
    Lock lock(objectMutex());
    methods[name] = std::move(method);
    zones[name] = getZone();
}

void JSAPIAuto::registerMethod(const std::wstring& name, CallMethodFunctor method)
{
    registerMethod(wstring_to_utf8(name), std::move(method));
}

void JSAPIAuto::registerProperty(const std::string& name, PropertyFunctors accessors)
{
    Lock lock(objectMutex());
    properties[name] = std::move(accessors);
    zones[name] = getZone();
}

void JSAPIAuto::registerProperty(const std::wstring& name, PropertyFunctors accessors)
{
    registerProperty(wstring_to_utf8(name), std::move(accessors));
}

void JSAPIAuto::unregisterProperty(const std::string& name)
{
    Lock lock(objectMutex());
    if (properties.erase(name))
        zones.erase(name);
}

void JSAPIAuto::unregisterProperty(const std::wstring& name)
{
    unregisterProperty(wstring_to_utf8(name));
}

std::string JSAPIAuto::toString()
{
    return description;
}

bool JSAPIAuto::getValid()
{
    return true;
}

Promise<variant> JSAPIAuto::getAttribute(const std::string& name)
{
    Lock lock(objectMutex());
    auto found = attributes.find(name);
    return Promise<variant>(found == attributes.end() ? variant() : found->second.value);
}

void JSAPIAuto::setAttribute(const std::string& name, const variant& value)
{
    Lock lock(objectMutex());
    auto found = attributes.find(name);
    if (found != attributes.end() && found->second.readOnly)
        throw script_error("Cannot set read-only property " + name);
    attributes[name] = Attribute{value, false};
    zones[name] = getZone();
}

void JSAPIAuto::unregisterAttribute(const std::string& name)
{
    Lock lock(objectMutex());
    auto found = attributes.find(name);
    if (found == attributes.end())
        return;
    if (found->second.readOnly)
        throw script_error("Cannot remove read-only property " + name);
    attributes.erase(found);
    zones.erase(name);
}

}  // namespace PB
