#include "HostWire/WireMessages.h"

#include <memory>

#include "HostWire/WireBrowserHost.h"
#include "HostWire/WireColony.h"
#include "HostWire/WireResolve.h"
#include "HostWire/WireValues.h"
#include "ScriptingCore/exceptions.h"

namespace PB {
namespace HostWire {

std::string toJsonText(const Json::Value& value)
{
    Json::FastWriter writer;
    std::string text = writer.write(value);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

bool parseJson(const std::string& text, Json::Value& root)
{
    return parseJson(text.data(), text.size(), root);
}

bool parseJson(const char* text, std::size_t length, Json::Value& root)
{
    // The classic reader takes the first value and leaves any text after it
    // alone. One nested past its depth limit makes it throw; such a text
    // counts as not JSON, like any other it refuses. One reader serves the
    // thread: making one costs more than reading a small command, and every
    // parse starts it afresh.
    thread_local Json::Reader reader;
    try {
        return reader.parse(text, text + length, root, false);
    } catch (const std::exception&) {
        return false;
    }
}

VariantList errorReply(const std::string& error, const std::string& message)
{
    return VariantList{variant("error"), variant(VariantMap{{"error", variant(error)}, {"message", variant(message)}})};
}

VariantList makeSuccessResponse(const std::shared_ptr<WireBrowserHost>& host, variant value)
{
    // Built element by element: a list made from braces would copy the value.
    VariantList reply;
    reply.reserve(2);
    reply.emplace_back("success");
    reply.push_back(encodeValue(std::move(value), host));
    return reply;
}

void makeErrorResponse(WireColony& colony, std::uint32_t commandId, std::exception_ptr error)
{
    std::string message = "Unknown message";
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            message = e.what();
        } catch (...) {
        }
    }
    colony.sendResponse(commandId, errorReply("Command threw an exception", message));
}

std::uint8_t WireColony::onCommand(std::uint32_t commandId, std::string text)
{
    return onCommand(commandId, text.data(), text.size());
}

std::uint8_t WireColony::onCommand(std::uint32_t commandId, const char* text, std::size_t length)
{
    // A text that is no command gets no reply: the result code is the answer.
    Json::Value root;
    if (!parseJson(text, length, root))
        return kNotJson;
    if (!root.isArray() || root.empty() || !root[0].isString())
        return kNotCommand;
    const std::string name = root[0].asString();
    auto handler = commandHandlers().find(name);
    if (handler == commandHandlers().end())
        return kUnknownCommand;
    // A value that cannot be read leaves from here; the entry point answers it.
    // Each argument's JSON goes once it is read, so that a large one is held
    // twice at most, and only for a moment.
    VariantList args;
    args.reserve(root.size() - 1);
    for (Json::ArrayIndex i = 1; i < root.size(); ++i) {
        args.push_back(jsonToVariant(root[i], *this));
        root[i] = Json::Value();
    }
    Json::Value().swap(root);

    std::weak_ptr<WireColony> self = shared_from_this();
    try {
        Promise<VariantList> result = (this->*(handler->second))(std::move(args));
        // The reply may go out much later: the colony may be gone by then,
        // and a reply that cannot be written is reported instead. One that
        // is there already comes over without a copy.
        result.handOff(
            [self, commandId](VariantList reply) {
                std::shared_ptr<WireColony> colony = self.lock();
                if (!colony)
                    return;
                try {
                    colony->sendResponse(commandId, std::move(reply));
                } catch (const std::exception& e) {
                    colony->sendResponse(commandId, errorReply("Command threw an exception", e.what()));
                }
            },
            [self, commandId](std::exception_ptr error) {
                if (std::shared_ptr<WireColony> colony = self.lock())
                    makeErrorResponse(*colony, commandId, error);
            });
    } catch (const std::exception& e) {
        sendResponse(commandId, errorReply("Could not execute command", e.what()));
    }
    return kDispatched;
}

variant handleCommandResponse(WireColony& colony, const std::shared_ptr<WireBrowserHost>& host,
                              const std::string& text)
{
    Json::Value root;
    if (!parseJson(text, root))
        throw script_error("Malformed JSON from client");
    if (!root.isArray() || root.empty() || !root[0].isString())
        throw script_error("Invalid message format");
    const std::string kind = root[0].asString();
    if (kind == "error") {
        const Json::Value detail = root.size() > 1 ? root[1] : Json::Value(Json::objectValue);
        if (detail.isObject() && detail.isMember("message")) {
            const Json::Value& message = detail["message"];
            // The member as text; an object or array (which has none) as its JSON.
            throw script_error(message.isConvertibleTo(Json::stringValue) ? message.asString()
                                                                           : toJsonText(message));
        }
        throw script_error("Unknown error returned from page: " + text);
    }
    if (kind != "success")
        throw script_error("Invalid response from client");
    variant value = jsonToVariant(root.size() > 1 ? root[1] : Json::Value(), colony);
    if (host) {
        if (value.holds<VariantList>()) {
            VariantList list = value.cast<VariantList>();
            resolveValueList(list, colony.spawns(), host);
            value = variant(std::move(list));
        } else if (value.holds<VariantMap>()) {
            VariantMap map = value.cast<VariantMap>();
            resolveValueMap(map, colony.spawns(), host);
            value = variant(std::move(map));
        } else {
            resolveValue(value, colony.spawns(), host);
        }
    }
    return value;
}

}  // namespace HostWire
}  // namespace PB
