#pragma once
// The two function tables through which a HostWire host process and the
// module talk, and the module's two exported entry points.
//
// Each side sends JSON commands through the other's `call` and answers the
// other's commands through its `cb`, naming the command by its id. Natively
// the tables hold pointer-sized entries, so `size` counts this platform's
// bytes: sizeof(WireModuleFuncs) for the module's table, and up to
// sizeof(WireHostFuncs) of the host's (a shorter host table leaves the later
// entries unset).

#include <cstdint>

extern "C" {

// (colony id, command id, UTF-8 JSON text, its length in bytes) -> result code.
typedef std::uint8_t (*WireEntryFunc)(std::uint32_t colonyId, std::uint32_t commandId, const char* text,
                                      std::uint32_t length);
// Runs function(data) later on the host's thread; 0 when the host accepted.
typedef std::uint8_t (*WireScheduleFunc)(void (*function)(void*), void* data);

struct WireModuleFuncs {
    std::uint16_t size;
    std::uint16_t version;
    WireEntryFunc call;
    WireEntryFunc cb;
};

struct WireHostFuncs {
    std::uint16_t size;
    std::uint16_t version;
    WireEntryFunc call;
    WireEntryFunc cb;
    WireScheduleFunc scheduleAsync;
};

// Fills the module's table for the host; 0 on success, 1 when a table is missing.
std::uint8_t HostWire_Init(const WireHostFuncs* hostFuncs, WireModuleFuncs* moduleFuncs);
// Ends the connection: every plug-in instance is shut down. Always 0.
std::uint8_t HostWire_Finit();

}  // extern "C"

namespace PB {
namespace HostWire {

// Results of the module's `call`. Only a dispatched command is answered
// through the host's `cb`; for the others the code is the whole answer,
// except that a command whose arguments cannot be read gets a "Malformed
// JSON request" reply besides kNotJson.
enum CallResult : std::uint8_t {
    kDispatched = 1,      // exactly one reply follows, now or later
    kNotJson = 2,         // the text is not JSON (or its arguments cannot be read)
    kNotCommand = 3,      // not a [name, arguments...] array
    kUnknownCommand = 4,  // no such command
    kNoColony = 5,        // HostWire_Init has not set this colony up
};

// Results of the module's `cb`.
enum CallbackResult : std::uint8_t {
    kAnswerTaken = 0,
    kNotPending = 5,  // no command of the module waits for that id (or no such colony)
};

std::uint8_t moduleCall(std::uint32_t colonyId, std::uint32_t commandId, const char* text, std::uint32_t length);
std::uint8_t moduleCallback(std::uint32_t colonyId, std::uint32_t commandId, const char* text,
                            std::uint32_t length);

}  // namespace HostWire
}  // namespace PB
