#include "HostWire/ModulePath.h"

#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace PB {
namespace HostWire {

namespace {

std::string findModulePath()
{
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&findModulePath), &info) || !info.dli_fname)
        return std::string();
    std::unique_ptr<char, decltype(&std::free)> full(realpath(info.dli_fname, nullptr), &std::free);
    return full ? std::string(full.get()) : std::string(info.dli_fname);
}

}  // namespace

const std::string& modulePath()
{
    static const std::string path = findModulePath();
    return path;
}

}  // namespace HostWire
}  // namespace PB
