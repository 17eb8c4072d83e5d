#include "Velon/SmartTokenSessions.h"

#include <dravik/dravik.h>

#include <mutex>

namespace velon {
namespace SmartTokenSessions {
namespace {

// Held across the library calls, so that a session opening on one thread
// and the last one closing on another cannot interleave their reading and
// writing of the flags.
std::mutex guard;
unsigned open_sessions = 0;
std::uint32_t earlier_flags = 0;

}  // namespace

int open(std::uint32_t bits, std::uint32_t* earlier, const char** failed)
{
    const std::lock_guard<std::mutex> lock(guard);
    std::uint32_t current = 0;
    int result = GetPKCS7Flags(&current);
    if (result != 0) {
        *failed = "GetPKCS7Flags";
        return result;
    }
    result = SetPKCS7Flags(current | bits);
    if (result != 0) {
        *failed = "SetPKCS7Flags";
        return result;
    }
    if (open_sessions++ == 0)
        earlier_flags = current;
    *earlier = earlier_flags;
    return 0;
}

int close()
{
    const std::lock_guard<std::mutex> lock(guard);
    if (open_sessions == 0 || --open_sessions > 0)
        return 0;
    return SetPKCS7Flags(earlier_flags);
}

}  // namespace SmartTokenSessions
}  // namespace velon
