#include "PluginAuto/ModulePath.h"

#include <dlfcn.h>

namespace PB {

namespace {

// What the loader knows of the image holding this code.
const Dl_info* thisImage()
{
    static Dl_info info{};
    static const bool found = dladdr(reinterpret_cast<void*>(&thisImage), &info) != 0;
    return found ? &info : nullptr;
}

std::string findModulePath()
{
    const Dl_info* info = thisImage();
    return info && info->dli_fname ? info->dli_fname : std::string();
}

}  // namespace

const std::string& getModulePath()
{
    static const std::string path = findModulePath();
    return path;
}

HINSTANCE getModuleHandle()
{
    const Dl_info* info = thisImage();
    return info ? static_cast<HINSTANCE>(info->dli_fbase) : nullptr;
}

}  // namespace PB
