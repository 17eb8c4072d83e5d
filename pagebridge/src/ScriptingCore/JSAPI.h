#pragma once
// The interface of an object that the page can script: the plug-in's own
// objects and, seen from the plug-in, every page object a host hands in.
// Every operation taking a member name has a wide form that converts the name
// to UTF-8 and forwards to the narrow form.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "ScriptingCore/Promise.h"
#include "ScriptingCore/variant.h"

namespace PB {

class JSObject;
using JSObjectPtr = std::shared_ptr<JSObject>;

class JSAPI : public std::enable_shared_from_this<JSAPI> {
public:
    JSAPI() = default;
    JSAPI(const JSAPI&) = delete;
    JSAPI& operator=(const JSAPI&) = delete;
    virtual ~JSAPI();

    virtual void invalidate() = 0;
    virtual void onHostShutdown() {}

    virtual void pushZone(const int&) {}
    virtual void popZone() {}
    virtual void setDefaultZone(const int&) {}
    virtual int getDefaultZone() const { return 0; }
    virtual int getZone() const { return 0; }

    virtual void addEventHandler(const std::wstring& event, const JSObjectPtr& handler);
    virtual void addEventHandler(std::string event, const JSObjectPtr& handler);
    virtual void removeEventHandler(const std::wstring& event, const JSObjectPtr& handler);
    virtual void removeEventHandler(std::string event, const JSObjectPtr& handler);
    virtual void addEventSink(const JSObjectPtr& sink);
    virtual void removeEventSink(const JSObjectPtr& sink);

    virtual void getMemberNames(std::vector<std::string>* names) const;
    virtual void getMemberNames(std::vector<std::string>& names) const = 0;
    virtual void getMemberNames(std::vector<std::wstring>* names) const;
    virtual void getMemberNames(std::vector<std::wstring>& names) const;
    virtual std::size_t getMemberCount() const = 0;

    virtual bool hasMethod(std::string name) const = 0;
    virtual bool hasMethod(const std::wstring& name) const;
    virtual bool hasProperty(int index) const = 0;
    virtual bool hasProperty(std::string name) const = 0;
    virtual bool hasProperty(const std::wstring& name) const;

    virtual Promise<variant> getProperty(int index) = 0;
    virtual Promise<variant> getProperty(std::string name) = 0;
    virtual Promise<variant> getProperty(const std::wstring& name);
    virtual void setProperty(int index, const variant& value) = 0;
    virtual void setProperty(std::string name, const variant& value) = 0;
    virtual void setProperty(const std::wstring& name, const variant& value);
    virtual void removeProperty(int index) = 0;
    virtual void removeProperty(std::string name) = 0;
    virtual void removeProperty(const std::wstring& name);

    // An empty method name calls the object itself as a function.
    virtual Promise<variant> invoke(std::string method, const VariantList& args) = 0;
    virtual Promise<variant> invoke(const std::wstring& method, const VariantList& args);
    // The same call from a caller that is done with the arguments: an object
    // may take them over instead of copying them. By default it forwards.
    virtual Promise<variant> invoke(std::string method, VariantList&& args);

    // A subclass that overrides a narrow form names this in its class body so
    // that the wide forms stay visible through it.
#define PB_JSAPI_KEEP_WIDE_FORMS(Base)    \
    using Base::addEventHandler;          \
    using Base::removeEventHandler;       \
    using Base::getMemberNames;           \
    using Base::hasMethod;                \
    using Base::hasProperty;              \
    using Base::getProperty;              \
    using Base::setProperty;              \
    using Base::removeProperty;           \
    using Base::invoke
};

using JSAPIPtr = std::shared_ptr<JSAPI>;
using JSAPIWeakPtr = std::weak_ptr<JSAPI>;

}  // namespace PB
