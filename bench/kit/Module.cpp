#include "kit/Module.h"

#include <dlfcn.h>

#include <stdexcept>

#include "kit/Workspace.h"

namespace bench {

Module& Module::get()
{
    static Module module;
    return module;
}

Module::Module()
{
    const std::string path = Workspace::get().modulePath();
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!m_handle) {
        const char* text = dlerror();
        throw std::runtime_error("cannot load " + path + ": " + (text ? text : "unknown error"));
    }
}

void* Module::symbol(const char* name) const
{
    void* found = dlsym(m_handle, name);
    if (!found)
        throw std::runtime_error(std::string("the module has no ") + name);
    return found;
}

}  // namespace bench
