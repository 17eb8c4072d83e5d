#include "FakeHost.h"

#include <stdexcept>

namespace hostwire_test {

FakeHost* FakeHost::s_active = nullptr;

Json::Value parse(const std::string& text)
{
    Json::Value root;
    Json::Reader reader;
    if (!reader.parse(text, root, false))
        throw std::runtime_error("not JSON: " + text);
    return root;
}

FakeHost::FakeHost() : responder(&FakeHost::pageAnswer)
{
    s_active = this;
    WireHostFuncs table{};
    table.size = sizeof table;
    table.version = 1;
    table.call = &FakeHost::hostCall;
    table.cb = &FakeHost::hostCallback;
    table.scheduleAsync = &FakeHost::hostSchedule;
    if (HostWire_Init(&table, &module) != 0)
        throw std::runtime_error("HostWire_Init failed");
}

FakeHost::~FakeHost()
{
    HostWire_Finit();
    // What the module scheduled and nobody ran still owns its data.
    std::vector<std::pair<void (*)(void*), void*>> left;
    left.swap(m_scheduled);
    for (const auto& call : left)
        call.first(call.second);
    s_active = nullptr;
}

std::uint8_t FakeHost::send(const std::string& text)
{
    m_lastSent = m_nextId++;
    return module.call(0, m_lastSent, text.data(), static_cast<std::uint32_t>(text.size()));
}

std::string FakeHost::reply() const
{
    return reply(m_lastSent);
}

std::string FakeHost::reply(std::uint32_t id) const
{
    auto found = m_replies.find(id);
    return found == m_replies.end() ? std::string() : found->second;
}

std::vector<std::string> FakeHost::commandsNamed(const std::string& name) const
{
    std::vector<std::string> named;
    for (const std::string& text : m_commands)
        if (parse(text)[0].asString() == name)
            named.push_back(text);
    return named;
}

std::uint8_t FakeHost::answer(std::uint32_t commandId, const std::string& text)
{
    return module.cb(0, commandId, text.data(), static_cast<std::uint32_t>(text.size()));
}

void FakeHost::deliver()
{
    for (int round = 0; round < 100 && (!m_queued.empty() || !m_scheduled.empty()); ++round) {
        std::vector<std::pair<std::uint32_t, std::string>> answers;
        answers.swap(m_queued);
        for (const auto& pending : answers)
            answer(pending.first, pending.second);
        std::vector<std::pair<void (*)(void*), void*>> calls;
        calls.swap(m_scheduled);
        for (const auto& call : calls)
            call.first(call.second);
    }
}

std::string FakeHost::pageAnswer(const Json::Value& command)
{
    const std::string name = command[0].asString();
    if (name == "New")
        return "[\"success\",7]";
    if (name == "Enum")
        return "[\"success\",[\"a\",\"x\"]]";
    if (name == "Invoke" && command[3].asString() == "getWindow")
        return "[\"success\",{\"$type\":\"ref\",\"data\":[7,1]}]";
    if (name == "Invoke" && command[3].asString() == "getDocument")
        return "[\"success\",{\"$type\":\"ref\",\"data\":[7,2]}]";
    return "[\"success\",null]";
}

std::uint8_t FakeHost::hostCall(std::uint32_t, std::uint32_t id, const char* text, std::uint32_t length)
{
    FakeHost& host = *s_active;
    const std::string command(text, length);
    host.m_commands.push_back(command);
    host.m_commandIds.push_back(id);
    const std::string answer = host.responder ? host.responder(parse(command)) : std::string();
    if (!answer.empty()) {
        if (host.answerAtOnce)
            host.answer(id, answer);
        else
            host.m_queued.emplace_back(id, answer);
    }
    return 0;
}

std::uint8_t FakeHost::hostCallback(std::uint32_t, std::uint32_t id, const char* text, std::uint32_t length)
{
    s_active->m_replies[id] = std::string(text, length);
    return 0;
}

std::uint8_t FakeHost::hostSchedule(void (*function)(void*), void* data)
{
    if (s_active->refuseSchedule)
        return 1;
    s_active->m_scheduled.emplace_back(function, data);
    return 0;
}

}  // namespace hostwire_test
