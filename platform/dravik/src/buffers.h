// Buffers and texts handed to the caller, who frees them with BufferFree or
// FreeBuffer. Every one is registered, so that a release of anything else is
// ignored and the test control can count what is still held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace dravik {

// A new zero-filled buffer of length bytes plus a terminating zero.
char* newBuffer(size_t length);
// A new buffer holding a copy of bytes, plus a terminating zero.
char* newBuffer(const std::string& bytes);
// Releases a buffer handed out by newBuffer; false for anything else.
bool releaseBuffer(void* buffer);
size_t liveBufferCount();

// Hands bytes to the caller through the usual output pair.
void handOut(const std::string& bytes, char** output, uint32_t* outputLength);

}  // namespace dravik
