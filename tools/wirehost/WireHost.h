#pragma once
// The host process's side of a HostWire connection, over a page: it sends
// the page's requests to the module (instances, member reads, writes and
// calls on the module's objects) and serves the module's commands against the
// page (its browser instances and browser object, and the page objects it
// was given).
//
// A request the module answers at once gives its value; one answered later
// gives a page promise settled when the answer comes. Module commands are
// served on the page's loop, as a page would answer them after a message.
//
// Page objects sent to the module are kept under an object id until the
// module releases them ("RelObj"); the module's objects reach the page as
// host objects (ModuleObject). The module's spawn ids and the host's own
// browser spawn ids are separate number spaces.

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include <json/json.h>

#include "HostWire/WireFuncs.h"
#include "ModuleLibrary.h"
#include "page/Page.h"

namespace wirehost {

class WireHost : public std::enable_shared_from_this<WireHost> {
public:
    WireHost(page::Page& page, const ModuleLibrary& module);
    ~WireHost();
    WireHost(const WireHost&) = delete;
    WireHost& operator=(const WireHost&) = delete;

    // HostWire_Init with this host's table; one host is connected at a time.
    void open();
    // Destroys the instances left, lets the page serve what that sets off,
    // and ends the connection (HostWire_Finit).
    void close(std::size_t maxSteps);
    bool isOpen() const { return m_open; }

    // --- requests to the module (a module error throws std::runtime_error with its text)
    page::Value request(const Json::Value& command);
    // A command whose answer is not wanted.
    void notify(const Json::Value& command);
    // Sent from the loop: a release may be asked for inside a script operation.
    void releaseLater(std::uint32_t spawnId, std::uint32_t objectId);

    // --- instances
    std::uint32_t createInstance(const std::string& mimeType, const page::Value& params);
    void destroyInstance(std::uint32_t spawnId);
    // The browser spawn the module made for an instance (0 while unknown).
    std::uint32_t browserOf(std::uint32_t spawnId) const;

    // --- values on the wire (WireCodec.cpp)
    // Refs in the value are handed over: they are kept for the module.
    Json::Value toWire(const page::Value& value, std::uint32_t browserSpawn);
    page::Value fromWire(const Json::Value& value);

    page::Page& page() { return m_page; }
    std::size_t exportedCount() const { return m_objects.size(); }

private:
    static std::uint8_t hostCall(std::uint32_t colony, std::uint32_t id, const char* text, std::uint32_t length);
    static std::uint8_t hostCallback(std::uint32_t colony, std::uint32_t id, const char* text, std::uint32_t length);
    static std::uint8_t hostSchedule(void (*function)(void*), void* data);

    page::Value answerOf(const std::string& text);
    void settleLater(page::ObjectId promise, const std::string& text);

    // --- serving the module's commands (WireServe.cpp)
    void serve(std::uint32_t commandId, const std::string& text);
    Json::Value execute(std::uint32_t commandId, const Json::Value& command);
    Json::Value browserMethod(std::uint32_t spawnId, const std::string& method, const Json::Value& args);
    const page::Value& pageObject(std::uint32_t objectId) const;
    std::uint32_t exportObject(const page::Value& ref);

    static WireHost* s_active;

    page::Page& m_page;
    const ModuleLibrary& m_module;
    WireModuleFuncs m_funcs{};
    bool m_open = false;
    std::uint32_t m_nextCommandId = 1;
    std::set<std::uint32_t> m_awaiting;
    std::map<std::uint32_t, std::string> m_replies;
    std::map<std::uint32_t, page::ObjectId> m_promises;

    std::set<std::uint32_t> m_instances;
    std::map<std::uint32_t, std::uint32_t> m_browserOf;
    // "New" commands of the module that arrived while an instance was made.
    bool m_creating = false;
    std::set<std::uint32_t> m_newDuringCreate;
    std::map<std::uint32_t, std::uint32_t> m_instanceOfCommand;

    std::set<std::uint32_t> m_browsers;
    std::uint32_t m_nextBrowser = 1;
    std::map<std::uint32_t, page::Value> m_objects;
    std::uint32_t m_nextObject = 1;
};

}  // namespace wirehost
