// The ActiveX adapter's part of the base factory: what createCOMJavascriptObject
// and updateRegistry do unless the product's factory replaces them. Installed
// when the library is loaded; the adapter's link options keep this file in
// every program that links the adapter.

#include "ActiveXCore/COMJavascriptObject.h"
#include "ActiveXCore/ActiveXBrowserHost.h"
#include "ActiveXCore/ComModule.h"
#include "PluginCore/FactoryBase.h"

namespace {

IDispatchEx* makeCOMJavascriptObject(const std::shared_ptr<PB::BrowserHost>& host, const std::weak_ptr<PB::JSAPI>& api,
                                     bool autoRelease)
{
    auto activex = std::dynamic_pointer_cast<PB::ActiveX::ActiveXBrowserHost>(host);
    if (!activex)
        return nullptr;
    return PB::ActiveX::COMJavascriptObject::create(autoRelease, activex, api);
}

HRESULT applyControlScript(bool doRegister)
{
    using PB::ActiveX::CPageBridgeWinModule;
    return CPageBridgeWinModule::instance().applyScript(CPageBridgeWinModule::kControlScript, doRegister);
}

}  // namespace

extern "C" {
extern const bool pb_activex_factory_part;
}
const bool pb_activex_factory_part = PB::FactoryBase::installActiveXPart(&makeCOMJavascriptObject, &applyControlScript);
