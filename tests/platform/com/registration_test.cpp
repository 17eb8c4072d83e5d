// The registry, the registrar's script rules, type libraries and their
// registration, and the run-time lookups registration relies on.

#include <gtest/gtest.h>

#include <com/com.h>

#include <win32/kernel.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace {

namespace reg = com::registry;

class Registry : public testing::Test {
protected:
    void SetUp() override { reg::clear(); }
    void TearDown() override { reg::clear(); }
    static bool has(const std::string& line)
    {
        const std::vector<std::string> lines = reg::dump();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
};

TEST_F(Registry, ClassesRootReadsTheUserFirstAndWritesTheMachine)
{
    reg::setValue(reg::Root::LocalMachine, L"Software\\Classes\\Thing", L"", reg::Value::string(L"machine"));
    EXPECT_EQ(reg::getValue(reg::Root::ClassesRoot, L"thing", L"")->text, L"machine");
    reg::setValue(reg::Root::CurrentUser, L"Software\\Classes\\Thing", L"", reg::Value::string(L"user"));
    EXPECT_EQ(reg::getValue(reg::Root::ClassesRoot, L"Thing", L"")->text, L"user");
    reg::setValue(reg::Root::ClassesRoot, L"Other", L"n", reg::Value::dword(7));
    EXPECT_TRUE(has("HKLM\\Software\\Classes\\Other\\n = dword:7"));
    EXPECT_FALSE(reg::deleteKey(reg::Root::LocalMachine, L"Software\\Classes"));  // has subkeys
    EXPECT_TRUE(reg::deleteTree(reg::Root::LocalMachine, L"Software\\Classes"));
    EXPECT_FALSE(reg::keyExists(reg::Root::LocalMachine, L"Software\\Classes\\Other"));
}

const wchar_t kScript[] =
    L"HKCR\n"
    L"{\n"
    L"  NoRemove Kept\n"
    L"  {\n"
    L"    Plain = s 'it''s %NAME%'\n"
    L"    {\n"
    L"      val Count = d '0x10'\n"
    L"    }\n"
    L"    ForceRemove {5C2E7A10-3B9D-4E61-A8F2-90D4C6B1E357} = s 'forced'\n"
    L"    {\n"
    L"      Inner\n"
    L"    }\n"
    L"    'Shared Key'\n"
    L"    {\n"
    L"      val Own = s 'mine'\n"
    L"    }\n"
    L"  }\n"
    L"}\n";

struct ScriptCase {
    const char* name;
    bool perUser;
    const char* prefix;
};

void PrintTo(const ScriptCase& c, std::ostream* os)
{
    *os << c.name;
}

class RegistrarScript : public Registry, public testing::WithParamInterface<ScriptCase> {};

TEST_P(RegistrarScript, RegistersThenRemovesByTheKeysMarks)
{
    const ScriptCase& c = GetParam();
    com::Registrar registrar;
    registrar.setPerUser(c.perUser);
    registrar.addReplacement(L"name", L"value");
    // Something of someone else's under the shared key stays.
    const reg::Root root = c.perUser ? reg::Root::CurrentUser : reg::Root::LocalMachine;
    reg::setValue(root, L"Software\\Classes\\Kept\\Shared Key", L"Theirs", reg::Value::string(L"x"));
    // A stale subkey of a ForceRemove key is cleared by registration.
    reg::createKey(root, L"Software\\Classes\\Kept\\{5C2E7A10-3B9D-4E61-A8F2-90D4C6B1E357}\\Stale");

    ASSERT_EQ(registrar.registerScript(kScript), S_OK);
    const std::string base = std::string(c.prefix) + "\\Software\\Classes\\Kept";
    EXPECT_TRUE(has(base + "\\Plain\\@ = \"it's value\""));
    EXPECT_TRUE(has(base + "\\Plain\\Count = dword:16"));
    EXPECT_TRUE(has(base + "\\{5C2E7A10-3B9D-4E61-A8F2-90D4C6B1E357}\\Inner\\"));
    EXPECT_FALSE(reg::keyExists(root, L"Software\\Classes\\Kept\\{5C2E7A10-3B9D-4E61-A8F2-90D4C6B1E357}\\Stale"));
    EXPECT_TRUE(has(base + "\\Shared Key\\Own = \"mine\""));

    ASSERT_EQ(registrar.unregisterScript(kScript), S_OK);
    EXPECT_EQ(reg::dump(), (std::vector<std::string>{base + "\\Shared Key\\Theirs = \"x\""}));
}

const ScriptCase kScriptCases[] = {{"Machine", false, "HKLM"}, {"User", true, "HKCU"}};
INSTANTIATE_TEST_SUITE_P(Views, RegistrarScript, testing::ValuesIn(kScriptCases),
                         [](const testing::TestParamInfo<ScriptCase>& info) { return std::string(info.param.name); });

TEST_F(Registry, BadScriptsWriteNothing)
{
    com::Registrar registrar;
    const struct {
        const wchar_t* script;
        HRESULT hr;
    } cases[] = {
        {L"HKCR { A = s 'x' ", DISP_E_EXCEPTION},
        {L"HKXX { A }", DISP_E_EXCEPTION},
        {L"HKCR { A = q 'x' }", DISP_E_EXCEPTION},
        {L"HKCR { A = s 'unterminated }", DISP_E_EXCEPTION},
        {L"HKCR { A = s '%UNKNOWN%' }", E_INVALIDARG},
        {L"HKCR { A = d 'twelve' }", DISP_E_EXCEPTION},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(registrar.registerScript(c.script), c.hr) << com::toUtf8(c.script);
        EXPECT_TRUE(reg::dump().empty());
    }
    EXPECT_EQ(registrar.resourceRegister(nullptr, 999, true), HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
}

const char kLibrary[] =
    "library TestLib {11111111-2222-3333-4444-555555555555} version 2.1 lcid 0 \"Test Library\"\n"
    "interface ITest {11111111-2222-3333-4444-666666666666} dual base IDispatch \"Test Interface\"\n"
    "member Go\n"
    "interface IPlain {11111111-2222-3333-4444-777777777777} base IUnknown\n"
    "coclass Test {11111111-2222-3333-4444-888888888888} creatable default ITest \"Test Class\"\n";

TEST_F(Registry, TypeLibrariesLoadRegisterAndUnregister)
{
    test::TempDir dir;
    dir.write("test.tlb", kLibrary);
    const std::u16string path = com::toUtf16(com::fromUtf8(dir.file("test.tlb")));
    com::ComPtr<ITypeLib> lib;
    ASSERT_EQ(LoadTypeLib(path.c_str(), lib.put()), S_OK);
    EXPECT_EQ(lib->GetTypeInfoCount(), 3u);
    com::ComPtr<ITypeInfo> info;
    ASSERT_EQ(lib->GetTypeInfoOfGuid({0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88}},
                                     info.put()),
              S_OK);
    com::Bstr name, doc;
    ASSERT_EQ(info->GetDocumentation(-1, name.put(), doc.put(), nullptr, nullptr), S_OK);
    EXPECT_EQ(name.text(), L"Test");
    EXPECT_EQ(doc.text(), L"Test Class");

    auto forUser = reinterpret_cast<LPFNREGISTERTYPELIBFORUSER>(
        GetProcAddress(LoadLibraryW(L"oleaut32.dll"), "RegisterTypeLibForUser"));
    ASSERT_NE(forUser, nullptr);
    ASSERT_EQ(forUser(lib.get(), path.c_str(), nullptr), S_OK);
    const std::string key = "HKCU\\Software\\Classes\\";
    EXPECT_TRUE(has(key + "TypeLib\\{11111111-2222-3333-4444-555555555555}\\2.1\\@ = \"Test Library\""));
    EXPECT_TRUE(has(key + "Interface\\{11111111-2222-3333-4444-666666666666}\\@ = \"ITest\""));
    EXPECT_FALSE(reg::keyExists(reg::Root::ClassesRoot, L"Interface\\{11111111-2222-3333-4444-777777777777}"));
    com::ComPtr<ITypeLib> registered;
    EXPECT_EQ(LoadRegTypeLib({0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}}, 2, 1, 0,
                             registered.put()),
              S_OK);

