#include "Velon/TemporaryFile.h"

#include <win32/kernel.h>

#include <cstdio>

#include "ScriptingCore/utf8_tools.h"
#include "Velon/VelonAPI.h"

namespace velon {

TemporaryFile TemporaryFile::create(const char* function)
{
    wchar_t folder[MAX_PATH] = {};
    const DWORD folderLength = GetTempPathW(MAX_PATH, folder);
    // A longer folder is not written into the buffer at all.
    if (folderLength == 0 || folderLength >= MAX_PATH)
        VelonAPI::fail_with_key(function, "err_temp_path");
    wchar_t name[MAX_PATH] = {};
    if (GetTempFileNameW(folder, nullptr, 0, name) == 0)
        VelonAPI::fail_with_key(function, "err_temp_file");
    return TemporaryFile(PB::wstring_to_utf8(name));
}

TemporaryFile::~TemporaryFile()
{
    std::remove(name_.c_str());
}

}  // namespace velon
