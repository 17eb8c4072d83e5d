// Resources a module carries (registry scripts, type libraries, version blocks). A module adds
// its own from a static initializer; they are found by module handle, type and numeric id.
// The module handle of an image is the base address the loader gave it.
#pragma once

#include <win32/types.h>

#include <string>

namespace com {

// The module (the program or a loaded library) that holds the address.
HMODULE moduleOfAddress(const void* address);
// The file the module was loaded from, as the loader names it; empty when unknown.
std::string moduleFileName(HMODULE module);
// The module with resources that was loaded from that file (as moduleFileName names it), or NULL.
HMODULE moduleOfFile(const std::string& path);

// Replaces an earlier resource of the same module, type and id.
void addResource(HMODULE module, const std::wstring& type, int id, std::string data);
bool findResource(HMODULE module, const std::wstring& type, int id, std::string* data);

}  // namespace com
