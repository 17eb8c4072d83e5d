#include "ActiveXCore/ComModule.h"

#include <com/bstr.h>
#include <com/libraries.h>
#include <com/resources.h>
#include <com/typelib.h>

#include "ActiveXCore/CPBControl.h"
#include "ActiveXCore/ClassFactory.h"
#include "ActiveXCore/Guids.h"
#include "ModuleResources.h"
#include "PluginAuto/ModulePath.h"
#include "ScriptingCore/utf8_tools.h"

namespace PB {
namespace ActiveX {

namespace {

std::wstring wideText(const std::string& text)
{
    try {
        return utf8_to_wstring(text);
    } catch (const std::exception&) {
        return std::wstring(text.begin(), text.end());
    }
}

std::u16string pathUtf16(const std::string& path)
{
    return com::toUtf16(wideText(path));
}

// The directory of the library's help file, or empty when it names none.
std::u16string helpDirectory(ITypeLib* lib)
{
    com::Bstr helpFile;
    if (FAILED(lib->GetDocumentation(-1, nullptr, nullptr, nullptr, helpFile.put())))
        return std::u16string();
    const std::wstring file = helpFile.text();
    const std::size_t slash = file.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::u16string() : com::toUtf16(file.substr(0, slash));
}

// An export of OLEAUT32.DLL found at run time, or null.
template <typename Function>
Function oleAutExport(const char* name)
{
    HMODULE library = LoadLibraryW(L"OLEAUT32.DLL");
    if (!library)
        return nullptr;
    auto function = reinterpret_cast<Function>(GetProcAddress(library, name));
    FreeLibrary(library);
    return function;
}

}  // namespace

CPageBridgeWinModule& CPageBridgeWinModule::instance()
{
    static CPageBridgeWinModule module;
    return module;
}

HMODULE CPageBridgeWinModule::moduleHandle() const
{
    const HMODULE module = com::moduleOfAddress(reinterpret_cast<const void*>(&CPageBridgeWinModule::instance));
    // The module's resources are there before anything looks for them.
    static std::once_flag added;
    std::call_once(added, [module] { velon::addModuleResources(module); });
    return module;
}

const std::string& CPageBridgeWinModule::modulePath() const
{
    return getModulePath();
}

HRESULT CPageBridgeWinModule::getClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_PBControl0)
        return CLASS_E_CLASSNOTAVAILABLE;
    com::ComPtr<IClassFactory> factory;
    {
        std::lock_guard<std::mutex> lock(m_factoryMutex);
        if (!m_factory)
            m_factory = com::ComPtr<IClassFactory>::adopt(new ClassFactory(&CPBControl::create));
        factory = m_factory;
    }
    return factory->QueryInterface(riid, object);
}

void CPageBridgeWinModule::addCommonReplacements(com::Registrar& registrar) const
{
    const std::wstring path = wideText(modulePath());
    std::wstring quoted;
    for (wchar_t c : path) {
        quoted.push_back(c);
        if (c == L'\'')
            quoted.push_back(L'\'');
    }
    registrar.addReplacement(L"Module", quoted);
    registrar.addReplacement(L"Module_Raw", path);
    registrar.addReplacement(L"APPID", com::guidText(APPID_PageBridgeWin));
}

HRESULT CPageBridgeWinModule::applyScript(int id, bool doRegister) const
{
    com::Registrar registrar;
    registrar.setPerUser(perUser);
    addCommonReplacements(registrar);
    if (id == kControlScript) {
        registrar.addReplacement(L"LIBID", com::guidText(LIBID_VelonLib));
        registrar.addReplacement(L"THREADING", L"Apartment");
    }
    return registrar.resourceRegister(moduleHandle(), id, doRegister);
}

HRESULT CPageBridgeWinModule::typeLibrary(com::ComPtr<ITypeLib>* lib) const
{
    moduleHandle();
    const std::u16string path = pathUtf16(modulePath());
    return LoadTypeLib(path.c_str(), lib->put());
}

HRESULT CPageBridgeWinModule::registerServer()
{
    HRESULT hr = applyScript(kControlScript, true);
    if (FAILED(hr))
        return hr;
    com::ComPtr<ITypeLib> lib;
    hr = typeLibrary(&lib);
    if (FAILED(hr))
        return hr;
    const std::u16string path = pathUtf16(modulePath());
    const std::u16string helpDir = helpDirectory(lib.get());
    LPCOLESTR help = helpDir.empty() ? nullptr : helpDir.c_str();
    if (perUser) {
        if (auto forUser = oleAutExport<LPFNREGISTERTYPELIBFORUSER>("RegisterTypeLibForUser"))
            return forUser(lib.get(), path.c_str(), help);
    }
    return RegisterTypeLib(lib.get(), path.c_str(), help);
}

HRESULT CPageBridgeWinModule::unregisterServer()
{
    HRESULT hr = applyScript(kControlScript, false);
    if (FAILED(hr))
        return hr;
    com::ComPtr<ITypeLib> lib;
    hr = typeLibrary(&lib);
    if (FAILED(hr))
        return hr;
    TLIBATTR* attr = nullptr;
    hr = lib->GetLibAttr(&attr);
    if (FAILED(hr))
        return hr;
    const TLIBATTR attributes = *attr;
    lib->ReleaseTLibAttr(attr);
    auto forUser = perUser ? oleAutExport<LPFNUNREGISTERTYPELIBFORUSER>("UnRegisterTypeLibForUser") : nullptr;
    hr = forUser ? forUser(attributes.guid, attributes.wMajorVerNum, attributes.wMinorVerNum, attributes.lcid,
                           attributes.syskind)
                 : UnRegisterTypeLib(attributes.guid, attributes.wMajorVerNum, attributes.wMinorVerNum,
                                     attributes.lcid, attributes.syskind);
    if (FAILED(hr))
        return hr;
    return applyScript(kModuleScript, false);
}

}  // namespace ActiveX
}  // namespace PB
