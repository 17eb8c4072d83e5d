#pragma once
// One HostWire connection: the host's function table, the plug-in instances
// (spawns) the host created, the module's commands that wait for the host's
// answer, and the stubs of page objects met so far. Colonies live in a
// process-wide table by colony id; HostWire_Init sets colony 0 up and
// HostWire_Finit tears it down.
//
// Nothing here is locked or checks its thread: the host calls the entry
// points on one thread, which is where answers settle and replies go out.
// Objects that outlive a colony (hosts, stubs, late promise results) hold it
// weakly and do nothing once it has gone.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "HostWire/WireFuncs.h"
#include "ScriptingCore/Promise.h"

namespace PB {
namespace HostWire {

class AlienLarvae;
class WireBrowserHost;
class WireSpawn;

// What the colony keeps per spawn.
struct WireSac {
    std::shared_ptr<WireSpawn> spawn;
    std::shared_ptr<WireBrowserHost> host;
};

using SpawnMap = std::map<std::uint32_t, std::shared_ptr<WireSac>>;

class WireColony : public std::enable_shared_from_this<WireColony> {
public:
    using Handler = Promise<VariantList> (WireColony::*)(VariantList);

    explicit WireColony(std::uint32_t colonyId);
    WireColony(const WireColony&) = delete;
    WireColony& operator=(const WireColony&) = delete;
    virtual ~WireColony();

    // The colony of that id, made (and registered) when there is none.
    static std::shared_ptr<WireColony> getColony(std::uint32_t colonyId);
    // The colony of that id, or nullptr.
    static std::shared_ptr<WireColony> findColony(std::uint32_t colonyId);
    // Shuts the colony's spawns down, drops it, and ends the module's
    // process-wide state when it was the last.
    static void finalizeColony(std::uint32_t colonyId);
    static std::size_t colonyCount();

    // Keeps up to sizeof(WireHostFuncs) bytes of the host's table.
    void setHostFuncs(const WireHostFuncs& table);
    bool hasHostFuncs() const { return m_hasHostFuncs; }
    std::uint32_t getColonyId() const { return m_colonyId; }

    // --- the host's commands (WireMessages.cpp)
    std::uint8_t onCommand(std::uint32_t commandId, std::string text);
    // The same, read straight from the host's text, which is not copied.
    std::uint8_t onCommand(std::uint32_t commandId, const char* text, std::size_t length);
    // The host's answer to one of the module's commands.
    std::uint8_t onAnswer(std::uint32_t commandId, std::string text);
    void sendResponse(std::uint32_t commandId, VariantList message);

    // --- the module's commands to the host
    Promise<std::string> callHost(VariantList message);
    // Encodes the elements for the wire with host (when given), sends the
    // command and resolves with the page's decoded answer.
    Promise<variant> sendCommand(VariantList command, std::shared_ptr<WireBrowserHost> host);
    bool scheduleAsync(void (*function)(void*), void* data);

    // The live stub of a page object, or a new one (which asks the page for
    // the object's member names).
    std::shared_ptr<AlienLarvae> getAlienLarvae(std::uint32_t spawnId, std::uint32_t objectId);

    const SpawnMap& spawns() const { return m_spawns; }
    std::size_t pendingCommandCount() const { return m_pendingCommands.size(); }

    // --- command handlers (WireCommands.cpp)
    Promise<VariantList> New(VariantList args);
    Promise<VariantList> Destroy(VariantList args);
    Promise<VariantList> Enum(VariantList args);
    Promise<VariantList> Invoke(VariantList args);
    Promise<VariantList> GetP(VariantList args);
    Promise<VariantList> SetP(VariantList args);
    Promise<VariantList> RelObj(VariantList args);

    static const std::map<std::string, Handler>& commandHandlers();

private:
    // Shuts every spawn down (they tell the host) and drops what the colony holds.
    void teardown();
    std::shared_ptr<WireSac> findSpawn(std::uint32_t spawnId) const;

    std::uint32_t m_colonyId;
    std::uint32_t m_ownerThreadId;
    WireHostFuncs m_hostFuncs;
    bool m_hasHostFuncs = false;
    std::uint32_t m_nextSpawnId = 1;
    std::uint32_t m_nextCommandId = 1;
    std::uint32_t m_nextMethodRefId = 1;
    SpawnMap m_spawns;
    std::map<std::uint32_t, Deferred<std::string>> m_pendingCommands;
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::weak_ptr<AlienLarvae>> m_larvae;
    std::size_t m_larvaeSweepAt = 64;
};

}  // namespace HostWire
}  // namespace PB
