#include "buffers.h"

#include <openssl/crypto.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <unordered_map>

#include "api_call.h"

namespace dravik {
namespace {

std::unordered_map<void*, size_t>& liveBuffers() {
  static std::unordered_map<void*, size_t> buffers;
  return buffers;
}

}  // namespace

char* newBuffer(size_t length) {
  char* buffer = static_cast<char*>(std::calloc(length + 1, 1));
  if (!buffer) throw std::bad_alloc();
  try {
    liveBuffers().emplace(buffer, length);
  } catch (...) {
    std::free(buffer);
    throw;
  }
  return buffer;
}

char* newBuffer(const std::string& bytes) {
  char* buffer = newBuffer(bytes.size());
  if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
  return buffer;
}

bool releaseBuffer(void* buffer) {
  auto found = liveBuffers().find(buffer);
  if (found == liveBuffers().end()) return false;
  // Buffers may have held keys, passwords or signed data.
  OPENSSL_cleanse(buffer, found->second);
  std::free(buffer);
  liveBuffers().erase(found);
  return true;
}

size_t liveBufferCount() { return liveBuffers().size(); }

void handOut(const std::string& bytes, char** output, uint32_t* outputLength) {
  require(bytes.size() <= UINT32_MAX, DRAVIK_E_MEMORY);
  *output = newBuffer(bytes);
  *outputLength = static_cast<uint32_t>(bytes.size());
}

}  // namespace dravik

using namespace dravik;

extern "C" DRAVIK_API char* AllocBuffer(uint32_t size) {
  return callPointer<char>("AllocBuffer", Needs::Init, Args().number("size", size),
                           [&] { return newBuffer(size); });
}

extern "C" DRAVIK_API void BufferFree(void* buffer) {
  callRelease("BufferFree", Args().handle("buffer", buffer), [&] { releaseBuffer(buffer); });
}

extern "C" DRAVIK_API void FreeBuffer(void* buffer) {
  callRelease("FreeBuffer", Args().handle("buffer", buffer), [&] { releaseBuffer(buffer); });
}
