// The commands the page side sends: instances are made and destroyed, and
// plug-in objects, addressed by (spawn id, object id), are enumerated, read,
// written, invoked and released. Spawn id 0 names the colony's method
// references. Each handler answers with the reply list, or throws (or
// rejects) and the dispatcher answers with an error.

#include <sstream>

#include "HostWire/MethodRefs.h"
#include "HostWire/WireBrowserHost.h"
#include "HostWire/WireColony.h"
#include "HostWire/WireMessages.h"
#include "HostWire/WireResolve.h"
#include "HostWire/WireSpawn.h"
#include "HostWire/WireValues.h"

namespace PB {
namespace HostWire {

namespace {

// A command with fewer arguments than it reads is refused, not read past its end.
void requireArguments(const VariantList& args, std::size_t count, const char* command)
{
    if (args.size() < count) {
        std::ostringstream text;
        text << command << " needs " << count << " argument" << (count == 1 ? "" : "s") << ", got " << args.size();
        throw invalid_arguments(text.str());
    }
}

unsigned int idAt(const VariantList& args, std::size_t index)
{
    return args[index].convert_cast<unsigned int>();
}

Promise<VariantList> reply(VariantList list)
{
    return Promise<VariantList>(std::move(list));
}

Promise<VariantList> success(variant value)
{
    return reply(VariantList{variant("success"), std::move(value)});
}

// Continues a result into ["success", result written for the wire with host].
// A result that is there already, and that nobody else holds, is handed
// over: a large answer is written without a copy.
Promise<VariantList> successOf(Promise<variant> result, const std::shared_ptr<WireBrowserHost>& host)
{
    if (!result.valid())
        return Promise<VariantList>(std::make_exception_ptr(std::runtime_error("Promise invalid")));
    Deferred<VariantList> reply;
    result.handOff(
        [reply, host](variant value) {
            try {
                reply.resolve(makeSuccessResponse(host, std::move(value)));
            } catch (const std::exception&) {
                reply.reject(std::current_exception());
            }
        },
        [reply](std::exception_ptr error) { reply.reject(error); });
    return reply.promise();
}

Promise<VariantList> successNull(const Promise<void>& done)
{
    return done.then<VariantList>([]() { return VariantList{variant("success"), variant(PBNull())}; });
}

}  // namespace

const std::map<std::string, WireColony::Handler>& WireColony::commandHandlers()
{
    static const std::map<std::string, Handler> handlers = {
        {"New", &WireColony::New},       {"Destroy", &WireColony::Destroy}, {"Enum", &WireColony::Enum},
        {"Invoke", &WireColony::Invoke}, {"GetP", &WireColony::GetP},       {"SetP", &WireColony::SetP},
        {"RelObj", &WireColony::RelObj},
    };
    return handlers;
}

Promise<VariantList> WireColony::New(VariantList args)
{
    requireArguments(args, 1, "New");
    const std::uint32_t spawnId = m_nextSpawnId++;
    const std::string mimetype = args[0].convert_cast<std::string>();
    auto host = std::make_shared<WireBrowserHost>(shared_from_this(), spawnId);
    auto spawn = std::make_shared<WireSpawn>(host, mimetype);
    // Page objects among the parameters (an onload function) reach the
    // plug-in as page objects of its own host, not as bare stubs.
    try {
        VariantMap params = args.at(1).cast<VariantMap>();
        resolveValueMap(params, m_spawns, host);
        spawn->setParams(params);
    } catch (...) {
        spawn->setParams(VariantMap());
    }
    spawn->getRootObject(host->sendNew());
    m_spawns[spawnId] = std::make_shared<WireSac>(WireSac{spawn, host});
    return success(variant(spawnId));
}

Promise<VariantList> WireColony::Destroy(VariantList args)
{
    requireArguments(args, 1, "Destroy");
    const std::uint32_t spawnId = idAt(args, 0);
    auto found = m_spawns.find(spawnId);
    if (found == m_spawns.end())
        return reply(errorReply("Invalid object", "Invalid object"));
    std::shared_ptr<WireSac> sac = found->second;
    sac->spawn->shutdown();
    m_spawns.erase(spawnId);
    return success(variant(spawnId));
}

Promise<VariantList> WireColony::RelObj(VariantList args)
{
    requireArguments(args, 2, "RelObj");
    const std::uint32_t spawnId = idAt(args, 0);
    const std::uint32_t objectId = idAt(args, 1);
    if (spawnId == 0) {
        if (!MethodRefs::remove(m_colonyId, objectId))
            throw std::runtime_error("Invalid object");
        return success(variant(PBNull()));
    }
    return successNull(findSpawn(spawnId)->host->releaseObject(objectId));
}

Promise<VariantList> WireColony::Enum(VariantList args)
{
    requireArguments(args, 2, "Enum");
    const std::uint32_t spawnId = idAt(args, 0);
    const std::uint32_t objectId = idAt(args, 1);
    if (spawnId == 0)
        return success(variant(VariantList()));
    return findSpawn(spawnId)->host->Enum(objectId).then<VariantList>(
        [](VariantList names) { return VariantList{variant("success"), variant(std::move(names))}; });
}

Promise<VariantList> WireColony::GetP(VariantList args)
{
    requireArguments(args, 3, "GetP");
    const std::uint32_t spawnId = idAt(args, 0);
    const std::uint32_t objectId = idAt(args, 1);
    const std::string name = args[2].convert_cast<std::string>();
    if (spawnId == 0)
        throw invalid_member(name);
    const std::shared_ptr<WireBrowserHost> host = findSpawn(spawnId)->host;
    if (host->HasMethod(objectId, name)) {
        // A method read as a value: a reference the page can call later.
        const std::uint32_t id = m_nextMethodRefId++;
        MethodRefs::put(m_colonyId, id, MethodRef{host->findObject(objectId), name, host});
        return success(encodeValue(variant(std::make_pair(0u, id)), host));
    }
    return successOf(host->GetP(objectId, name), host);
}

Promise<VariantList> WireColony::SetP(VariantList args)
{
    requireArguments(args, 4, "SetP");
    const std::uint32_t spawnId = idAt(args, 0);
    const std::uint32_t objectId = idAt(args, 1);
    const std::string name = args[2].convert_cast<std::string>();
    variant value = args[3];
    if (spawnId == 0)
        throw invalid_member(name);
    const std::shared_ptr<WireBrowserHost> host = findSpawn(spawnId)->host;
    resolveValue(value, m_spawns, host);
    return successNull(host->SetP(objectId, name, value));
}

Promise<VariantList> WireColony::Invoke(VariantList args)
{
    requireArguments(args, 4, "Invoke");
    const std::uint32_t spawnId = idAt(args, 0);
    const std::uint32_t objectId = idAt(args, 1);
    const std::string name = args[2].convert_cast<std::string>();
    // The call's arguments are taken over, not copied: the list is this
    // command's own. Anything else fails the strict read, as it did.
    VariantList callArgs;
    if (VariantList* passed = args[3].get_if<VariantList>())
        callArgs = std::move(*passed);
    else
        callArgs = args[3].cast<VariantList>();
    if (spawnId == 0) {
        if (!name.empty())
            throw invalid_member(name);
        MethodRef record;
        if (!MethodRefs::find(m_colonyId, objectId, record))
            throw std::runtime_error("Invalid object");
        resolveValueList(callArgs, m_spawns, record.host);
        return successOf(record.host->Invoke(record.object.getId(), std::move(callArgs), record.method),
                         record.host);
    }
    const std::shared_ptr<WireBrowserHost> host = findSpawn(spawnId)->host;
    resolveValueList(callArgs, m_spawns, host);
    return successOf(host->Invoke(objectId, std::move(callArgs), name), host);
}

}  // namespace HostWire
}  // namespace PB
