#pragma once
// A scriptable object whose methods, properties and attributes are
// registered by name at run time. Every name records the security zone in
// force when it was registered and is visible only at that zone or above.

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "ScriptingCore/JSAPIImpl.h"
#include "ScriptingCore/MethodWrapper.h"

namespace PB {

using GetPropertyFunctor = std::function<Promise<variant>()>;
using SetPropertyFunctor = std::function<void(const variant&)>;
using PropertyFunctors = std::pair<GetPropertyFunctor, SetPropertyFunctor>;

class JSAPIAuto : public JSAPIImpl {
public:
    struct Attribute {
        variant value;
        bool readOnly;
    };

    explicit JSAPIAuto(const std::string& description = "<JSAPI-Auto Javascript Object>");
    ~JSAPIAuto() override;

    void getMemberNames(std::vector<std::string>& names) const override;
    std::size_t getMemberCount() const override;
    bool hasMethod(std::string name) const override;
    bool hasProperty(int index) const override;
    bool hasProperty(std::string name) const override;
    Promise<variant> getProperty(int index) override;
    Promise<variant> getProperty(std::string name) override;
    void setProperty(int index, const variant& value) override;
    void setProperty(std::string name, const variant& value) override;
    void removeProperty(int index) override;
    void removeProperty(std::string name) override;
    // A kept list is copied for the method, a handed-over one taken over; a
    // subclass that overrides one of the two forms overrides both.
    Promise<variant> invoke(std::string method, const VariantList& args) override;
    Promise<variant> invoke(std::string method, VariantList&& args) override;
    PB_JSAPI_KEEP_WIDE_FORMS(JSAPIImpl);

    void dispatchEvent(std::string event, const VariantList& args) override;
    using JSAPIImpl::fireEventObject;
    void fireEventObject(std::string event, const VariantMap& members, const VariantList& arguments) override;

    virtual void registerAttribute(const std::string& name, const variant& value, bool readOnly = false);
    virtual void unregisterMethod(const std::string& name);
    virtual void unregisterMethod(const std::wstring& name);
    virtual void registerMethod(const std::string& name, CallMethodFunctor method);
    virtual void registerMethod(const std::wstring& name, CallMethodFunctor method);
    virtual void registerProperty(const std::string& name, PropertyFunctors accessors);
    virtual void registerProperty(const std::wstring& name, PropertyFunctors accessors);
    virtual void unregisterProperty(const std::string& name);
    virtual void unregisterProperty(const std::wstring& name);
    virtual std::string toString();
    virtual bool getValid();
    virtual Promise<variant> getAttribute(const std::string& name);
    virtual void setAttribute(const std::string& name, const variant& value);
    virtual void unregisterAttribute(const std::string& name);

private:
    template <typename Arguments>
    Promise<variant> callMethod(const std::string& method, Arguments arguments);
    void registerDefaultMembers();
    bool isAccessible(const std::string& name) const;
    // The event-attribute hook: the page function stored under the event's name, if any.
    JSObjectPtr eventAttribute(const std::string& event) const;

    std::map<std::string, CallMethodFunctor> methods;
    std::map<std::string, PropertyFunctors> properties;
    std::map<std::string, std::int32_t> zones;
    std::string description;
    std::map<std::string, Attribute> attributes;
};

}  // namespace PB
