#include "ScriptingCore/JSAPI.h"

#include "ScriptingCore/utf8_tools.h"

namespace PB {

JSAPI::~JSAPI() = default;

void JSAPI::addEventHandler(const std::wstring& event, const JSObjectPtr& handler)
{
    addEventHandler(wstring_to_utf8(event), handler);
}

void JSAPI::addEventHandler(std::string, const JSObjectPtr&)
{
    throw script_error("Not implemented");
}

void JSAPI::removeEventHandler(const std::wstring& event, const JSObjectPtr& handler)
{
    removeEventHandler(wstring_to_utf8(event), handler);
}

void JSAPI::removeEventHandler(std::string, const JSObjectPtr&)
{
    throw script_error("Not implemented");
}

void JSAPI::addEventSink(const JSObjectPtr&)
{
    throw script_error("Not implemented");
}

void JSAPI::removeEventSink(const JSObjectPtr&)
{
    throw script_error("Not implemented");
}

void JSAPI::getMemberNames(std::vector<std::string>* names) const
{
    getMemberNames(*names);
}

void JSAPI::getMemberNames(std::vector<std::wstring>* names) const
{
    getMemberNames(*names);
}

void JSAPI::getMemberNames(std::vector<std::wstring>& names) const
{
    names.clear();
    std::vector<std::string> narrow;
    getMemberNames(narrow);
    for (const std::string& name : narrow)
        names.push_back(utf8_to_wstring(name));
}

bool JSAPI::hasMethod(const std::wstring& name) const
{
    return hasMethod(wstring_to_utf8(name));
}

bool JSAPI::hasProperty(const std::wstring& name) const
{
    return hasProperty(wstring_to_utf8(name));
}

Promise<variant> JSAPI::getProperty(const std::wstring& name)
{
    return getProperty(wstring_to_utf8(name));
}

void JSAPI::setProperty(const std::wstring& name, const variant& value)
{
    setProperty(wstring_to_utf8(name), value);
}

void JSAPI::removeProperty(const std::wstring& name)
{
    removeProperty(wstring_to_utf8(name));
}

Promise<variant> JSAPI::invoke(const std::wstring& method, const VariantList& args)
{
    return invoke(wstring_to_utf8(method), args);
}

Promise<variant> JSAPI::invoke(std::string method, VariantList&& args)
{
    return invoke(std::move(method), static_cast<const VariantList&>(args));
}

}  // namespace PB
