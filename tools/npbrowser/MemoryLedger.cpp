#include "MemoryLedger.h"

#include <cstdlib>

namespace npbrowser {

void* MemoryLedger::allocate(std::uint32_t size)
{
    // Never a null block for size 0: the plug-in could not tell it from a failure.
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_blocks.insert(block);
    }
    return block;
}

bool MemoryLedger::free(void* block)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_blocks.erase(block))
            return false;
    }
    std::free(block);
    return true;
}

std::size_t MemoryLedger::size() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_blocks.size();
}

void MemoryLedger::freeAll()
{
    std::set<void*> blocks;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        blocks.swap(m_blocks);
    }
    for (void* block : blocks)
        std::free(block);
}

}  // namespace npbrowser
