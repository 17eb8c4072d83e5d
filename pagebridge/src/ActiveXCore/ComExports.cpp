// The module's COM entry points: the class object, the unload check and
// self-registration.

#include "ActiveXCore/ComExports.h"

#include <com/nls.h>
#include <com/psapi.h>

#include "ActiveXCore/ComModule.h"
#include "PluginCore/FactoryBase.h"
#include "PluginCore/PluginCore.h"
#include "ScriptingCore/Log.h"
#include "ScriptingCore/utf8_tools.h"

using PB::ActiveX::CPageBridgeWinModule;

namespace {

// Registration from any program but an installer's harvester (heat.exe) is
// for the current user.
void hostProcessTest()
{
    std::string path;
    HMODULE program = nullptr;
    DWORD needed = 0;
    wchar_t name[260];
    if (EnumProcessModules(GetCurrentProcess(), &program, sizeof program, &needed) &&
        GetModuleFileNameExW(GetCurrentProcess(), program, name, 260) > 0) {
        try {
            path = PB::wstring_to_utf8(name);
        } catch (const std::exception&) {
        }
    }
    static const std::string harvester = "heat.exe";
    const bool isHarvester =
        path.size() >= harvester.size() && path.compare(path.size() - harvester.size(), harvester.size(), harvester) == 0;
    if (!isHarvester)
        CPageBridgeWinModule::instance().perUser = true;
}

// Runs f with the thread's locale set to the system default.
template <typename F>
HRESULT withSystemLocale(F f)
{
    const LCID saved = GetThreadLocale();
    SetThreadLocale(LOCALE_SYSTEM_DEFAULT);
    HRESULT hr;
    try {
        hr = f();
    } catch (...) {
        hr = E_UNEXPECTED;
    }
    SetThreadLocale(saved);
    return hr;
}

HRESULT updateControlRegistry(bool doRegister)
{
    try {
        return getPluginFactory()->updateRegistry(doRegister);
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// Registration, and when it fails the control's script applied on its own
// (fallback holds that result). The control stays registered as far as it can
// be; the failure of the full registration is still what is reported.
HRESULT registerServer(HRESULT* fallback)
{
    hostProcessTest();
    CPageBridgeWinModule& module = CPageBridgeWinModule::instance();
    const HRESULT hr = withSystemLocale([&module] {
        HRESULT result = module.applyScript(CPageBridgeWinModule::kModuleScript, true);
        return SUCCEEDED(result) ? module.registerServer() : result;
    });
    *fallback = SUCCEEDED(hr) ? hr : updateControlRegistry(true);
    return hr;
}

}  // namespace

extern "C" HRESULT DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    CPageBridgeWinModule& module = CPageBridgeWinModule::instance();
    const HRESULT hr = module.getClassObject(clsid, riid, object);
    if (!*object)
        return FAILED(hr) ? hr : CLASS_E_CLASSNOTAVAILABLE;
    if (!module.frameworkInitialised) {
        try {
            PB::Log::initLogging();
            PB::PluginCore::setPlatform("Windows", "IE");
            getPluginFactory()->onModuleStart();
            module.frameworkInitialised = true;
        } catch (...) {
        }
    }
    return hr;
}

extern "C" HRESULT DllCanUnloadNow()
{
    CPageBridgeWinModule& module = CPageBridgeWinModule::instance();
    const LONG locks = module.GetLockCount();
    if (module.frameworkInitialised && (locks == 0 || PB::PluginCore::activePluginCount() == 0)) {
        try {
            getPluginFactory()->onModuleStop();
            PB::Log::stopLogging();
        } catch (...) {
        }
        module.frameworkInitialised = false;
    }
    return locks ? S_FALSE : S_OK;
}

extern "C" HRESULT DllRegisterServer()
{
    HRESULT fallback;
    return registerServer(&fallback);
}

extern "C" HRESULT DllUnregisterServer()
{
    hostProcessTest();
    CPageBridgeWinModule& module = CPageBridgeWinModule::instance();
    const HRESULT hr = withSystemLocale([&module] { return module.unregisterServer(); });
    if (SUCCEEDED(hr))
        return hr;
    updateControlRegistry(false);
    return hr;
}

extern "C" HRESULT DllInstall(BOOL install, LPCWSTR cmdLine)
{
    bool forUser = false;
    if (cmdLine) {
        // Five characters, the terminator included: "user" and nothing longer.
        const wchar_t expected[] = L"user";
        forUser = true;
        for (int i = 0; i < 5 && forUser; ++i) {
            wchar_t c = cmdLine[i];
            if (c >= L'A' && c <= L'Z')
                c = static_cast<wchar_t>(c - L'A' + L'a');
            forUser = c == expected[i];
            if (!cmdLine[i])
                break;
        }
    }
    CPageBridgeWinModule::instance().perUser = forUser;
    if (!install)
        return DllUnregisterServer();
    // Partial work is undone only when not even the control could be
    // registered: a registration the fallback made stays.
    HRESULT fallback;
    const HRESULT hr = registerServer(&fallback);
    if (FAILED(fallback))
        DllUnregisterServer();
    return hr;
}
