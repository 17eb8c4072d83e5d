#pragma once
// A HostWire host process for the adapter's tests: it sets the module's
// colony 0 up, sends commands and keeps the replies, records the module's
// commands and answers them the way a page would (a table of answers the
// test can change), and runs what the module schedules when asked.

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <json/json.h>

#include "HostWire/WireFuncs.h"

namespace hostwire_test {

class FakeHost {
public:
    // Answers a command of the module ("" answers nothing).
    using Responder = std::function<std::string(const Json::Value& command)>;

    FakeHost();
    ~FakeHost();
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    // Sends a command to the module; the result of its call.
    std::uint8_t send(const std::string& text);
    // The module's reply to the last command sent (or to an id).
    std::string reply() const;
    std::string reply(std::uint32_t id) const;
    std::size_t replyCount() const { return m_replies.size(); }

    // The module's commands, as texts, in order.
    const std::vector<std::string>& commands() const { return m_commands; }
    // The commands whose name is the given one.
    std::vector<std::string> commandsNamed(const std::string& name) const;
    // The ids the module gave its commands, in the same order.
    const std::vector<std::uint32_t>& commandIds() const { return m_commandIds; }
    std::uint32_t lastCommandId() const { return m_commandIds.empty() ? 0 : m_commandIds.back(); }
    // Answers a command of the module through its cb.
    std::uint8_t answer(std::uint32_t commandId, const std::string& text);

    // Answers queued by the responder go out, and scheduled calls run,
    // until nothing is left (bounded).
    void deliver();
    // When false, the responder's answers wait for deliver().
    bool answerAtOnce = true;
    Responder responder;
    bool refuseSchedule = false;
    std::size_t scheduledCount() const { return m_scheduled.size(); }

    // The answers a simple page gives: the browser instance is spawn 7,
    // window and document are its objects 1 and 2, every object has the
    // members "a" and "x", and anything else succeeds with null.
    static std::string pageAnswer(const Json::Value& command);

    WireModuleFuncs module{};

private:
    static std::uint8_t hostCall(std::uint32_t colony, std::uint32_t id, const char* text, std::uint32_t length);
    static std::uint8_t hostCallback(std::uint32_t colony, std::uint32_t id, const char* text, std::uint32_t length);
    static std::uint8_t hostSchedule(void (*function)(void*), void* data);
    static FakeHost* s_active;

    std::uint32_t m_nextId = 100;
    std::uint32_t m_lastSent = 0;
    std::vector<std::string> m_commands;
    std::vector<std::uint32_t> m_commandIds;
    std::map<std::uint32_t, std::string> m_replies;
    std::vector<std::pair<std::uint32_t, std::string>> m_queued;
    std::vector<std::pair<void (*)(void*), void*>> m_scheduled;
};

// A JSON text as a value (for looking into commands).
Json::Value parse(const std::string& text);

}  // namespace hostwire_test
