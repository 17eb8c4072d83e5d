#include "HostWire/WireColony.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include <win32/kernel.h>

#include "HostWire/AlienLarvae.h"
#include "HostWire/CommandIds.h"
#include "HostWire/MethodRefs.h"
#include "HostWire/WireBrowserHost.h"
#include "HostWire/WireMessages.h"
#include "HostWire/WireSpawn.h"
#include "HostWire/WireValues.h"
#include "PluginCore/FactoryBase.h"
#include "ScriptingCore/Log.h"

namespace PB {
namespace HostWire {

namespace {

std::map<std::uint32_t, std::shared_ptr<WireColony>>& colonies()
{
    static std::map<std::uint32_t, std::shared_ptr<WireColony>> table;
    return table;
}

}  // namespace

WireColony::WireColony(std::uint32_t colonyId) : m_colonyId(colonyId), m_ownerThreadId(GetCurrentThreadId())
{
    std::memset(&m_hostFuncs, 0, sizeof m_hostFuncs);
    commandHandlers();
}

WireColony::~WireColony() = default;

std::shared_ptr<WireColony> WireColony::getColony(std::uint32_t colonyId)
{
    if (colonies().empty()) {
        Log::initLogging();
        getPluginFactory();
    }
    std::shared_ptr<WireColony>& colony = colonies()[colonyId];
    if (!colony)
        colony = std::make_shared<WireColony>(colonyId);
    return colony;
}

std::shared_ptr<WireColony> WireColony::findColony(std::uint32_t colonyId)
{
    auto found = colonies().find(colonyId);
    return found == colonies().end() ? nullptr : found->second;
}

std::size_t WireColony::colonyCount()
{
    return colonies().size();
}

void WireColony::finalizeColony(std::uint32_t colonyId)
{
    auto found = colonies().find(colonyId);
    if (found != colonies().end()) {
        // Kept alive through the teardown, which still sends to the host.
        std::shared_ptr<WireColony> colony = found->second;
        colony->teardown();
        colonies().erase(colonyId);
        MethodRefs::clearColony(colonyId);
    }
    if (colonies().empty()) {
        getPluginFactory();
        MethodRefs::clear();
        Log::stopLogging();
    }
}

void WireColony::setHostFuncs(const WireHostFuncs& table)
{
    std::memset(&m_hostFuncs, 0, sizeof m_hostFuncs);
    std::memcpy(&m_hostFuncs, &table, std::min<std::size_t>(table.size, sizeof m_hostFuncs));
    m_hasHostFuncs = true;
}

void WireColony::teardown()
{
    // Copies first: shutting a spawn down sends commands, whose answers may
    // arrive while this runs.
    const SpawnMap spawns = m_spawns;
    for (const auto& entry : spawns) {
        std::shared_ptr<WireSac> sac = entry.second;
        std::shared_ptr<WireSpawn> spawn = sac->spawn;
        try {
            spawn->shutdown();
        } catch (const std::exception& e) {
            Log::warn("HostWire", std::string("Shutting a plug-in instance down failed: ") + e.what(), __FILE__,
                      __LINE__, "PB::HostWire::WireColony::teardown");
        }
    }
    m_spawns.clear();
    m_larvae.clear();
    // Dropped unanswered; their promises learn of it as they go.
    std::map<std::uint32_t, Deferred<std::string>> pending;
    pending.swap(m_pendingCommands);
    pending.clear();
}

std::shared_ptr<WireSac> WireColony::findSpawn(std::uint32_t spawnId) const
{
    auto found = m_spawns.find(spawnId);
    if (found == m_spawns.end())
        throw std::runtime_error("Invalid object");
    return found->second;
}

std::uint8_t WireColony::onAnswer(std::uint32_t commandId, std::string text)
{
    auto found = m_pendingCommands.find(commandId);
    if (found == m_pendingCommands.end())
        return kNotPending;
    // An answered command is forgotten: a second answer is refused, and the
    // table does not grow with every command ever sent.
    Deferred<std::string> deferred = found->second;
    m_pendingCommands.erase(found);
    deferred.resolve(std::move(text));
    return kAnswerTaken;
}

void WireColony::sendResponse(std::uint32_t commandId, VariantList message)
{
    if (!m_hostFuncs.cb)
        return;
    // Written straight from the reply and the reply let go: a large answer
    // is held twice at most.
    std::string text;
    {
        const variant reply(std::move(message));
        text = variantToJsonText(reply);
    }
    m_hostFuncs.cb(m_colonyId, commandId, text.data(), static_cast<std::uint32_t>(text.size()));
}

Promise<std::string> WireColony::callHost(VariantList message)
{
    const std::string text = variantToJsonText(variant(std::move(message)));
    if (!m_hostFuncs.call)
        return Promise<std::string>(std::make_exception_ptr(script_error("The host takes no commands")));
    const std::uint32_t id = takeCommandId(m_nextCommandId, m_pendingCommands);
    Deferred<std::string> deferred;
    m_pendingCommands.emplace(id, deferred);
    Promise<std::string> answer = deferred.promise();
    m_hostFuncs.call(0, id, text.data(), static_cast<std::uint32_t>(text.size()));
    return answer;
}

Promise<variant> WireColony::sendCommand(VariantList command, std::shared_ptr<WireBrowserHost> host)
{
    if (host) {
        for (variant& element : command)
            element = encodeValue(element, host);
    }
    std::weak_ptr<WireColony> self = shared_from_this();
    return callHost(std::move(command)).then<variant>([self, host](std::string text) {
        std::shared_ptr<WireColony> colony = self.lock();
        if (!colony)
            throw script_error("The HostWire connection is closed");
        return handleCommandResponse(*colony, host, text);
    });
}

bool WireColony::scheduleAsync(void (*function)(void*), void* data)
{
    return m_hostFuncs.scheduleAsync && m_hostFuncs.scheduleAsync(function, data) == 0;
}

std::shared_ptr<AlienLarvae> WireColony::getAlienLarvae(std::uint32_t spawnId, std::uint32_t objectId)
{
    const auto key = std::make_pair(spawnId, objectId);
    auto found = m_larvae.find(key);
    if (found != m_larvae.end()) {
        if (std::shared_ptr<AlienLarvae> live = found->second.lock())
            return live;
    }
    auto larvae = std::make_shared<AlienLarvae>(shared_from_this(), spawnId, objectId);
    m_larvae[key] = larvae;
    // Expired entries are swept now and then, so the table follows the live stubs.
    if (m_larvae.size() >= m_larvaeSweepAt) {
        for (auto it = m_larvae.begin(); it != m_larvae.end();)
            it = it->second.expired() ? m_larvae.erase(it) : std::next(it);
        m_larvaeSweepAt = std::max<std::size_t>(64, 2 * m_larvae.size());
    }
    return larvae;
}

}  // namespace HostWire
}  // namespace PB
