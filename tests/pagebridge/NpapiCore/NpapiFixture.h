#pragma once
// A browser that has loaded the module: entry points taken, the module
// initialised with the fake browser's table. Instances made here are
// destroyed at the end, and the browser then checks that every object
// reference and memory block the plug-in took was given back.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FakeBrowser.h"
#include "NpapiCore/NpapiBrowserHost.h"
#include "NpapiCore/NpapiInstanceData.h"
#include "NpapiCore/NpapiPlugin.h"
#include "TestPlugin.h"

namespace test {

using Params = std::vector<std::pair<std::string, std::string>>;

class NpapiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // NPP_New for a new NPP; the result of the call in *result when asked.
    NPP newInstance(const Params& params = {}, const char* mimetype = "application/x-velon",
                    NPError* result = nullptr);
    NPError destroy(NPP instance);

    PB::Npapi::NpapiInstanceData* data(NPP instance) const;
    std::shared_ptr<PB::Npapi::NpapiBrowserHost> host(NPP instance) const;
    // The plug-in object made for the latest instance.
    std::shared_ptr<TestPlugin> lastPlugin() const;
    std::shared_ptr<TestApi> rootApi(NPP instance) const;
    // NPP_GetValue(NPPVpluginScriptableNPObject): one reference for the caller.
    NPObject* scriptable(NPP instance);

    // Calls as page script makes them; the result is released by the caller.
    NPVariant call(NPObject* obj, const std::string& method, const std::vector<NPVariant>& args = {});

    std::unique_ptr<FakeBrowser> browser;
    NPPluginFuncs plugin{};
    std::vector<std::unique_ptr<NPP_t>> instances;
};

}  // namespace test
