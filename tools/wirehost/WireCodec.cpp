// Values between the page and the wire. Going out, page objects (Refs) are
// kept under a new object id and written as "ref"; the module's own objects
// go back as "local-ref". Coming in, "ref" names a module object and
// "local-ref" a page object this host gave the module.

#include <cmath>

#include "ModuleObject.h"
#include "WireHost.h"

namespace wirehost {

namespace {

Json::Value typedRef(const char* type, std::uint32_t spawnId, std::uint32_t objectId)
{
    Json::Value ref(Json::objectValue);
    ref["$type"] = type;
    ref["data"] = Json::Value(Json::arrayValue);
    ref["data"].append(spawnId);
    ref["data"].append(objectId);
    return ref;
}

bool pairData(const Json::Value& value)
{
    const Json::Value& data = value["data"];
    return data.isArray() && data.size() >= 2 && data[0].isUInt() && data[1].isUInt();
}

}  // namespace

Json::Value WireHost::toWire(const page::Value& value, std::uint32_t browserSpawn)
{
    switch (value.type()) {
    case page::Value::Type::Undefined:
    case page::Value::Type::Null:
        return Json::Value();
    case page::Value::Type::Boolean:
        return Json::Value(value.asBoolean());
    case page::Value::Type::Number:
        return std::isfinite(value.asNumber()) ? Json::Value(value.asNumber()) : Json::Value();
    case page::Value::Type::String:
        return Json::Value(value.asString());
    case page::Value::Type::Array: {
        Json::Value list(Json::arrayValue);
        for (const page::Value& item : value.items())
            list.append(toWire(item, browserSpawn));
        return list;
    }
    case page::Value::Type::Object: {
        Json::Value object(Json::objectValue);
        for (const auto& member : value.members())
            object[member.first] = toWire(member.second, browserSpawn);
        return object;
    }
    case page::Value::Type::Ref:
        return typedRef("ref", browserSpawn, exportObject(value));
    case page::Value::Type::Host:
        if (const auto object = std::dynamic_pointer_cast<ModuleObject>(value.hostObject()))
            return typedRef("local-ref", object->spawnId(), object->objectId());
        return Json::Value();
    }
    return Json::Value();
}

page::Value WireHost::fromWire(const Json::Value& value)
{
    if (value.isString())
        return page::Value::string(value.asString());
    if (value.isBool())
        return page::Value::boolean(value.asBool());
    if (value.isNumeric())
        return page::Value::number(value.asDouble());
    if (value.isArray()) {
        std::vector<page::Value> items;
        for (const Json::Value& item : value)
            items.push_back(fromWire(item));
        return page::Value::array(std::move(items));
    }
    if (value.isObject()) {
        const std::string type = value["$type"].isString() ? value["$type"].asString() : std::string();
        if (type == "ref" && pairData(value))
            return page::Value::host(
                std::make_shared<ModuleObject>(weak_from_this(), value["data"][0].asUInt(), value["data"][1].asUInt()));
        if (type == "local-ref" && pairData(value)) {
            auto found = m_objects.find(value["data"][1].asUInt());
            return found == m_objects.end() ? page::Value::null() : found->second;
        }
        page::Value::Members members;
        for (const std::string& name : value.getMemberNames())
            members.emplace_back(name, fromWire(value[name]));
        return page::Value::object(std::move(members));
    }
    return page::Value::null();
}

}  // namespace wirehost
