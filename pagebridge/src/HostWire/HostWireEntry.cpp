// The module's HostWire entry points. Nothing may leave them as an
// exception: every failure becomes a result code or an error reply.

#include <typeinfo>

#include "HostWire/WireColony.h"
#include "HostWire/WireMessages.h"
#include "PluginCore/FactoryBase.h"
#include "ScriptingCore/Log.h"

namespace PB {
namespace HostWire {

namespace {

std::string messageText(const char* text, std::uint32_t length)
{
    return text ? std::string(text, length) : std::string();
}

// The colony HostWire_Init set up; other ids have nobody to answer through.
std::shared_ptr<WireColony> connectedColony(std::uint32_t colonyId)
{
    std::shared_ptr<WireColony> colony = WireColony::findColony(colonyId);
    return colony && colony->hasHostFuncs() ? colony : nullptr;
}

void answerMalformed(WireColony& colony, std::uint32_t commandId, const std::string& message)
{
    try {
        colony.sendResponse(commandId, errorReply("Malformed JSON request", message));
    } catch (...) {
    }
}

}  // namespace

std::uint8_t moduleCall(std::uint32_t colonyId, std::uint32_t commandId, const char* text, std::uint32_t length)
{
    std::shared_ptr<WireColony> colony = connectedColony(colonyId);
    if (!colony)
        return kNoColony;
    try {
        // Read where the host keeps it: a large command is not copied first.
        return colony->onCommand(commandId, text ? text : "", text ? length : 0);
    } catch (const std::exception& e) {
        // A value the command could not be read as (a bad_cast among them).
        answerMalformed(*colony, commandId, e.what());
    } catch (...) {
        answerMalformed(*colony, commandId, "Unknown error");
    }
    return kNotJson;
}

std::uint8_t moduleCallback(std::uint32_t colonyId, std::uint32_t commandId, const char* text,
                            std::uint32_t length)
{
    std::shared_ptr<WireColony> colony = connectedColony(colonyId);
    if (!colony)
        return kNotPending;
    try {
        return colony->onAnswer(commandId, messageText(text, length));
    } catch (const std::exception& e) {
        // The answer was taken; what failed is the plug-in's reaction to it.
        Log::error("HostWire", std::string("Handling the host's answer failed: ") + e.what(), __FILE__, __LINE__,
                   "PB::HostWire::moduleCallback");
    } catch (...) {
        Log::error("HostWire", "Handling the host's answer failed", __FILE__, __LINE__,
                   "PB::HostWire::moduleCallback");
    }
    return kAnswerTaken;
}

}  // namespace HostWire
}  // namespace PB

extern "C" std::uint8_t HostWire_Init(const WireHostFuncs* hostFuncs, WireModuleFuncs* moduleFuncs)
{
    using namespace PB::HostWire;
    if (!hostFuncs || !moduleFuncs)
        return 1;
    try {
        // The colony first: the first one starts logging, so this line is kept.
        const bool starting = WireColony::findColony(0) == nullptr;
        std::shared_ptr<WireColony> colony = WireColony::getColony(0);
        PB::Log::info("HostWire", "Initializing HostWire plugin", __FILE__, __LINE__, "HostWire_Init");
        colony->setHostFuncs(*hostFuncs);
        if (starting)
            getPluginFactory()->onModuleStart();
    } catch (...) {
        return 1;
    }
    moduleFuncs->size = sizeof(WireModuleFuncs);
    moduleFuncs->version = 1;
    moduleFuncs->call = &moduleCall;
    moduleFuncs->cb = &moduleCallback;
    return 0;
}

extern "C" std::uint8_t HostWire_Finit()
{
    PB::Log::info("HostWire", "Finalizing HostWire plugin", __FILE__, __LINE__, "HostWire_Finit");
    try {
        const bool started = PB::HostWire::WireColony::findColony(0) != nullptr;
        PB::HostWire::WireColony::finalizeColony(0);
        if (started)
            getPluginFactory()->onModuleStop();
    } catch (...) {
    }
    return 0;
}