    const GUID libid{0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
    EXPECT_EQ(UnRegisterTypeLib(libid, 2, 1, 0, SYS_WIN64), TYPE_E_REGISTRYACCESS);  // not the machine's
    ASSERT_EQ(UnRegisterTypeLibForUser(libid, 2, 1, 0, SYS_WIN64), S_OK);
    EXPECT_EQ(reg::dump(), (std::vector<std::string>{key + "TypeLib\\"}));

    dir.write("bad.tlb", "interface Nothing\n");
    const std::u16string bad = com::toUtf16(com::fromUtf8(dir.file("bad.tlb")));
    EXPECT_EQ(LoadTypeLib(bad.c_str(), lib.put()), TYPE_E_INVALIDSTATE);
    const std::u16string missing = com::toUtf16(com::fromUtf8(dir.file("missing.tlb")));
    EXPECT_EQ(LoadTypeLib(missing.c_str(), lib.put()), TYPE_E_CANTLOADLIBRARY);
}

TEST(Libraries, FindOnlyOleAutExportsUnlessHidden)
{
    EXPECT_EQ(LoadLibraryW(L"kernel32.dll"), nullptr);
    HMODULE oleaut = LoadLibraryW(L"OLEAUT32.DLL");
    ASSERT_NE(oleaut, nullptr);
    EXPECT_NE(GetProcAddress(oleaut, "UnRegisterTypeLibForUser"), nullptr);
    com::hideExportForTesting("UnRegisterTypeLibForUser", true);
    EXPECT_EQ(GetProcAddress(oleaut, "UnRegisterTypeLibForUser"), nullptr);
    com::hideExportForTesting("UnRegisterTypeLibForUser", false);
    EXPECT_EQ(GetProcAddress(oleaut, "NoSuchExport"), nullptr);
}

TEST(ProcessModules, NameTheProgramFirst)
{
    HMODULE program = nullptr;
    DWORD needed = 0;
    ASSERT_TRUE(EnumProcessModules(GetCurrentProcess(), &program, sizeof program, &needed));
    EXPECT_EQ(needed, sizeof(HMODULE));
    com::setProgramFileForTesting("/opt/wix/heat.exe");
    wchar_t name[260];
    EXPECT_EQ(GetModuleFileNameExW(GetCurrentProcess(), program, name, 260), 17u);
    EXPECT_EQ(std::wstring(name), L"/opt/wix/heat.exe");
    EXPECT_EQ(GetModuleFileNameExW(GetCurrentProcess(), program, name, 5), 4u);  // cut to fit
    com::setProgramFileForTesting("");
    EXPECT_EQ(GetModuleFileNameExW(GetCurrentProcess(), nullptr, name, 260), 0u);
}

}  // namespace
