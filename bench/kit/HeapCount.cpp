// Counting allocation functions in place of the C library's. The executable
// exports them (allocator.list), so that the modules it loads allocate
// through them too. Outside a window they only forward.
#include "kit/HeapCount.h"

#include <malloc.h>

#include <atomic>
#include <cstddef>

extern "C" {
void* __libc_malloc(std::size_t size);
void __libc_free(void* block);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* block, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* __libc_valloc(std::size_t size);
void* __libc_pvalloc(std::size_t size);
}

namespace {

std::atomic<bool> counting{false};
std::atomic<std::int64_t> live{0};
std::atomic<std::int64_t> highest{0};

void grow(void* block)
{
    if (!block || !counting.load(std::memory_order_relaxed))
        return;
    const auto size = static_cast<std::int64_t>(malloc_usable_size(block));
    const std::int64_t now = live.fetch_add(size, std::memory_order_relaxed) + size;
    std::int64_t seen = highest.load(std::memory_order_relaxed);
    while (now > seen && !highest.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
    }
}

void shrink(void* block)
{
    if (block && counting.load(std::memory_order_relaxed))
        live.fetch_sub(static_cast<std::int64_t>(malloc_usable_size(block)), std::memory_order_relaxed);
}

}  // namespace

extern "C" {

void* malloc(std::size_t size)
{
    void* block = __libc_malloc(size);
    grow(block);
    return block;
}

void free(void* block)
{
    shrink(block);
    __libc_free(block);
}

void* calloc(std::size_t count, std::size_t size)
{
    void* block = __libc_calloc(count, size);
    grow(block);
    return block;
}

void* realloc(void* block, std::size_t size)
{
    const bool counted = block && counting.load(std::memory_order_relaxed);
    const std::int64_t before = counted ? static_cast<std::int64_t>(malloc_usable_size(block)) : 0;
    void* moved = __libc_realloc(block, size);
    if (!moved && size != 0)
        return moved;  // the old block is still held
    if (counted)
        live.fetch_sub(before, std::memory_order_relaxed);
    grow(moved);
    return moved;
}

void* memalign(std::size_t alignment, std::size_t size)
{
    void* block = __libc_memalign(alignment, size);
    grow(block);
    return block;
}

void* aligned_alloc(std::size_t alignment, std::size_t size)
{
    return memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size)
{
    if (alignment < sizeof(void*) || (alignment & (alignment - 1)) != 0)
        return 22;  // EINVAL
    void* block = memalign(alignment, size);
    if (!block)
        return 12;  // ENOMEM
    *out = block;
    return 0;
}

void* valloc(std::size_t size)
{
    void* block = __libc_valloc(size);
    grow(block);
    return block;
}

void* pvalloc(std::size_t size)
{
    void* block = __libc_pvalloc(size);
    grow(block);
    return block;
}

}  // extern "C"

namespace bench {

HeapWindow::HeapWindow()
{
    live.store(0, std::memory_order_relaxed);
    highest.store(0, std::memory_order_relaxed);
    counting.store(true, std::memory_order_seq_cst);
}

HeapWindow::~HeapWindow()
{
    counting.store(false, std::memory_order_seq_cst);
}

std::int64_t HeapWindow::peak() const
{
    return highest.load(std::memory_order_relaxed);
}

}  // namespace bench
