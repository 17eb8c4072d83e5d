// Run-time lookup of the system libraries the COM layer stands in for. OLEAUT32.DLL (any case)
// is the one it knows; its exports RegisterTypeLibForUser and UnRegisterTypeLibForUser can be
// found by name.
#pragma once

#include <com/types.h>

#include <string>

HMODULE LoadLibraryW(LPCWSTR name);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);

namespace com {
// Test hook: an export that GetProcAddress does not find, as on systems that lack it.
void hideExportForTesting(const std::string& name, bool hidden);
}  // namespace com
