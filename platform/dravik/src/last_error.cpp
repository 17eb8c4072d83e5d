#include "last_error.h"

#include "dravik/dravik.h"

namespace dravik {
namespace {
thread_local int threadLastError = 0;
}

void setLastError(int code) { threadLastError = code; }
int lastError() { return threadLastError; }

}  // namespace dravik

extern "C" DRAVIK_API int GetDravikLastError(void) { return dravik::lastError(); }
