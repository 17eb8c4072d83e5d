#pragma once
// The JSON texts of HostWire: parsing and writing them, the reply messages,
// and the reading of the page side's answers to the module's commands.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include <json/json.h>

#include "ScriptingCore/variant.h"

namespace PB {
namespace HostWire {

class WireBrowserHost;
class WireColony;

// The compact text of a value: no blanks, no newline.
std::string toJsonText(const Json::Value& value);
// Reads the first JSON value of the text (comments skipped, text after it
// ignored); false when there is none.
bool parseJson(const std::string& text, Json::Value& root);
bool parseJson(const char* text, std::size_t length, Json::Value& root);

// ["error", {"error": error, "message": message}]
VariantList errorReply(const std::string& error, const std::string& message);
// ["success", value], the value written for the wire with host.
VariantList makeSuccessResponse(const std::shared_ptr<WireBrowserHost>& host, variant value);
// Sends the reply of a rejected command: "Command threw an exception".
void makeErrorResponse(WireColony& colony, std::uint32_t commandId, std::exception_ptr error);

// The value of a "success" answer (page objects in it, one level deep,
// made page objects of host when given); throws script_error for an "error"
// answer or a text that is no answer.
variant handleCommandResponse(WireColony& colony, const std::shared_ptr<WireBrowserHost>& host,
                              const std::string& text);

}  // namespace HostWire
}  // namespace PB
