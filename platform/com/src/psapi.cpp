#include <com/psapi.h>

#include <win32/kernel.h>

#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <mutex>

namespace {
std::mutex g_mutex;
std::string& programOverride() {
  static std::string path;
  return path;
}

std::string programFile() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!programOverride().empty()) return programOverride();
  }
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  return std::string(path, static_cast<std::size_t>(length));
}

// The program's own image, the loader's first: its handle is the address of its lowest segment.
HMODULE programModule() {
  uintptr_t base = 0;
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        uintptr_t lowest = UINTPTR_MAX;
        for (int i = 0; i < info->dlpi_phnum; ++i)
          if (info->dlpi_phdr[i].p_type == PT_LOAD && info->dlpi_phdr[i].p_vaddr < lowest)
            lowest = info->dlpi_phdr[i].p_vaddr;
        *static_cast<uintptr_t*>(data) = info->dlpi_addr + (lowest == UINTPTR_MAX ? 0 : lowest);
        return 1;
      },
      &base);
  return reinterpret_cast<HMODULE>(base);
}

HANDLE currentProcess() { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)); }
}  // namespace

namespace com {
void setProgramFileForTesting(const std::string& path) {
  std::lock_guard<std::mutex> lock(g_mutex);
  programOverride() = path;
}
}  // namespace com

HANDLE GetCurrentProcess() { return currentProcess(); }

BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, LPDWORD needed) {
  if (process != currentProcess() || !needed) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *needed = sizeof(HMODULE);
  if (modules && bytes >= sizeof(HMODULE)) modules[0] = programModule();
  return TRUE;
}

DWORD GetModuleFileNameExW(HANDLE process, HMODULE module, LPWSTR fileName, DWORD size) {
  if (process != currentProcess() || !fileName || size == 0 || module != programModule()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string path = programFile();
  const int needed = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
  if (needed > 0) MultiByteToWideChar(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), &wide[0], needed);
  const std::size_t length = std::min<std::size_t>(wide.size(), size - 1);
  std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(length), fileName);
  fileName[length] = 0;
  return static_cast<DWORD>(length);
}
