#pragma once
// JSON texts as HostWire carries them: compact, one value per message.

#include <initializer_list>
#include <string>

#include <json/json.h>

namespace wirehost {

std::string jsonText(const Json::Value& value);
// Throws std::runtime_error when the text is not exactly one JSON value.
Json::Value parseJson(const std::string& text);
// A command array: [name, arguments...].
Json::Value command(std::initializer_list<Json::Value> elements);

}  // namespace wirehost
