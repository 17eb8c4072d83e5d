#include "WireHost.h"

#include <stdexcept>
#include <vector>

#include "ModuleObject.h"
#include "WireText.h"

namespace wirehost {

WireHost* WireHost::s_active = nullptr;

WireHost::WireHost(page::Page& page, const ModuleLibrary& module) : m_page(page), m_module(module) {}

WireHost::~WireHost()
{
    if (s_active == this)
        s_active = nullptr;
}

void WireHost::open()
{
    if (s_active && s_active != this)
        throw std::logic_error("Another HostWire connection is open");
    s_active = this;
    WireHostFuncs table{};
    table.size = sizeof table;
    table.version = 1;
    table.call = &WireHost::hostCall;
    table.cb = &WireHost::hostCallback;
    table.scheduleAsync = &WireHost::hostSchedule;
    if (m_module.init(table, m_funcs) != 0 || !m_funcs.call || !m_funcs.cb)
        throw std::runtime_error("HostWire_Init refused the host");
    m_open = true;
}

void WireHost::close(std::size_t maxSteps)
{
    if (!m_open)
        return;
    const std::set<std::uint32_t> instances = m_instances;
    for (std::uint32_t spawnId : instances) {
        try {
            destroyInstance(spawnId);
        } catch (const std::exception&) {
        }
    }
    m_page.runLoop(maxSteps);
    m_module.finit();
    m_open = false;
    for (const auto& promise : m_promises)
        m_page.reject(promise.second, "The plug-in module was unloaded");
    m_promises.clear();
    for (const auto& object : m_objects)
        m_page.release(object.second);
    m_objects.clear();
    s_active = nullptr;
}

page::Value WireHost::request(const Json::Value& command)
{
    if (!m_open)
        throw std::runtime_error("The plug-in module is not loaded");
    const std::uint32_t id = m_nextCommandId++;
    const std::string text = jsonText(command);
    m_awaiting.insert(id);
    const std::uint8_t result = m_funcs.call(0, id, text.data(), static_cast<std::uint32_t>(text.size()));
    m_awaiting.erase(id);
    auto reply = m_replies.find(id);
    if (reply != m_replies.end()) {
        const std::string answer = reply->second;
        m_replies.erase(reply);
        return answerOf(answer);
    }
    if (result != PB::HostWire::kDispatched)
        throw std::runtime_error("The plug-in refused the command (result " + std::to_string(result) + ")");
    // Answered later: the page gets a promise of the answer.
    page::Page::Pending pending = m_page.newPromise();
    m_promises[id] = pending.id;
    // The page holds the promise once it has it; this handle goes after the current step.
    const page::Value promise = pending.promise;
    page::Page& owner = m_page;
    m_page.post([&owner, promise] { owner.release(promise); });
    return promise;
}

void WireHost::notify(const Json::Value& command)
{
    if (!m_open)
        return;
    const std::string text = jsonText(command);
    m_funcs.call(0, m_nextCommandId++, text.data(), static_cast<std::uint32_t>(text.size()));
}

void WireHost::releaseLater(std::uint32_t spawnId, std::uint32_t objectId)
{
    if (!m_open)
        return;
    std::weak_ptr<WireHost> self = shared_from_this();
    m_page.post([self, spawnId, objectId] {
        if (std::shared_ptr<WireHost> host = self.lock())
            host->notify(command({"RelObj", spawnId, objectId}));
    });
}

page::Value WireHost::answerOf(const std::string& text)
{
    const Json::Value answer = parseJson(text);
    if (!answer.isArray() || answer.empty() || !answer[0].isString())
        throw std::runtime_error("The plug-in's answer is malformed: " + text);
    if (answer[0].asString() == "success")
        return fromWire(answer.size() > 1 ? answer[1] : Json::Value());
    const Json::Value& detail = answer.size() > 1 ? answer[1] : Json::Value();
    if (detail.isObject() && detail["message"].isString())
        throw std::runtime_error(detail["message"].asString());
    throw std::runtime_error("The plug-in failed: " + text);
}

void WireHost::settleLater(page::ObjectId promise, const std::string& text)
{
    std::weak_ptr<WireHost> self = shared_from_this();
    m_page.post([self, promise, text] {
        std::shared_ptr<WireHost> host = self.lock();
        if (!host)
            return;
        page::Value value;
        try {
            value = host->answerOf(text);
        } catch (const std::exception& e) {
            host->m_page.reject(promise, e.what());
            return;
        }
        host->m_page.resolve(promise, value);
    });
}

std::uint32_t WireHost::createInstance(const std::string& mimeType, const page::Value& params)
{
    Json::Value wireParams(Json::objectValue);
    if (params.is(page::Value::Type::Object)) {
        const page::Value window = m_page.window();
        for (const auto& member : params.members()) {
            // An on… parameter may name a global function, as in markup.
            if (member.first.compare(0, 2, "on") == 0 && member.second.is(page::Value::Type::String)) {
                const page::Value handler = m_page.get(window, member.second.asString());
                if (m_page.isFunction(handler)) {
                    wireParams[member.first] = toWire(handler, 0);
                    continue;
                }
                m_page.release(handler);
            }
            wireParams[member.first] = toWire(member.second, 0);
        }
        m_page.release(window);
    }
    m_creating = true;
    m_newDuringCreate.clear();
    page::Value spawn;
    try {
        spawn = request(command({"New", mimeType, wireParams}));
    } catch (...) {
        m_creating = false;
        throw;
    }
    m_creating = false;
    if (!spawn.is(page::Value::Type::Number))
        throw std::runtime_error("The plug-in answered New with " + spawn.describe());
    const auto spawnId = static_cast<std::uint32_t>(spawn.asNumber());
    m_instances.insert(spawnId);
    for (std::uint32_t commandId : m_newDuringCreate)
        m_instanceOfCommand[commandId] = spawnId;
    m_newDuringCreate.clear();
    return spawnId;
}

void WireHost::destroyInstance(std::uint32_t spawnId)
{
    m_instances.erase(spawnId);
    request(command({"Destroy", spawnId}));
}

std::uint32_t WireHost::browserOf(std::uint32_t spawnId) const
{
    auto found = m_browserOf.find(spawnId);
    return found == m_browserOf.end() ? 0 : found->second;
}

std::uint8_t WireHost::hostCall(std::uint32_t, std::uint32_t id, const char* text, std::uint32_t length)
{
    WireHost* host = s_active;
    if (!host)
        return 1;
    const std::string message(text, length);
    if (host->m_creating && message.compare(0, 6, "[\"New\"") == 0)
        host->m_newDuringCreate.insert(id);
    // Served on the loop, as a page answers a message: never inside the module's call.
    std::weak_ptr<WireHost> self = host->shared_from_this();
    host->m_page.post([self, id, message] {
        if (std::shared_ptr<WireHost> live = self.lock())
            live->serve(id, message);
    });
    return 0;
}

std::uint8_t WireHost::hostCallback(std::uint32_t, std::uint32_t id, const char* text, std::uint32_t length)
{
    WireHost* host = s_active;
    if (!host)
        return 1;
    const std::string answer(text, length);
    if (host->m_awaiting.count(id)) {
        host->m_replies[id] = answer;
        return 0;
    }
    auto promise = host->m_promises.find(id);
    if (promise != host->m_promises.end()) {
        const page::ObjectId pending = promise->second;
        host->m_promises.erase(promise);
        host->settleLater(pending, answer);
    }
    return 0;
}

std::uint8_t WireHost::hostSchedule(void (*function)(void*), void* data)
{
    WireHost* host = s_active;
    if (!host || !function)
        return 1;
    host->m_page.post([function, data] { function(data); });
    return 0;
}

}  // namespace wirehost
