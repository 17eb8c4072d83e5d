#include "ModuleLibrary.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>

#include <stdexcept>

namespace comhost {

namespace {

template <typename Function>
Function entry(void* handle, const char* name)
{
    return reinterpret_cast<Function>(dlsym(handle, name));
}

}  // namespace

ModuleLibrary::ModuleLibrary(const std::string& path)
{
    // By its full path, which is what registration writes.
    char full[PATH_MAX];
    // Kept mapped after unloading: the module keeps a few tables for the
    // life of the process, which the leak checker would count as lost once
    // their memory is unmapped.
    m_handle = dlopen(realpath(path.c_str(), full) ? full : path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!m_handle) {
        const char* text = dlerror();
        throw std::runtime_error("Cannot load " + path + ": " + (text ? text : "unknown error"));
    }
    getClassObject = entry<GetClassObject>(m_handle, "DllGetClassObject");
    canUnloadNow = entry<NoArguments>(m_handle, "DllCanUnloadNow");
    registerServer = entry<NoArguments>(m_handle, "DllRegisterServer");
    unregisterServer = entry<NoArguments>(m_handle, "DllUnregisterServer");
    install = entry<Install>(m_handle, "DllInstall");
    if (!getClassObject || !canUnloadNow || !registerServer || !unregisterServer || !install) {
        dlclose(m_handle);
        throw std::runtime_error(path + " has no COM entry points");
    }
}

ModuleLibrary::~ModuleLibrary()
{
    if (canUnloadNow() == S_OK)
        dlclose(m_handle);
}

}  // namespace comhost
