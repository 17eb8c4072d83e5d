// Reading files for the page and the signing methods, and key-path tests.
#include "Velon/VelonAPI.h"

#include <climits>
#include <cstdint>
#include <utility>
#include <vector>

#include "Velon/ApiLog.h"
#include "Velon/KeyUnlocks.h"
#include "Velon/RegularFile.h"

int VelonAPI::file_buffer_char(std::string path, char** buffer)
{
    VELON_TRACE("VelonAPI::file_buffer_char", "VelonAPI::file_buffer_char(" + path + ", *out_buf*)");
    const char* const function = "VelonAPI::file_buffer_char";
    *buffer = nullptr;
    // Only a regular file has bytes to read to an end: a FIFO or a device
    // would block or never end, a folder has none.
    velon::RegularFile file(path);
    if (!file.is_open())
        fail_with_key(function, "err_file_open");
    // Lengths travel as 32-bit values; a larger file cannot be handed on.
    if (file.size() > static_cast<std::uint64_t>(INT_MAX))
        fail_with_key(function, "err_mem_01");
    const int size = static_cast<int>(file.size());
    velon::LibraryBuffer data(AllocBuffer(static_cast<std::uint32_t>(size)));
    if (!data)
        fail_with_key(function, "err_mem_01");
    // A short read would sign or return something other than the file.
    if (!file.read_exactly(data.get(), static_cast<std::size_t>(size)))
        fail_with_key(function, "err_file_open");
    *buffer = data.release();
    return size;
}

std::string VelonAPI::file_buffer(std::string path)
{
    VELON_TRACE("VelonAPI::file_buffer", "VelonAPI::file_buffer(" + path + ")");
    // Any file the user can read would otherwise be open to any page.
    check_initPlugin("file_buffer");
    char* raw = nullptr;
    const int size = file_buffer_char(path, &raw);
    velon::LibraryBuffer data(raw);
    return std::string(data.get(), static_cast<std::size_t>(size));
}

std::string VelonAPI::path_to_system_cp(const std::string& function, std::string path)
{
    if (path.find('\0') != std::string::npos)
        fail_with_key(function, "err_file_open");
    return utf8_to_system_cp(std::move(path));
}

std::string VelonAPI::key_path_to_system_cp(const std::string& function, std::string path)
{
    std::string converted = path_to_system_cp(function, std::move(path));
    claim_key_path(function, converted);
    return converted;
}

void VelonAPI::claim_key_path(const std::string& function, const std::string& path)
{
    const int forgotten = velon::KeyUnlocks::claim(access_site, path);
    if (forgotten != 0)
        fail_with_library(function, "ClearPrivateKeysAt", forgotten);
}

bool VelonAPI::fileExists(std::string path)
{
    VELON_TRACE("VelonAPI::fileExists", "VelonAPI::fileExists(" + path + ")");
    check_initPlugin("fileExists");
    const std::string converted = path_to_system_cp("VelonAPI::fileExists", path);
    std::vector<char> terminated(converted.begin(), converted.end());
    terminated.push_back('\0');
    return FileExists(terminated.data()) != 0;
}

bool VelonAPI::is_smarttoken_path(std::string path)
{
    if (path.empty())
        return false;
    const std::string::size_type pkcs11 = path.find("pkcs11");
    if (pkcs11 == std::string::npos)
        return false;
    return path.find("smarttoken", pkcs11) != std::string::npos;
}
