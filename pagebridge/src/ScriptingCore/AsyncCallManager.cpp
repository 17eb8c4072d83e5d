#include "ScriptingCore/AsyncCallManager.h"

#include <exception>
#include <map>
#include <string>
#include <vector>

#include "ScriptingCore/Log.h"

namespace PB {
namespace {

// Every live record of every manager, by ticket. A trampoline finds its
// record only through here, so a delivery after the record (or its manager)
// is gone does nothing.
class Registry {
public:
    static Registry& instance()
    {
        // Never destroyed: a host may deliver a trampoline during process exit.
        static Registry* registry = new Registry();
        return *registry;
    }

    std::uintptr_t add(PendingAsyncCall* record)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const std::uintptr_t ticket = ++m_lastTicket;
        m_records[ticket] = record;
        return ticket;
    }

    void remove(std::uintptr_t ticket)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_records.erase(ticket);
    }

    // The manager of a live record, kept alive for the caller.
    std::shared_ptr<AsyncCallManager> find(std::uintptr_t ticket, PendingAsyncCall*& record)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto found = m_records.find(ticket);
        if (found == m_records.end())
            return nullptr;
        record = found->second;
        return record->manager.lock();
    }

private:
    std::mutex m_mutex;
    std::uintptr_t m_lastTicket = 0;
    std::map<std::uintptr_t, PendingAsyncCall*> m_records;
};

void release(PendingAsyncCall* record)
{
    Registry::instance().remove(record->ticket);
    delete record;
}

// Runs the record. Nothing it throws may go on: the trampoline returns into
// the browser's event loop (and shutdown into the adapter's), where an
// exception ends the browser process.
void runCaught(PendingAsyncCall* record)
{
    std::string failure = "Unknown exception";
    try {
        record->run();
        return;
    } catch (const std::exception& e) {
        if (*e.what())
            failure = e.what();
    } catch (...) {
    }
    Log::error("AsyncCallManager", "A call posted to the main thread failed: " + failure, __FILE__, __LINE__,
               "PB::AsyncCallManager::call");
}

}  // namespace

void PendingAsyncCall::run()
{
    void (*f)(void*) = function;
    function = nullptr;
    if (f) {
        called = true;
        f(data);
    }
}

AsyncCallManager::~AsyncCallManager()
{
    // Records still pending were never delivered and never will be through
    // this manager: the registry forgets them with the rest.
    for (PendingAsyncCall* record : cancelledCalls)
        release(record);
    for (PendingAsyncCall* record : pendingCalls)
        release(record);
}

PendingAsyncCall* AsyncCallManager::makeCallback(void (*function)(void*), void* data)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    auto record = std::make_unique<PendingAsyncCall>();
    record->manager = shared_from_this();
    record->function = function;
    record->data = data;
    record->callId = ++lastId;
    record->ticket = Registry::instance().add(record.get());
    pendingCalls.insert(record.get());
    return record.release();
}

void AsyncCallManager::removeCall(PendingAsyncCall* call)
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (pendingCalls.erase(call))
        release(call);
}

void AsyncCallManager::call(PendingAsyncCall* call)
{
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        if (!pendingCalls.erase(call))
            return;
    }
    // The manager's lock is not held while it runs.
    runCaught(call);
    release(call);
}

void AsyncCallManager::callTrampoline(void* handle)
{
    PendingAsyncCall* record = nullptr;
    std::shared_ptr<AsyncCallManager> manager =
        Registry::instance().find(reinterpret_cast<std::uintptr_t>(handle), record);
    if (manager)
        manager->call(record);
}

void AsyncCallManager::shutdown()
{
    std::vector<PendingAsyncCall*> toRun;
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        toRun.assign(pendingCalls.begin(), pendingCalls.end());
        cancelledCalls.insert(pendingCalls.begin(), pendingCalls.end());
        pendingCalls.clear();
    }
    for (PendingAsyncCall* record : toRun)
        runCaught(record);
}

std::size_t AsyncCallManager::pendingCount() const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return pendingCalls.size();
}

std::size_t AsyncCallManager::cancelledCount() const
{
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return cancelledCalls.size();
}

}  // namespace PB
