#include "HostWire/WireValues.h"

#include <functional>
#include <map>
#include <typeindex>

#include "HostWire/AlienLarvae.h"
#include "HostWire/AlienWireling.h"
#include "HostWire/WireBrowserHost.h"
#include "HostWire/WireColony.h"
#include "ScriptingCore/JSObject.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace HostWire {

namespace {

using HostPtr = std::shared_ptr<WireBrowserHost>;
using Encoder = variant (*)(variant, const HostPtr&);

VariantMap typedMap(const char* type, const char* payloadName, variant payload)
{
    return VariantMap{{"$type", variant(type)}, {payloadName, std::move(payload)}};
}

variant refMap(const char* type, unsigned int spawnId, unsigned int objectId)
{
    return variant(typedMap(type, "data", variant(VariantList{variant(spawnId), variant(objectId)})));
}

variant errorMap(const std::string& message)
{
    return variant(typedMap("error", "message", variant(message.empty() ? "Unknown exception" : message)));
}

variant encodePlainValue(variant value, const HostPtr&)
{
    return value;
}

// The elements are taken out of the list, which is the encoder's own.
variant encodeVariantList(variant value, const HostPtr& host)
{
    VariantList encoded;
    VariantList& list = *value.get_if<VariantList>();
    encoded.reserve(list.size());
    for (variant& element : list)
        encoded.push_back(encodeValue(std::move(element), host));
    return variant(std::move(encoded));
}

variant encodeVariantMap(variant value, const HostPtr& host)
{
    VariantMap encoded;
    for (auto& member : *value.get_if<VariantMap>())
        encoded[member.first] = encodeValue(std::move(member.second), host);
    return variant(std::move(encoded));
}

// A plug-in object gets the host's next object id, every time it is written.
variant makeObjectRef(variant value, const HostPtr& host)
{
    if (!host)
        return value;
    const JSAPIPtr object = value.cast<JSAPIPtr>();
    if (!object)
        return variant(PBNull());
    const LocalWireling record = host->registerNewObject(object);
    return refMap("ref", host->getSpawnId(), record.getId());
}

variant makePairRef(variant value, const HostPtr&)
{
    const auto ids = value.cast<std::pair<unsigned int, unsigned int>>();
    return refMap("ref", ids.first, ids.second);
}

variant encodeJSObject(variant value, const HostPtr& host)
{
    const JSObjectPtr object = value.cast<JSObjectPtr>();
    if (const auto page = std::dynamic_pointer_cast<AlienWireling>(object))
        return refMap("local-ref", page->getSpawnId(), page->getObjectId());
    return makeObjectRef(variant(std::static_pointer_cast<JSAPI>(object)), host);
}

variant encodeException(variant value, const HostPtr&)
{
    return errorMap(value.cast<std::exception>().what());
}

variant encodeExceptionPtr(variant value, const HostPtr&)
{
    const std::exception_ptr error = value.cast<std::exception_ptr>();
    if (!error)
        return errorMap("");
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return errorMap(e.what());
    } catch (...) {
        return errorMap("");
    }
}

const std::map<std::type_index, Encoder>& encoderTable()
{
    static const std::map<std::type_index, Encoder> table = {
        {typeid(bool), encodePlainValue},
        {typeid(char), encodePlainValue},
        {typeid(unsigned char), encodePlainValue},
        {typeid(short), encodePlainValue},
        {typeid(unsigned short), encodePlainValue},
        {typeid(int), encodePlainValue},
        {typeid(unsigned int), encodePlainValue},
        {typeid(long), encodePlainValue},
        {typeid(unsigned long), encodePlainValue},
        {typeid(long long), encodePlainValue},
        {typeid(unsigned long long), encodePlainValue},
        {typeid(float), encodePlainValue},
        {typeid(double), encodePlainValue},
        {typeid(std::string), encodePlainValue},
        {typeid(std::wstring), encodePlainValue},
        {typeid(PBNull), encodePlainValue},
        {typeid(variant_detail::empty), encodePlainValue},
        {typeid(VariantList), encodeVariantList},
        {typeid(VariantMap), encodeVariantMap},
        {typeid(JSAPIPtr), makeObjectRef},
        {typeid(JSObjectPtr), encodeJSObject},
        {typeid(std::exception), encodeException},
        {typeid(std::exception_ptr), encodeExceptionPtr},
        {typeid(std::pair<unsigned int, unsigned int>), makePairRef},
    };
    return table;
}

}  // namespace

