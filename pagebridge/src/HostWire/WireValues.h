#pragma once
// Values on the wire. Going out, plug-in objects become {"$type": "ref"}
// (registered with the instance's browser host), page objects go back as
// {"$type": "local-ref"} and errors as {"$type": "error"}. Coming in, "ref"
// names a page object (read as its stub), "local-ref" one of the module's own
// objects (read as the (spawn id, object id) pair), and every number is a
// double.

#include <memory>
#include <string>

#include <json/json.h>

#include "ScriptingCore/variant.h"

namespace PB {
namespace HostWire {

class WireBrowserHost;
class WireColony;

// The value with every object and error in it written as a "$type" map;
// without a host, plug-in objects stay as they are (and are written as null).
// A plain value is passed on as it is, moved.
variant encodeValue(variant value, const std::shared_ptr<WireBrowserHost>& host);
Json::Value variantToJson(const variant& value);
// The text that toJsonText(variantToJson(value)) gives, written straight from
// the value: a large text in it is copied once, into the message.
std::string variantToJsonText(const variant& value);

variant jsonToVariant(const Json::Value& value, WireColony& colony);
variant decodeTypedObject(const Json::Value& object, WireColony& colony);
variant jsonObjectToVariantMap(const Json::Value& object, WireColony& colony);
// The value with no "$type" meaning: objects are plain maps.
variant jsonToVariantPlain(const Json::Value& value);

}  // namespace HostWire
}  // namespace PB
