// The factory operations that make the ActiveX adapter's objects; kept with
// the adapter so that the framework library does not need it.

#include "ActiveXCore/COMJavascriptObject.h"
#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ActiveXCore/ComModule.h"
#include "PluginCore/FactoryBase.h"

namespace PB {

IDispatchEx* FactoryBase::createCOMJavascriptObject(const std::shared_ptr<BrowserHost>& host,
                                                    const std::weak_ptr<JSAPI>& api, bool autoRelease)
{
    auto activex = std::dynamic_pointer_cast<ActiveX::ActiveXBrowserHost>(host);
    if (!activex)
        return nullptr;
    return ActiveX::COMJavascriptObject::create(autoRelease, activex, api);
}

HRESULT FactoryBase::updateRegistry(bool doRegister)
{
    return ActiveX::CPageBridgeWinModule::instance().applyScript(ActiveX::CPageBridgeWinModule::kControlScript,
                                                                 doRegister);
}

}  // namespace PB
