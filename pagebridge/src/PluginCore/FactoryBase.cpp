#include "PluginCore/FactoryBase.h"

#include <win32/window.h>

#include "PluginCore/Win/PluginWindowWin.h"
#include "PluginCore/Win/PluginWindowlessWin.h"

namespace PB {

namespace {

// Installed by the adapters' libraries while they are loaded; plain pointers,
// so they are in place before any library's own initialisation runs.
FactoryBase::NpapiPluginMaker npapiPluginMaker = nullptr;
FactoryBase::COMJavascriptObjectMaker comObjectMaker = nullptr;
FactoryBase::RegistryUpdater registryUpdater = nullptr;

const HRESULT notImplemented = static_cast<HRESULT>(0x80004001L);  // E_NOTIMPL

}  // namespace

FactoryBase::~FactoryBase() = default;

bool FactoryBase::installNpapiPart(NpapiPluginMaker makePlugin)
{
    npapiPluginMaker = makePlugin;
    return true;
}

bool FactoryBase::installActiveXPart(COMJavascriptObjectMaker makeObject, RegistryUpdater updateRegistry)
{
    comObjectMaker = makeObject;
    registryUpdater = updateRegistry;
    return true;
}

std::shared_ptr<Npapi::NpapiPlugin> FactoryBase::createNpapiPlugin(const std::shared_ptr<Npapi::NpapiBrowserHost>& host,
                                                                   const std::string& mimetype)
{
    return npapiPluginMaker ? npapiPluginMaker(host, mimetype) : nullptr;
}

IDispatchEx* FactoryBase::createCOMJavascriptObject(const std::shared_ptr<BrowserHost>& host,
                                                    const std::weak_ptr<JSAPI>& api, bool autoRelease)
{
    return comObjectMaker ? comObjectMaker(host, api, autoRelease) : nullptr;
}

HRESULT FactoryBase::updateRegistry(bool doRegister)
{
    return registryUpdater ? registryUpdater(doRegister) : notImplemented;
}

void FactoryBase::getLoggingMethods(LoggingMethodList&) {}

int FactoryBase::getLogLevel()
{
    return 4;
}

PluginWindowWin* FactoryBase::createPluginWindowWin(const WindowContextWin& context)
{
    return PluginWindowWin::create(context.handle);
}

PluginWindowlessWin* FactoryBase::createPluginWindowless(const WindowContextWindowless& context)
{
    return new PluginWindowlessWin(context.drawable, context.hostWindow);
}

}  // namespace PB
