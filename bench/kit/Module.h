#pragma once
// The plug-in module as a host loads it: a copy of libnpVelon.so in the
// benchmark's folder, beside the configuration that trusts the benchmark
// page, loaded with dlopen and kept mapped for the life of the process.

#include <string>

namespace bench {

class Module {
public:
    // The module of the process, loaded on first use (Workspace first).
    static Module& get();

    template <typename Function>
    Function entry(const char* name) const
    {
        return reinterpret_cast<Function>(symbol(name));
    }

private:
    Module();
    void* symbol(const char* name) const;
    void* m_handle = nullptr;
};

}  // namespace bench
