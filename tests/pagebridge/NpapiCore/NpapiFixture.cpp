#include "NpapiFixture.h"

namespace test {

void NpapiTest::SetUp()
{
    browser = std::make_unique<FakeBrowser>();
    plugin.size = sizeof(plugin);
    ASSERT_EQ(NP_GetEntryPoints(&plugin), NPERR_NO_ERROR);
    ASSERT_EQ(NP_Initialize(browser->funcs()), NPERR_NO_ERROR);
}

void NpapiTest::TearDown()
{
    for (const auto& instance : instances) {
        if (instance->pdata)
            destroy(instance.get());
    }
    browser->pump();
    EXPECT_EQ(browser->offThreadCalls, 0);
    NP_Shutdown();
    browser.reset();
    EXPECT_EQ(FakeBrowser::leakedObjects, 0u) << "object references the plug-in never released";
    EXPECT_EQ(FakeBrowser::leakedAllocations, 0u) << "browser memory the plug-in never freed";
    testFactory()->made.clear();
}

NPP NpapiTest::newInstance(const Params& params, const char* mimetype, NPError* result)
{
    instances.push_back(std::make_unique<NPP_t>());
    NPP instance = instances.back().get();
    instance->pdata = nullptr;
    std::vector<char*> names, values;
    for (const auto& param : params) {
        names.push_back(const_cast<char*>(param.first.c_str()));
        values.push_back(const_cast<char*>(param.second.c_str()));
    }
    const NPError err = plugin.newp(const_cast<char*>(mimetype), instance, NP_EMBED,
                                    static_cast<int16_t>(names.size()), names.data(), values.data(), nullptr);
    if (result)
        *result = err;
    else
        EXPECT_EQ(err, NPERR_NO_ERROR);
    return instance;
}

NPError NpapiTest::destroy(NPP instance)
{
    return plugin.destroy(instance, nullptr);
}

PB::Npapi::NpapiInstanceData* NpapiTest::data(NPP instance) const
{
    return static_cast<PB::Npapi::NpapiInstanceData*>(instance->pdata);
}

std::shared_ptr<PB::Npapi::NpapiBrowserHost> NpapiTest::host(NPP instance) const
{
    return data(instance)->host;
}

std::shared_ptr<TestPlugin> NpapiTest::lastPlugin() const
{
    return testFactory()->made.empty() ? nullptr : testFactory()->made.back().lock();
}

std::shared_ptr<TestApi> NpapiTest::rootApi(NPP) const
{
    return std::dynamic_pointer_cast<TestApi>(lastPlugin()->getRootJSAPI());
}

NPObject* NpapiTest::scriptable(NPP instance)
{
    NPObject* obj = nullptr;
    EXPECT_EQ(plugin.getvalue(instance, NPPVpluginScriptableNPObject, &obj), NPERR_NO_ERROR);
    return obj;
}

NPVariant NpapiTest::call(NPObject* obj, const std::string& method, const std::vector<NPVariant>& args)
{
    NPVariant result;
    browser->invoke(obj, method, args, &result);
    return result;
}

}  // namespace test
