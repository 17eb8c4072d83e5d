// Reading files for the page and the signing methods, and key-path tests.
#include "Velon/VelonAPI.h"

#include <boost/filesystem/operations.hpp>

#include <climits>
#include <fstream>
#include <vector>

#include "Velon/ApiLog.h"

int VelonAPI::file_buffer_char(std::string path, char** buffer)
{
    VELON_TRACE("VelonAPI::file_buffer_char", "VelonAPI::file_buffer_char(" + path + ", *out_buf*)");
    const char* const function = "VelonAPI::file_buffer_char";
    *buffer = nullptr;
    std::ifstream file(path, std::ios::in | std::ios::binary | std::ios::ate);
    boost::system::error_code ignored;
    // A folder opens as a stream here but has no bytes to read.
    if (!file.is_open() || boost::filesystem::is_directory(path, ignored))
        fail_with_key(function, "err_file_open");
    const std::streamoff end = file.tellg();
    if (end < 0)
        fail_with_key(function, "err_file_open");
    // Lengths travel as 32-bit values; a larger file cannot be handed on.
    if (end > INT_MAX)
        fail_with_key(function, "err_mem_01");
    const int size = static_cast<int>(end);
    velon::LibraryBuffer data(AllocBuffer(static_cast<std::uint32_t>(size)));
    if (!data)
        fail_with_key(function, "err_mem_01");
    file.clear();
    file.seekg(0, std::ios::beg);
    file.read(data.get(), size);
    // A short read would sign or return something other than the file.
    if (file.gcount() != size)
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

bool VelonAPI::fileExists(std::string path)
{
    VELON_TRACE("VelonAPI::fileExists", "VelonAPI::fileExists(" + path + ")");
    check_initPlugin("fileExists");
    const std::string converted = utf8_to_system_cp(path);
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
