#pragma once
// The record of calls posted to the main thread. The host posts the
// manager's trampoline instead of the caller's function, so that every call
// runs at most once and those still queued at shutdown are settled there.

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>

namespace PB {

class AsyncCallManager;

struct PendingAsyncCall {
    void (*function)(void*) = nullptr;
    void* data = nullptr;
    std::int32_t callId = 0;
    bool called = false;
    std::weak_ptr<AsyncCallManager> manager;
    // What the host hands back to the trampoline: a serial number that is
    // never reused, so a late or repeated delivery can never reach a freed
    // record or another call that happens to live at the same address.
    std::uintptr_t ticket = 0;

    // Calls the function at most once.
    void run();
    void* handle() const { return reinterpret_cast<void*>(ticket); }
};

class AsyncCallManager : public std::enable_shared_from_this<AsyncCallManager> {
public:
    AsyncCallManager() = default;
    AsyncCallManager(const AsyncCallManager&) = delete;
    AsyncCallManager& operator=(const AsyncCallManager&) = delete;
    ~AsyncCallManager();

    // Throws std::bad_weak_ptr when the manager is not owned by a shared pointer.
    PendingAsyncCall* makeCallback(void (*function)(void*), void* data);
    // Withdraws a post the host refused; the record is freed.
    void removeCall(PendingAsyncCall* call);
    // Runs a record once if it is still pending, then frees it. What the
    // function throws is logged and goes no further.
    void call(PendingAsyncCall* call);
    // What the host posts, with a record's handle().
    static void callTrampoline(void* handle);
    // Runs every still-pending record once, on the calling thread; a
    // function that throws is logged and the others still run.
    void shutdown();

    std::size_t pendingCount() const;
    std::size_t cancelledCount() const;

private:
    std::int32_t lastId = 1;
    mutable std::recursive_mutex m_mutex;
    std::set<PendingAsyncCall*> pendingCalls;
    std::set<PendingAsyncCall*> cancelledCalls;
};

}  // namespace PB
