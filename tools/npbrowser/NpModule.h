#pragma once
// An NPAPI plug-in module loaded with dlopen, with its three exports.

#include <string>

#include <npapi/npfunctions.h>

namespace npbrowser {

class NpModule {
public:
    // Throws std::runtime_error (with the loader's text) when the file cannot
    // be loaded or lacks one of the exports.
    explicit NpModule(const std::string& path);
    ~NpModule();
    NpModule(const NpModule&) = delete;
    NpModule& operator=(const NpModule&) = delete;

    NPError getEntryPoints(NPPluginFuncs& funcs) const { return m_getEntryPoints(&funcs); }
    NPError initialize(NPNetscapeFuncs& funcs) const { return m_initialize(&funcs); }
    NPError shutdown() const { return m_shutdown(); }

private:
    void* m_handle = nullptr;
    decltype(&NP_GetEntryPoints) m_getEntryPoints = nullptr;
    decltype(&NP_Initialize) m_initialize = nullptr;
    decltype(&NP_Shutdown) m_shutdown = nullptr;
};

}  // namespace npbrowser
