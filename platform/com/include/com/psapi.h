// The process's modules, as PSAPI reports them: the program first.
#pragma once

#include <win32/types.h>

#include <string>

// The pseudo handle of the calling process.
HANDLE GetCurrentProcess();
// Fills as many module handles as fit in bytes; *needed is the size of all of them.
BOOL EnumProcessModules(HANDLE process, HMODULE* modules, DWORD bytes, LPDWORD needed);
// The module's file; characters written without the NUL, 0 on failure. The text is cut to
// size - 1 characters.
DWORD GetModuleFileNameExW(HANDLE process, HMODULE module, LPWSTR fileName, DWORD size);

namespace com {
// Test hook: the program's file as the two calls above report it (empty: the real one).
void setProgramFileForTesting(const std::string& path);
}  // namespace com
