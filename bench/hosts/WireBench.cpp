#include "hosts/WireBench.h"

#include <json/json.h>

#include <deque>
#include <map>
#include <stdexcept>
#include <utility>

#include "HostWire/WireFuncs.h"
#include "kit/Floor.h"
#include "kit/Module.h"
#include "kit/Workspace.h"

namespace bench {

namespace {

// The page side of the one benchmark host.
struct Side {
    WireModuleFuncs module{};
    std::uint32_t spawn = 0;  // the module's instance
    std::uint32_t nextId = 1;
    std::uint32_t waiting = 0;  // the command whose reply is awaited
    PageAnswer reply;
    std::deque<std::pair<void (*)(void*), void*>> scheduled;
};
Side* side = nullptr;

// The browser instance the module makes for its spawn, and the page objects
// it is given: the window, the document and the window's location.
constexpr std::uint32_t kBrowser = 7;
constexpr std::uint32_t kWindow = 1;
constexpr std::uint32_t kDocument = 2;
constexpr std::uint32_t kLocation = 3;

std::string jsonText(const Json::Value& value)
{
    Json::FastWriter writer;
    std::string written = writer.write(value);
    written.pop_back();  // the newline FastWriter ends with
    return written;
}

Json::Value ref(std::uint32_t object)
{
    Json::Value value(Json::objectValue);
    value["$type"] = "ref";
    value["data"].append(kBrowser);
    value["data"].append(object);
    return value;
}

Json::Value names(std::initializer_list<const char*> list)
{
    Json::Value value(Json::arrayValue);
    for (const char* name : list)
        value.append(name);
    return value;
}

// What the page answers to one command of the module.
Json::Value serve(const Json::Value& command)
{
    const std::string name = command[0].asString();
    if (name == "New")
        return kBrowser;
    if (name == "Destroy" || name == "RelObj" || name == "SetP")
        return Json::Value();
    const std::uint32_t object = command[2].asUInt();
    const std::string member = command.size() > 3 && command[3].isString() ? command[3].asString() : "";
    if (name == "Enum") {
        switch (object) {
        case 0:
            return names({"getWindow", "getDocument", "evalFn", "invokeWithDelay", "readArray", "readObject"});
        case kWindow:
            return names({"location", "document"});
        case kLocation:
            return names({"href"});
        default:
            return Json::Value(Json::arrayValue);
        }
    }
    if (name == "Invoke" && object == 0 && member == "getWindow")
        return ref(kWindow);
    if (name == "Invoke" && object == 0 && member == "getDocument")
        return ref(kDocument);
    if (name == "GetP" && object == kWindow && member == "location")
        return ref(kLocation);
    if (name == "GetP" && object == kWindow && member == "document")
        return ref(kDocument);
    if (name == "GetP" && object == kLocation && member == "href")
        return kPageUrl;
    return Json::Value();
}

std::uint8_t hostCall(std::uint32_t, std::uint32_t id, const char* command, std::uint32_t length)
{
    Json::Value root;
    Json::Reader reader;
    Json::Value answer(Json::arrayValue);
    if (reader.parse(command, command + length, root, false) && root.isArray() && !root.empty()) {
        answer.append("success");
        answer.append(serve(root));
    } else {
        answer.append("error");
        answer.append(Json::Value(Json::objectValue))["message"] = "not a command";
    }
    const std::string reply = jsonText(answer);
    side->module.cb(0, id, reply.data(), static_cast<std::uint32_t>(reply.size()));
    return 0;
}

std::uint8_t hostCallback(std::uint32_t, std::uint32_t id, const char* reply, std::uint32_t length)
{
    if (id != side->waiting)
        return 0;
    const std::string success = "[\"success\"";
    side->reply.settled = true;
    side->reply.resolved = length >= success.size() && std::string(reply, success.size()) == success;
    side->reply.length = length;
    side->reply.head.assign(reply, std::min<std::uint32_t>(length, 200));
    return 0;
}

std::uint8_t hostSchedule(void (*function)(void*), void* data)
{
    side->scheduled.emplace_back(function, data);
    return 0;
}

void runScheduled()
{
    while (!side->scheduled.empty()) {
        const auto call = side->scheduled.front();
        side->scheduled.pop_front();
        call.first(call.second);
    }
}

PageAnswer send(const std::string& command)
{
    side->waiting = side->nextId++;
    side->reply = PageAnswer();
    const std::uint8_t result =
        side->module.call(0, side->waiting, command.data(), static_cast<std::uint32_t>(command.size()));
    if (result != 1)
        throw std::runtime_error("the module refused a command (" + std::to_string(result) + ")");
    runScheduled();
    if (!side->reply.settled)
        throw std::runtime_error("no reply to " + command.substr(0, 80));
    return side->reply;
}

}  // namespace

WireBench::WireBench()
{
    if (side)
        throw std::logic_error("one benchmark host at a time");
    side = new Side();
    WireHostFuncs table{};
    table.size = sizeof table;
    table.version = 1;
    table.call = &hostCall;
    table.cb = &hostCallback;
    table.scheduleAsync = &hostSchedule;
    if (Module::get().entry<decltype(&HostWire_Init)>("HostWire_Init")(&table, &side->module) != 0)
        throw std::runtime_error("HostWire_Init failed");

    Json::Value command(Json::arrayValue);
    command.append("New");
    command.append(kMimeType);
    command.append(Json::Value(Json::objectValue));
    const PageAnswer made = send(jsonText(command));
    Json::Value reply;
    Json::Reader reader;
    if (!made.resolved || !reader.parse(made.head, reply) || !reply[1].isNumeric())
        throw std::runtime_error("the module makes no HostWire instance: " + made.head);
    side->spawn = reply[1].asUInt();
    const PageAnswer init = call("initPlugin");
    if (!init.resolved)
        throw std::runtime_error("initPlugin failed under HostWire: " + init.head);
}

WireBench::~WireBench()
{
    Module::get().entry<decltype(&HostWire_Finit)>("HostWire_Finit")();
    runScheduled();
    delete side;
    side = nullptr;
}

WireBench::Call::Call(const std::string& method, const PageArgs& args)
{
    Json::Value command(Json::arrayValue);
    command.append("Invoke");
    command.append(side ? side->spawn : 0);
    command.append(0);
    command.append(method);
    Json::Value values(Json::arrayValue);
    for (const PageArg& arg : args)
        values.append(arg.isFlag ? Json::Value(arg.flag) : Json::Value(*arg.text));
    command.append(values);
    m_text = jsonText(command);
}

void WireBench::Call::floor() const
{
    parseJson(m_text);
}

PageAnswer WireBench::call(const Call& call)
{
    return send(call.text());
}

PageAnswer WireBench::call(const std::string& method, const PageArgs& args)
{
    return call(Call(method, args));
}

}  // namespace bench
