// The module's exports, the copy of the browser's table, the module's
// entry wrappers, the choice of host and the NPP functions' answers for an
// instance that does not exist.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "NpapiCore/NpapiBrowserFuncs.h"
#include "NpapiCore/NpapiPluginModule.h"
#include "NpapiFixture.h"
#include "PluginCore/PluginInfo.h"

namespace {

using PB::Npapi::NpapiPluginModule;

TEST(NpapiEntryPoints, FillTheThirteenFunctionsAndNothingElse)
{
    NPPluginFuncs funcs;
    std::memset(&funcs, 0, sizeof(funcs));
    funcs.size = 7;
    funcs.version = 9;
    funcs.javaClass = &funcs;
    ASSERT_EQ(NP_GetEntryPoints(&funcs), NPERR_NO_ERROR);
    const struct {
        const char* name;
        const void* entry;
    } entries[] = {
        {"newp", reinterpret_cast<const void*>(funcs.newp)},
        {"destroy", reinterpret_cast<const void*>(funcs.destroy)},
        {"setwindow", reinterpret_cast<const void*>(funcs.setwindow)},
        {"newstream", reinterpret_cast<const void*>(funcs.newstream)},
        {"destroystream", reinterpret_cast<const void*>(funcs.destroystream)},
        {"asfile", reinterpret_cast<const void*>(funcs.asfile)},
        {"writeready", reinterpret_cast<const void*>(funcs.writeready)},
        {"write", reinterpret_cast<const void*>(funcs.write)},
        {"print", reinterpret_cast<const void*>(funcs.print)},
        {"event", reinterpret_cast<const void*>(funcs.event)},
        {"urlnotify", reinterpret_cast<const void*>(funcs.urlnotify)},
        {"getvalue", reinterpret_cast<const void*>(funcs.getvalue)},
        {"setvalue", reinterpret_cast<const void*>(funcs.setvalue)},
    };
    for (const auto& entry : entries)
        EXPECT_NE(entry.entry, nullptr) << entry.name;
    EXPECT_EQ(funcs.newp, &NpapiPluginModule::NPP_New);
    EXPECT_EQ(funcs.getvalue, &NpapiPluginModule::NPP_GetValue);
    EXPECT_EQ(funcs.size, 7);
    EXPECT_EQ(funcs.version, 9);
    EXPECT_EQ(funcs.javaClass, &funcs);
    EXPECT_EQ(funcs.gotfocus, nullptr);
    NP_Shutdown();
}

// A browser loading the module gets nothing on its standard error: the
// exports write their records only once the module has set logging up.
TEST(NpapiEntryPoints, LogOnlyOnceLoggingIsSetUp)
{
    NPPluginFuncs funcs{};
    NPNetscapeFuncs browser{};
    browser.size = sizeof(browser);
    browser.version = 27;
    ::testing::internal::CaptureStderr();
    NP_GetEntryPoints(&funcs);
    NP_Initialize(&browser);
    NP_Shutdown();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(NpapiEntryPoints, RefuseMissingTables)
{
    EXPECT_EQ(NP_GetEntryPoints(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
    EXPECT_EQ(NP_Initialize(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);
    NPNetscapeFuncs tooShort{};
    tooShort.size = 2;
    tooShort.version = 27;
    EXPECT_EQ(NP_Initialize(&tooShort), NPERR_INVALID_FUNCTABLE_ERROR);
    EXPECT_EQ(NP_Shutdown(), NPERR_NO_ERROR);
    EXPECT_EQ(NP_Shutdown(), NPERR_NO_ERROR);  // without a module
}

// Which groups of entries a browser table of each version passes on.
struct VersionCase {
    uint16_t version;
    bool asyncSurface, popups, enumerate, asyncCall, urlValues, timers;
};

class BrowserTableCopy : public ::testing::TestWithParam<VersionCase> {};

TEST_P(BrowserTableCopy, TakesTheEntriesOfTheVersion)
{
    const VersionCase& c = GetParam();
    NPNetscapeFuncs source;
    std::memset(&source, 0x5a, sizeof(source));  // every entry "present"; never called
    source.size = sizeof(source);
    source.version = c.version;
    NPNetscapeFuncs copy{};
    ASSERT_TRUE(PB::Npapi::copyNPBrowserFuncs(&copy, &source));
    EXPECT_NE(copy.geturl, nullptr);
    EXPECT_NE(copy.setexception, nullptr);
    EXPECT_NE(copy.construct, nullptr);
    EXPECT_EQ(copy.getJavaEnv, nullptr);
    EXPECT_EQ(copy.handleevent, nullptr);
    EXPECT_EQ(copy.initasyncsurface != nullptr, c.asyncSurface);
    EXPECT_EQ(copy.setcurrentasyncsurface != nullptr, c.asyncSurface);
    EXPECT_EQ(copy.pushpopupsenabledstate != nullptr, c.popups);
    EXPECT_EQ(copy.enumerate != nullptr, c.enumerate);
    EXPECT_EQ(copy.pluginthreadasynccall != nullptr, c.asyncCall);
    EXPECT_EQ(copy.getvalueforurl != nullptr, c.urlValues);
    EXPECT_EQ(copy.scheduletimer != nullptr, c.timers);
}

INSTANTIATE_TEST_SUITE_P(Versions, BrowserTableCopy,
                         ::testing::Values(VersionCase{12, false, false, false, false, false, false},
                                           VersionCase{13, true, false, false, false, false, false},
                                           VersionCase{16, true, true, false, false, false, false},
                                           VersionCase{18, true, true, true, false, false, false},
                                           VersionCase{19, true, true, true, true, false, false},
                                           VersionCase{21, true, true, true, true, true, false},
                                           VersionCase{23, true, true, true, true, true, true}));

TEST(BrowserTableCopy, ReadsNothingPastTheBrowsersSize)
{
    NPNetscapeFuncs source;
    std::memset(&source, 0x5a, sizeof(source));
    source.version = 27;
    source.size = offsetof(NPNetscapeFuncs, memfree) + sizeof(source.memfree);
    NPNetscapeFuncs copy{};
    ASSERT_TRUE(PB::Npapi::copyNPBrowserFuncs(&copy, &source));
    EXPECT_NE(copy.memfree, nullptr);
    EXPECT_EQ(copy.memflush, nullptr);
    EXPECT_EQ(copy.invoke, nullptr);
    EXPECT_EQ(copy.pluginthreadasynccall, nullptr);
}

TEST(NpapiModule, WrappersWithoutBrowserEntriesAnswerTheirFallbacks)
{
    NpapiPluginModule module;
    NPObject object{};
    EXPECT_EQ(module.IntFromIdentifier(nullptr), 1);
    EXPECT_TRUE(module.IdentifierIsString(nullptr));
    EXPECT_EQ(module.RetainObject(&object), &object);
    EXPECT_EQ(module.MemAlloc(8), nullptr);
    EXPECT_EQ(module.GetStringIdentifier("x"), nullptr);
    EXPECT_EQ(module.StringFromIdentifier(nullptr), "");
    module.ReleaseObject(&object);
    module.MemFree(nullptr);
}

const char* safariAgent(NPP)
{
    return "Mozilla/5.0 (Windows) AppleWebKit/534 Version/5.1 Safari/534";
}
const char* otherAgent(NPP)
{
    return "Mozilla/5.0 (Windows) Gecko/20100101 Firefox/40.0";
}

TEST(NpapiModule, MessageWindowHostForSafariAndOldTables)
{
    const struct {
        NPN_UserAgentProcPtr agent;
        uint16_t version;
        bool expected;
    } cases[] = {
        {&safariAgent, 27, true}, {&otherAgent, 27, false}, {&otherAgent, 18, true},
        {nullptr, 19, false},     {nullptr, 12, true},
    };
    for (const auto& c : cases) {
        NPNetscapeFuncs funcs{};
        funcs.uagent = c.agent;
        funcs.version = c.version;
        EXPECT_EQ(NpapiPluginModule::needsMessageWindowHost(nullptr, funcs), c.expected)
            << (c.agent ? c.agent(nullptr) : "no agent") << " version " << c.version;
    }
}

class NppWithoutInstance : public test::NpapiTest {};

TEST_F(NppWithoutInstance, AnswerInvalidInstance)
{
    NPP_t empty{nullptr, nullptr};
    NPStream stream{};
    uint16_t stype = 0;
    char byte = 0;
    NPObject* object = nullptr;
    for (NPP instance : {static_cast<NPP>(nullptr), &empty}) {
        EXPECT_EQ(plugin.setwindow(instance, nullptr), NPERR_INVALID_INSTANCE_ERROR);
        EXPECT_EQ(plugin.newstream(instance, nullptr, &stream, false, &stype), NPERR_INVALID_INSTANCE_ERROR);
        EXPECT_EQ(plugin.destroystream(instance, &stream, NPRES_DONE), NPERR_INVALID_INSTANCE_ERROR);
        EXPECT_EQ(plugin.writeready(instance, &stream), 2);
        EXPECT_EQ(plugin.write(instance, &stream, 0, 1, &byte), 2);
        EXPECT_EQ(plugin.event(instance, &byte), 0);
        EXPECT_EQ(plugin.setvalue(instance, NPNVWindowNPObject, nullptr), NPERR_INVALID_INSTANCE_ERROR);
        EXPECT_EQ(plugin.getvalue(instance, NPPVpluginScriptableNPObject, &object), NPERR_GENERIC_ERROR);
        EXPECT_EQ(plugin.destroy(instance, nullptr), NPERR_INVALID_INSTANCE_ERROR);
        plugin.asfile(instance, &stream, "file");
        plugin.urlnotify(instance, "http://x/", NPRES_DONE, nullptr);
        plugin.print(instance, nullptr);
    }
    EXPECT_EQ(object, nullptr);
}

TEST_F(NppWithoutInstance, NameAndDescriptionNeedNoInstance)
{
    const struct {
        NPPVariable variable;
        std::string expected;
    } cases[] = {
        {NPPVpluginNameString, PB::getPluginName("")},
        {NPPVpluginDescriptionString, PB::getPluginDescription("")},
    };
    for (const auto& c : cases) {
        const char* first = nullptr;
        const char* second = nullptr;
        EXPECT_EQ(plugin.getvalue(nullptr, c.variable, &first), NPERR_NO_ERROR);
        EXPECT_EQ(plugin.getvalue(nullptr, c.variable, &second), NPERR_NO_ERROR);
        EXPECT_EQ(first, second);
        EXPECT_EQ(std::string(first), c.expected);
    }
}

}  // namespace
