// Self-registration: the keys the module writes and removes, per user or per
// machine, the type library, and the start and stop of the framework.

#include <algorithm>
#include <ostream>

#include <com/com.h>

#include "ActiveXCore/ComExports.h"
#include "ActiveXCore/ComModule.h"
#include "ActiveXCore/Guids.h"
#include "PluginAuto/ModulePath.h"
#include "gtest/gtest.h"

namespace {

namespace reg = com::registry;
using PB::ActiveX::CPageBridgeWinModule;

class Registration : public testing::Test {
protected:
    void SetUp() override
    {
        reg::clear();
        CPageBridgeWinModule::instance().perUser = false;
    }
    void TearDown() override
    {
        reg::clear();
        com::setProgramFileForTesting("");
    }
    static bool has(const std::string& line)
    {
        const std::vector<std::string> lines = reg::dump();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

TEST_F(Registration, WritesTheControlAndTheBrowserIntegrationThenRemovesThem)
{
    ASSERT_EQ(DllRegisterServer(), S_OK);
    const std::string classes = "HKCU\\Software\\Classes\\";
    const std::string clsid = "{5C2E7A10-3B9D-4E61-A8F2-90D4C6B1E357}";
    const std::string lines[] = {
        classes + "Orvanta.Velon.1\\CLSID\\@ = \"" + clsid + "\"",
        classes + "Orvanta.Velon\\CurVer\\@ = \"Orvanta.Velon.1\"",
        classes + "CLSID\\" + clsid + "\\InprocServer32\\@ = \"" + PB::getModulePath() + "\"",
        classes + "CLSID\\" + clsid + "\\InprocServer32\\ThreadingModel = \"Apartment\"",
        classes + "CLSID\\" + clsid + "\\MiscStatus\\1\\@ = \"131473\"",
        classes + "CLSID\\" + clsid + "\\TypeLib\\@ = \"{3F8A1C62-7B4E-4D19-9C05-E1A27B6D4F80}\"",
        classes + "MIME\\Database\\Content Type\\application/x-velon\\CLSID = \"" + clsid + "\"",
        classes + "AppID\\npVelon.dll\\AppID = \"{7E41D0B2-96C3-4F08-B5A1-2D8E63F9C014}\"",
        classes + "TypeLib\\{3F8A1C62-7B4E-4D19-9C05-E1A27B6D4F80}\\1.0\\@ = \"Velon 1.0 Type Library\"",
        classes + "Interface\\{A41D7E93-2C58-4B6F-8E3A-5D9C0F17B264}\\@ = \"IPBControl\"",
        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\PreApproved\\" + clsid + "\\",
        "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\" + clsid + "\\iexplore\\Count = dword:0",
        "HKCU\\Software\\MozillaPlugins\\@orvanta.com/Velon\\HostWire = \"true\"",
        "HKCU\\Software\\MozillaPlugins\\@orvanta.com/Velon\\Version = \"1.3.0.1\"",
    };
    for (const std::string& line : lines)
        EXPECT_TRUE(has(line)) << line;

    ASSERT_EQ(DllUnregisterServer(), S_OK);
    EXPECT_EQ(reg::dump(), (std::vector<std::string>{
                               classes + "AppID\\", classes + "CLSID\\", classes + "MIME\\Database\\Content Type\\",
                               classes + "TypeLib\\", "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\PreApproved\\",
                               "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\",
                               "HKCU\\Software\\MozillaPlugins\\"}));
}

struct InstallCase {
    const char* name;
    const char* program;
    const wchar_t* commandLine;
    reg::Root root;
};

void PrintTo(const InstallCase& c, std::ostream* os)
{
    *os << c.name;
}

class Install : public Registration, public testing::WithParamInterface<InstallCase> {};

TEST_P(Install, RegistersPerUserUnlessAHarvesterAsksForTheMachine)
{
    const InstallCase& c = GetParam();
    com::setProgramFileForTesting(c.program);
    ASSERT_EQ(DllInstall(TRUE, c.commandLine), S_OK);
    const std::wstring key = L"Software\\Classes\\CLSID\\{5C2E7A10-3B9D-4E61-A8F2-90D4C6B1E357}";
    EXPECT_TRUE(reg::keyExists(c.root, key));
    EXPECT_FALSE(reg::keyExists(c.root == reg::Root::CurrentUser ? reg::Root::LocalMachine : reg::Root::CurrentUser, key));
    ASSERT_EQ(DllInstall(FALSE, c.commandLine), S_OK);
    EXPECT_FALSE(reg::keyExists(c.root, key));
}

const InstallCase kInstalls[] = {
    {"HarvesterForTheUser", "/opt/wix/heat.exe", L"USER", reg::Root::CurrentUser},
    {"HarvesterLongerWord", "/opt/wix/heat.exe", L"users", reg::Root::LocalMachine},
    {"HarvesterNoCommand", "/opt/wix/heat.exe", nullptr, reg::Root::LocalMachine},
    {"AnyOtherProgram", "/usr/bin/regsvr32", L"users", reg::Root::CurrentUser},
};
INSTANTIATE_TEST_SUITE_P(Table, Install, testing::ValuesIn(kInstalls),
                         [](const testing::TestParamInfo<InstallCase>& info) { return std::string(info.param.name); });

TEST_F(Registration, WithoutPerUserTypeLibraryRegistrationTheMachineIsUsed)
{
    com::hideExportForTesting("RegisterTypeLibForUser", true);
    EXPECT_EQ(DllRegisterServer(), S_OK);
    com::hideExportForTesting("RegisterTypeLibForUser", false);
    EXPECT_TRUE(reg::keyExists(reg::Root::LocalMachine, L"Software\\Classes\\TypeLib"));
    EXPECT_TRUE(reg::keyExists(reg::Root::CurrentUser, L"Software\\Classes\\Orvanta.Velon"));
}

// Runs f with the module's type library replaced by something that is none.
template <typename F>
HRESULT withBrokenTypeLibrary(F f)
{
    CPageBridgeWinModule& module = CPageBridgeWinModule::instance();
    std::string library;
    EXPECT_TRUE(com::findResource(module.moduleHandle(), L"TYPELIB", 1, &library));
    com::addResource(module.moduleHandle(), L"TYPELIB", 1, "not a type library");
    const HRESULT hr = f();
    com::addResource(module.moduleHandle(), L"TYPELIB", 1, library);
    return hr;
}

const wchar_t kControlKey[] = L"CLSID\\{5C2E7A10-3B9D-4E61-A8F2-90D4C6B1E357}";

TEST_F(Registration, AFailedRegistrationKeepsTheControlButReportsTheFailure)
{
    EXPECT_EQ(withBrokenTypeLibrary(DllRegisterServer), TYPE_E_INVALIDSTATE);
    EXPECT_TRUE(reg::keyExists(reg::Root::ClassesRoot, kControlKey));
    // An installer's registration keeps what the fallback registered as well.
    reg::clear();
    EXPECT_EQ(withBrokenTypeLibrary([] { return DllInstall(TRUE, nullptr); }), TYPE_E_INVALIDSTATE);
    EXPECT_TRUE(reg::keyExists(reg::Root::ClassesRoot, kControlKey));
    EXPECT_TRUE(reg::keyExists(reg::Root::ClassesRoot, L"MIME\\Database\\Content Type\\application/x-velon"));
}

TEST_F(Registration, AFailedUnregistrationStillRemovesTheControl)
{
    ASSERT_EQ(DllRegisterServer(), S_OK);
    EXPECT_EQ(withBrokenTypeLibrary(DllUnregisterServer), TYPE_E_INVALIDSTATE);
    EXPECT_FALSE(reg::keyExists(reg::Root::ClassesRoot, kControlKey));
    EXPECT_FALSE(reg::keyExists(reg::Root::ClassesRoot, L"Orvanta.Velon"));
    // The steps after the failure did not run: the module's AppID and the type library stay.
    EXPECT_TRUE(reg::keyExists(reg::Root::ClassesRoot, L"AppID\\npVelon.dll"));
    EXPECT_TRUE(reg::keyExists(reg::Root::ClassesRoot, L"TypeLib\\{3F8A1C62-7B4E-4D19-9C05-E1A27B6D4F80}"));
    EXPECT_EQ(withBrokenTypeLibrary([] { return DllInstall(FALSE, nullptr); }), TYPE_E_INVALIDSTATE);
}

TEST_F(Registration, TheFrameworkStartsOnceAndAgainAfterAnUnload)
{
    CPageBridgeWinModule& module = CPageBridgeWinModule::instance();
    com::ComPtr<IClassFactory> factory;
    ASSERT_EQ(DllGetClassObject(PB::ActiveX::CLSID_PBControl0, IID_IClassFactory, factory.putVoid()), S_OK);
    EXPECT_TRUE(module.frameworkInitialised);
    factory->LockServer(TRUE);
    EXPECT_EQ(DllCanUnloadNow(), S_FALSE);
    factory->LockServer(FALSE);
    EXPECT_EQ(DllCanUnloadNow(), S_OK);
    EXPECT_FALSE(module.frameworkInitialised);
    factory.reset();
    ASSERT_EQ(DllGetClassObject(PB::ActiveX::CLSID_PBControl0, IID_IClassFactory, factory.putVoid()), S_OK);
    EXPECT_TRUE(module.frameworkInitialised);
}

}  // namespace
