// Task memory (the allocator COM out-parameters are given in) and global memory blocks (the
// medium of POST bodies).
#pragma once

#include <com/types.h>

LPVOID CoTaskMemAlloc(SIZE_T bytes);
LPVOID CoTaskMemRealloc(LPVOID memory, SIZE_T bytes);
void CoTaskMemFree(LPVOID memory);

#define GMEM_FIXED 0x0000
#define GMEM_ZEROINIT 0x0040
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
// Fixed blocks only: the handle is the block's address.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Returns NULL on success, as the platform does.
HGLOBAL GlobalFree(HGLOBAL memory);
SIZE_T GlobalSize(HGLOBAL memory);
LPVOID GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);

namespace com {
// Test hook: the next `count` task-memory allocations fail (0 puts things right again).
void failTaskMemAllocations(int count);
}  // namespace com
