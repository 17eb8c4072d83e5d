#include "PluginAuto/ModulePath.h"

#include <dlfcn.h>

namespace PB {

namespace {
std::string findModulePath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&findModulePath), &info) == 0 || !info.dli_fname)
        return std::string();
    return info.dli_fname;
}
}  // namespace

const std::string& getModulePath()
{
    static const std::string path = findModulePath();
    return path;
}

}  // namespace PB
