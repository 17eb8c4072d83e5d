// The module as a host loads it: complete, and exporting no more than the
// host adapters' entry points.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

TEST(Module, LoadsAndExportsOnlyEntryPoints)
{
    // Kept mapped: a few process-lifetime tables of the module are never
    // freed, and the leak checker would count them lost once it is unmapped.
    void* module = dlopen(VELON_MODULE_PATH, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(nullptr, module) << dlerror();
    EXPECT_EQ(nullptr, dlsym(module, "_Z16getPluginFactoryv"));
    dlclose(module);

    const std::set<std::string> allowed = {"HostWire_Init",     "HostWire_Finit",    "NP_GetEntryPoints",
                                           "NP_Initialize",     "NP_Shutdown",       "DllGetClassObject",
                                           "DllCanUnloadNow",   "DllRegisterServer", "DllUnregisterServer",
                                           "DllInstall"};
    std::unique_ptr<FILE, decltype(&pclose)> nm(
        popen((std::string("nm -D --defined-only ") + VELON_MODULE_PATH).c_str(), "r"), &pclose);
    ASSERT_NE(nullptr, nm);
    std::array<char, 512> line{};
    while (fgets(line.data(), line.size(), nm.get())) {
        std::istringstream fields(line.data());
        std::string address, type, name;
        fields >> address >> type >> name;
        EXPECT_TRUE(allowed.count(name)) << "exported: " << name;
    }
}

}  // namespace
