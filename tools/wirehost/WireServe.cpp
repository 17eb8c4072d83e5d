// The module's commands, served against the page: browser instances and
// their browser object ("getWindow", "getDocument", "evalFn",
// "invokeWithDelay", "readArray", "readObject"), and the members of page
// objects the module was given.

#include <stdexcept>

#include "WireHost.h"
#include "WireText.h"

namespace wirehost {

namespace {

const char* const kBrowserMethods[] = {"getWindow", "getDocument", "evalFn", "invokeWithDelay", "readArray",
                                       "readObject"};

// The module's delayed call, run by the page's own timer: it holds handles
// of its own, so that the module may release the function meanwhile.
class DelayedCall : public page::HostObject {
public:
    DelayedCall(page::Page& page, page::Value function, page::Value args, std::string method)
        : m_page(page), m_function(std::move(function)), m_args(std::move(args)), m_method(std::move(method))
    {
    }

    page::Value get(const std::string&) override { return page::Value(); }
    bool callable() const override { return true; }
    page::Value call(const std::vector<page::Value>&) override
    {
        if (m_done || !m_function.isObjectLike())
            return page::Value();
        m_done = true;
        const std::vector<page::Value>& args = m_args.items();
        page::Value result = m_method.empty() ? m_page.call(m_function, args)
                                              : m_page.invoke(m_function, m_method, args);
        m_page.release(result);
        m_page.release(m_function);
        m_page.release(m_args);
        return page::Value();
    }

private:
    page::Page& m_page;
    page::Value m_function;
    page::Value m_args;
    std::string m_method;
    bool m_done = false;
};

std::uint32_t idAt(const Json::Value& command, Json::ArrayIndex index)
{
    if (!command[index].isUInt())
        throw std::runtime_error("Argument " + std::to_string(index) + " is not an id");
    return command[index].asUInt();
}

}  // namespace

void WireHost::serve(std::uint32_t commandId, const std::string& text)
{
    Json::Value answer(Json::arrayValue);
    try {
        const Json::Value result = execute(commandId, parseJson(text));
        answer.append("success");
        answer.append(result);
    } catch (const std::exception& e) {
        answer = Json::Value(Json::arrayValue);
        answer.append("error");
        Json::Value detail(Json::objectValue);
        detail["message"] = e.what();
        answer.append(detail);
    }
    if (!m_open)
        return;
    const std::string reply = jsonText(answer);
    m_funcs.cb(0, commandId, reply.data(), static_cast<std::uint32_t>(reply.size()));
}

Json::Value WireHost::execute(std::uint32_t commandId, const Json::Value& command)
{
    if (!command.isArray() || command.empty() || !command[0].isString())
        throw std::runtime_error("A command is an array [name, arguments...]");
    const std::string name = command[0].asString();
    if (name == "New") {
        const std::uint32_t spawnId = m_nextBrowser++;
        m_browsers.insert(spawnId);
        auto instance = m_instanceOfCommand.find(commandId);
        if (instance != m_instanceOfCommand.end()) {
            m_browserOf[instance->second] = spawnId;
            m_instanceOfCommand.erase(instance);
        }
        return spawnId;
    }
    if (name == "Destroy") {
        const std::uint32_t spawnId = idAt(command, 1);
        if (!m_browsers.erase(spawnId))
            throw std::runtime_error("Invalid object");
        for (auto it = m_browserOf.begin(); it != m_browserOf.end();)
            it = it->second == spawnId ? m_browserOf.erase(it) : std::next(it);
        return Json::Value();
    }
    const std::uint32_t spawnId = idAt(command, 1);
    const std::uint32_t objectId = idAt(command, 2);
    if (name == "RelObj") {
        auto found = m_objects.find(objectId);
        if (found == m_objects.end())
            throw std::runtime_error("Object not found");
        m_page.release(found->second);
        m_objects.erase(found);
        return Json::Value();
    }
    const std::string member = command[3].isString() ? command[3].asString() : std::string();
    if (objectId == 0) {
        if (!m_browsers.count(spawnId))
            throw std::runtime_error("Invalid object");
        if (name == "Enum") {
            Json::Value names(Json::arrayValue);
            for (const char* method : kBrowserMethods)
                names.append(method);
            return names;
        }
        if (name == "Invoke")
            return browserMethod(spawnId, member, command[4]);
        throw std::runtime_error("The browser object has only methods");
    }
    const page::Value& object = pageObject(objectId);
    if (name == "Enum") {
        Json::Value names(Json::arrayValue);
        for (const std::string& key : m_page.keys(object))
            names.append(key);
        return names;
    }
    if (name == "GetP")
        return toWire(m_page.get(object, member), spawnId);
    if (name == "SetP") {
        m_page.set(object, member, fromWire(command[4]));
        return Json::Value();
    }
    if (name == "DelP") {
        m_page.remove(object, member);
        return Json::Value();
    }
    if (name == "Invoke") {
        const page::Value args = fromWire(command[4]);
        if (!args.is(page::Value::Type::Array))
            throw std::runtime_error("Invoke needs an argument list");
        const page::Value result =
            member.empty() ? m_page.call(object, args.items()) : m_page.invoke(object, member, args.items());
        return toWire(result, spawnId);
    }
    throw std::runtime_error("Unknown command: " + name);
}

Json::Value WireHost::browserMethod(std::uint32_t spawnId, const std::string& method, const Json::Value& args)
{
    const page::Value window = m_page.window();
    if (method == "getWindow")
        return toWire(window, spawnId);
    m_page.release(window);
    if (method == "getDocument") {
        const page::Value own = m_page.window();
        const page::Value document = m_page.get(own, "document");
        m_page.release(own);
        return toWire(document, spawnId);
    }
    if (!args.isArray() || args.empty())
        throw std::runtime_error(method + " needs arguments");
    if (method == "evalFn") {
        m_page.release(m_page.evaluate(args[0].asString()));
        return Json::Value();
    }
    if (method == "invokeWithDelay") {
        if (args.size() < 4)
            throw std::runtime_error("invokeWithDelay needs a delay, a function, arguments and a method name");
        page::Value callArgs = fromWire(args[2]);
        if (!callArgs.is(page::Value::Type::Array))
            callArgs = page::Value::array({});
        auto call = std::make_shared<DelayedCall>(m_page, m_page.share(fromWire(args[1])), m_page.share(callArgs),
                                                  args[3].asString());
        const page::Value own = m_page.window();
        m_page.release(m_page.invoke(own, "setTimeout", {page::Value::host(call), page::Value::number(args[0].asDouble())}));
        m_page.release(own);
        return Json::Value();
    }
    const page::Value object = fromWire(args[0]);
    if (!object.isObjectLike())
        throw std::runtime_error(method + " needs a page object");
    const page::Value read = m_page.read(object);
    if (method == "readArray")
        return toWire(read.is(page::Value::Type::Array) ? read : page::Value::array({}), spawnId);
    if (method == "readObject") {
        if (read.is(page::Value::Type::Object))
            return toWire(read, spawnId);
        page::Value::Members members;
        for (std::size_t i = 0; i < read.items().size(); ++i)
            members.emplace_back(std::to_string(i), read.items()[i]);
        return toWire(page::Value::object(std::move(members)), spawnId);
    }
    m_page.release(read);
    throw std::runtime_error("Unknown browser method: " + method);
}

const page::Value& WireHost::pageObject(std::uint32_t objectId) const
{
    auto found = m_objects.find(objectId);
    if (found == m_objects.end())
        throw std::runtime_error("Object not found");
    return found->second;
}

std::uint32_t WireHost::exportObject(const page::Value& ref)
{
    std::uint32_t id = m_nextObject++;
    while (id == 0 || m_objects.count(id))
        id = m_nextObject++;
    m_objects.emplace(id, ref);
    return id;
}

}  // namespace wirehost
