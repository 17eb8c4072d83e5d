#include "ModuleLibrary.h"

#include <dlfcn.h>

#include <stdexcept>

namespace wirehost {

namespace {

std::string loaderError()
{
    const char* text = dlerror();
    return text ? text : "unknown error";
}

}  // namespace

ModuleLibrary::ModuleLibrary(const std::string& path)
{
    // Kept mapped after unloading: the module keeps a few tables for the
    // life of the process, which the leak checker would count as lost once
    // their memory is unmapped.
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!m_handle)
        throw std::runtime_error("Cannot load " + path + ": " + loaderError());
    m_init = reinterpret_cast<decltype(m_init)>(dlsym(m_handle, "HostWire_Init"));
    m_finit = reinterpret_cast<decltype(m_finit)>(dlsym(m_handle, "HostWire_Finit"));
    if (!m_init || !m_finit) {
        dlclose(m_handle);
        throw std::runtime_error(path + " has no HostWire entry points");
    }
}

ModuleLibrary::~ModuleLibrary()
{
    dlclose(m_handle);
}

}  // namespace wirehost
