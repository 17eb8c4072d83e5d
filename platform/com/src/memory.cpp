#include <com/memory.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
std::atomic<int> g_failingAllocations{0};

bool allocationRefused() {
  int left = g_failingAllocations.load();
  while (left > 0) {
    if (g_failingAllocations.compare_exchange_weak(left, left - 1)) return true;
  }
  return false;
}

// Global blocks keep their size in front of the data.
struct GlobalHeader {
  SIZE_T size;
  std::max_align_t align;
};
}  // namespace

namespace com {
void failTaskMemAllocations(int count) { g_failingAllocations = count; }
}  // namespace com

LPVOID CoTaskMemAlloc(SIZE_T bytes) {
  if (allocationRefused()) return nullptr;
  return std::malloc(bytes ? bytes : 1);
}

LPVOID CoTaskMemRealloc(LPVOID memory, SIZE_T bytes) {
  if (allocationRefused()) return nullptr;
  return std::realloc(memory, bytes ? bytes : 1);
}

void CoTaskMemFree(LPVOID memory) { std::free(memory); }

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  auto* block = static_cast<unsigned char*>(std::malloc(sizeof(GlobalHeader) + bytes));
  if (!block) return nullptr;
  reinterpret_cast<GlobalHeader*>(block)->size = bytes;
  unsigned char* data = block + sizeof(GlobalHeader);
  if (flags & GMEM_ZEROINIT) std::memset(data, 0, bytes);
  return data;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
  if (memory) std::free(static_cast<unsigned char*>(memory) - sizeof(GlobalHeader));
  return nullptr;
}

SIZE_T GlobalSize(HGLOBAL memory) {
  if (!memory) return 0;
  return reinterpret_cast<GlobalHeader*>(static_cast<unsigned char*>(memory) - sizeof(GlobalHeader))->size;
}

LPVOID GlobalLock(HGLOBAL memory) { return memory; }

BOOL GlobalUnlock(HGLOBAL) { return FALSE; }