variant encodeValue(variant value, const std::shared_ptr<WireBrowserHost>& host)
{
    auto encoder = encoderTable().find(std::type_index(value.get_type()));
    if (encoder == encoderTable().end())
        return value;
    return encoder->second(std::move(value), host);
}

Json::Value variantToJson(const variant& value)
{
    // Text goes into the JSON value straight from the variant, not through a copy.
    if (const std::string* text = value.get_if<std::string>())
        return Json::Value(*text);
    // Wide text and 64-bit integers are written as what they hold, not lost.
    if (value.holds<std::wstring>())
        return Json::Value(wstring_to_utf8(value.cast<std::wstring>()));
    if (const VariantMap* map = value.get_if<VariantMap>()) {
        Json::Value object(Json::objectValue);
        for (const auto& member : *map)
            object[member.first] = variantToJson(member.second);
        return object;
    }
    if (const VariantList* list = value.get_if<VariantList>()) {
        Json::Value array(Json::arrayValue);
        for (const variant& element : *list)
            array.append(variantToJson(element));
        return array;
    }
    if (value.holds<int>() || value.holds<char>() || value.holds<short>() || value.holds<long>() ||
        value.holds<long long>())
        return Json::Value(static_cast<Json::Int64>(value.convert_cast<long long>()));
    if (value.holds<unsigned int>() || value.holds<unsigned short>() || value.holds<unsigned char>() ||
        value.holds<unsigned long>() || value.holds<unsigned long long>())
        return Json::Value(static_cast<Json::UInt64>(value.convert_cast<unsigned long long>()));
    if (value.holds<double>() || value.holds<float>())
        return Json::Value(value.convert_cast<double>());
    if (value.holds<bool>())
        return Json::Value(value.cast<bool>());
    return Json::Value();
}

variant jsonToVariant(const Json::Value& value, WireColony& colony)
{
    if (value.isString())
        return variant(value.asString());
    if (value.isBool())
        return variant(value.asBool());
    if (value.isNumeric())
        return variant(value.asDouble());
    if (value.isNull())
        return variant(PBNull());
    if (value.isArray()) {
        VariantList list;
        for (const Json::Value& element : value)
            list.push_back(jsonToVariant(element, colony));
        return variant(std::move(list));
    }
    return decodeTypedObject(value, colony);
}

variant jsonToVariantPlain(const Json::Value& value)
{
    if (value.isString())
        return variant(value.asString());
    if (value.isBool())
        return variant(value.asBool());
    if (value.isNumeric())
        return variant(value.asDouble());
    if (value.isNull())
        return variant(PBNull());
    if (value.isArray()) {
        VariantList list;
        for (const Json::Value& element : value)
            list.push_back(jsonToVariantPlain(element));
        return variant(std::move(list));
    }
    VariantMap map;
    for (const std::string& name : value.getMemberNames())
        map[name] = jsonToVariantPlain(value[name]);
    return variant(std::move(map));
}

variant jsonObjectToVariantMap(const Json::Value& object, WireColony& colony)
{
    VariantMap map;
    for (const std::string& name : object.getMemberNames())
        map[name] = jsonToVariant(object[name], colony);
    return variant(std::move(map));
}

variant decodeTypedObject(const Json::Value& object, WireColony& colony)
{
    if (!object.isMember("$type"))
        return jsonObjectToVariantMap(object, colony);
    const std::string type = object["$type"].asString();
    const Json::Value& data = object["data"];
    const bool pairData = object.isMember("data") && data.isArray() && data.size() >= 2;
    if (type == "ref" && pairData)
        return variant(colony.getAlienLarvae(data[0].asUInt(), data[1].asUInt()));
    if (type == "local-ref" && pairData)
        return variant(std::make_pair(data[0].asUInt(), data[1].asUInt()));
    if (type == "json" && object.isMember("data"))
        return jsonToVariantPlain(data);
    if (type == "binary")
        return variant();
    if (type == "error" && object.isMember("data"))
        return variant(data.asString());
    return jsonObjectToVariantMap(object, colony);
}

}  // namespace HostWire
}  // namespace PB
