#include "NpModule.h"

#include <dlfcn.h>

#include <stdexcept>

namespace npbrowser {

namespace {

std::string loaderError()
{
    const char* text = dlerror();
    return text ? text : "unknown error";
}

}  // namespace

NpModule::NpModule(const std::string& path)
{
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle)
        throw std::runtime_error("Cannot load " + path + ": " + loaderError());
    m_getEntryPoints = reinterpret_cast<decltype(m_getEntryPoints)>(dlsym(m_handle, "NP_GetEntryPoints"));
    m_initialize = reinterpret_cast<decltype(m_initialize)>(dlsym(m_handle, "NP_Initialize"));
    m_shutdown = reinterpret_cast<decltype(m_shutdown)>(dlsym(m_handle, "NP_Shutdown"));
    if (!m_getEntryPoints || !m_initialize || !m_shutdown) {
        dlclose(m_handle);
        throw std::runtime_error(path + " has no NPAPI entry points");
    }
}

NpModule::~NpModule()
{
    dlclose(m_handle);
}

}  // namespace npbrowser
