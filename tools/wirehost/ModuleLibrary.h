#pragma once
// A plug-in module loaded with dlopen, with its two HostWire entry points.

#include <string>

#include "HostWire/WireFuncs.h"

namespace wirehost {

class ModuleLibrary {
public:
    // Throws std::runtime_error (with the loader's text) when the file cannot
    // be loaded or lacks an entry point.
    explicit ModuleLibrary(const std::string& path);
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    std::uint8_t init(const WireHostFuncs& host, WireModuleFuncs& module) const { return m_init(&host, &module); }
    std::uint8_t finit() const { return m_finit(); }

private:
    void* m_handle = nullptr;
    decltype(&HostWire_Init) m_init = nullptr;
    decltype(&HostWire_Finit) m_finit = nullptr;
};

}  // namespace wirehost
