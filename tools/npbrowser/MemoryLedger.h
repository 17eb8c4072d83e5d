#pragma once
// The memory blocks NPN_MemAlloc gave out and NPN_MemFree has not taken
// back, whichever side allocated them. Any thread: a plug-in may allocate
// off the main thread.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <set>

namespace npbrowser {

class MemoryLedger {
public:
    void* allocate(std::uint32_t size);
    // False (and nothing freed) for a block this ledger did not give out.
    bool free(void* block);
    std::size_t size() const;
    // Frees every block still out (once their holder has said it is done).
    void freeAll();

private:
    mutable std::mutex m_mutex;
    std::set<void*> m_blocks;
};

}  // namespace npbrowser
