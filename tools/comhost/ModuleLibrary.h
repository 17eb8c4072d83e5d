#pragma once
// A COM module loaded with dlopen, with its five entry points.

#include <string>

#include <com/unknown.h>

namespace comhost {

class ModuleLibrary {
public:
    using GetClassObject = HRESULT (*)(REFCLSID, REFIID, void**);
    using NoArguments = HRESULT (*)();
    using Install = HRESULT (*)(BOOL, LPCWSTR);

    // Throws std::runtime_error (with the loader's text) when the file cannot
    // be loaded or lacks an entry point.
    explicit ModuleLibrary(const std::string& path);
    // Unloads the module only when it says it can be.
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    GetClassObject getClassObject = nullptr;
    NoArguments canUnloadNow = nullptr;
    NoArguments registerServer = nullptr;
    NoArguments unregisterServer = nullptr;
    Install install = nullptr;

private:
    void* m_handle = nullptr;
};

}  // namespace comhost
