// The thirteen NPP functions: each finds the instance on the NPP and
// forwards to it. No exception may cross into the browser: what a plug-in
// operation throws is logged and answered with the function's failure value.

#include <cstdio>
#include <exception>
#include <new>
#include <sstream>

#include "NpapiCore/NpapiBrowserHost.h"
#include "NpapiCore/NpapiInstanceData.h"
#include "NpapiCore/NpapiPlugin.h"
#include "NpapiCore/NpapiPluginModule.h"
#include "NpapiCore/PluginCreateError.h"
#include "PluginCore/FactoryBase.h"
#include "PluginCore/PluginInfo.h"
#include "ScriptingCore/Log.h"

namespace PB {
namespace Npapi {

namespace {

const char* const component = "NPAPI";

std::string pointerText(const void* pointer)
{
    std::ostringstream text;
    text << pointer;
    return text.str();
}

std::string functionName(const char* name)
{
    return std::string("PB::Npapi::NpapiPluginModule::") + name;
}

void logInfo(const char* function, NPP instance, const std::string& prefix = std::string())
{
    Log::info(component, prefix + pointerText(instance), __FILE__, __LINE__, functionName(function).c_str());
}

void logTrace(const char* function, NPP instance, const std::string& suffix = std::string())
{
    Log::trace(component, pointerText(instance) + suffix, __FILE__, __LINE__, functionName(function).c_str());
}

NpapiInstanceData* instanceData(NPP instance)
{
    return instance ? static_cast<NpapiInstanceData*>(instance->pdata) : nullptr;
}

// Runs the forwarding call; an escaping exception becomes the failure value.
template <typename Result, typename Call>
Result guarded(const char* function, Result failure, Call call)
{
    try {
        return call();
    } catch (const std::exception& e) {
        Log::error(component, std::string("Exception: ") + e.what(), __FILE__, __LINE__,
                   functionName(function).c_str());
    } catch (...) {
        Log::error(component, "Unknown exception", __FILE__, __LINE__, functionName(function).c_str());
    }
    return failure;
}

template <typename Call>
void guardedVoid(const char* function, Call call)
{
    guarded<int>(function, 0, [&] {
        call();
        return 0;
    });
}

const std::string& moduleName()
{
    static const std::string name = getPluginName(std::string());
    return name;
}

const std::string& moduleDescription()
{
    static const std::string description = getPluginDescription(std::string());
    return description;
}

}  // namespace

NPError NpapiPluginModule::NPP_New(NPMIMEType pluginType, NPP instance, uint16_t, int16_t argc, char* argn[],
                                   char* argv[], NPSavedData*)
{
    logInfo("NPP_New", instance, "NPP_New: ");
    if (!instance)
        return NPERR_INVALID_INSTANCE_ERROR;
    std::shared_ptr<NpapiBrowserHost> host;
    // A host whose instance never came about gives back what it holds of the page.
    auto abandon = [&](NPError result) {
        if (host && !instance->pdata)
            host->shutdown();
        return result;
    };
    try {
        NpapiPluginModule* module = GetModule(nullptr);
        host = createBrowserHost(module, instance);
        host->setBrowserFuncs(&module->NPNFuncs);
        const FactoryBasePtr factory = getPluginFactory();
        const std::string mimetype = pluginType ? pluginType : "";
        std::shared_ptr<NpapiPlugin> plugin = factory->createNpapiPlugin(host, mimetype);
        if (!plugin)
            return abandon(NPERR_OUT_OF_MEMORY_ERROR);
        instance->pdata = new NpapiInstanceData{host, plugin};
        plugin->init(pluginType, argc, argn, argv);
    } catch (const PluginCreateError& e) {
        std::printf("%s\n", e.what());
        return abandon(NPERR_INCOMPATIBLE_VERSION_ERROR);
    } catch (const std::bad_alloc& e) {
        std::printf("%s\n", e.what());
        return abandon(NPERR_OUT_OF_MEMORY_ERROR);
    } catch (const std::exception& e) {
        std::printf("%s\n", e.what());
        return abandon(NPERR_GENERIC_ERROR);
    }
    return NPERR_NO_ERROR;
}

NPError NpapiPluginModule::NPP_Destroy(NPP instance, NPSavedData**)
{
    logInfo("NPP_Destroy", instance, "NPP_Destroy: ");
    NpapiInstanceData* data = instanceData(instance);
    if (!data)
        return NPERR_INVALID_INSTANCE_ERROR;
    std::shared_ptr<NpapiBrowserHost> host = data->host;
    guardedVoid("NPP_Destroy", [&] {
        if (host)
            host->shutdown();
    });
    guardedVoid("NPP_Destroy", [&] {
        std::shared_ptr<NpapiPlugin> plugin = data->plugin;
        if (plugin)
            plugin->shutdown();
    });
    instance->pdata = nullptr;
    // The plug-in goes before the host, whatever either does on the way.
    guardedVoid("NPP_Destroy", [&] { delete data; });
    guardedVoid("NPP_Destroy", [&] { host.reset(); });
    return NPERR_NO_ERROR;
}

NPError NpapiPluginModule::NPP_SetWindow(NPP instance, NPWindow* window)
{
    logTrace("NPP_SetWindow", instance);
    NpapiInstanceData* data = instanceData(instance);
    if (!data)
        return NPERR_INVALID_INSTANCE_ERROR;
    std::shared_ptr<NpapiPlugin> plugin = data->plugin;
    if (!plugin)
        return NPERR_NO_ERROR;
    return guarded<NPError>("NPP_SetWindow", NPERR_GENERIC_ERROR, [&] { return plugin->SetWindow(window); });
}

NPError NpapiPluginModule::NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                                         uint16_t* stype)
{
    logInfo("NPP_NewStream", instance);
    NpapiInstanceData* data = instanceData(instance);
    if (!data)
        return NPERR_INVALID_INSTANCE_ERROR;
    std::shared_ptr<NpapiPlugin> plugin = data->plugin;
    if (!plugin || !stream || !stype)
        return NPERR_GENERIC_ERROR;
    return guarded<NPError>("NPP_NewStream", NPERR_GENERIC_ERROR,
                            [&] { return plugin->NewStream(type, stream, seekable, stype); });
}

NPError NpapiPluginModule::NPP_DestroyStream(NPP instance, NPStream* stream, NPReason reason)
{
    logInfo("NPP_DestroyStream", instance);
    NpapiInstanceData* data = instanceData(instance);
    if (!data)
        return NPERR_INVALID_INSTANCE_ERROR;
    std::shared_ptr<NpapiPlugin> plugin = data->plugin;
    if (!plugin || !stream)
        return NPERR_GENERIC_ERROR;
    return guarded<NPError>("NPP_DestroyStream", NPERR_GENERIC_ERROR,
                            [&] { return plugin->DestroyStream(stream, reason); });
}

int32_t NpapiPluginModule::NPP_WriteReady(NPP instance, NPStream* stream)
{
    logInfo("NPP_WriteReady", instance);
    NpapiInstanceData* data = instanceData(instance);
    if (!data)
        return NPERR_INVALID_INSTANCE_ERROR;
    std::shared_ptr<NpapiPlugin> plugin = data->plugin;
    if (!plugin)
        return NPERR_GENERIC_ERROR;
    if (!stream)
        return -1;
    return guarded<int32_t>("NPP_WriteReady", -1, [&] { return plugin->WriteReady(stream); });
}

int32_t NpapiPluginModule::NPP_Write(NPP instance, NPStream* stream, int32_t offset, int32_t len, void* buffer)
{
    logInfo("NPP_Write", instance);
    NpapiInstanceData* data = instanceData(instance);
    if (!data)
        return NPERR_INVALID_INSTANCE_ERROR;
    std::shared_ptr<NpapiPlugin> plugin = data->plugin;
    if (!plugin)
        return NPERR_GENERIC_ERROR;
    if (!stream)
        return -1;
    return guarded<int32_t>("NPP_Write", -1, [&] { return plugin->Write(stream, offset, len, buffer); });
}

void NpapiPluginModule::NPP_StreamAsFile(NPP instance, NPStream* stream, const char* fname)
{
    logInfo("NPP_StreamAsFile", instance);
    NpapiInstanceData* data = instanceData(instance);
    std::shared_ptr<NpapiPlugin> plugin = data ? data->plugin : nullptr;
    if (plugin && stream)
        guardedVoid("NPP_StreamAsFile", [&] { plugin->StreamAsFile(stream, fname); });
}

void NpapiPluginModule::NPP_Print(NPP instance, NPPrint* platformPrint)
{
    logInfo("NPP_Print", instance);
    NpapiInstanceData* data = instanceData(instance);
    std::shared_ptr<NpapiPlugin> plugin = data ? data->plugin : nullptr;
    if (plugin)
        guardedVoid("NPP_Print", [&] { plugin->Print(platformPrint); });
}

int16_t NpapiPluginModule::NPP_HandleEvent(NPP instance, void* event)
{
    logTrace("NPP_HandleEvent", instance);
    NpapiInstanceData* data = instanceData(instance);
    std::shared_ptr<NpapiPlugin> plugin = data ? data->plugin : nullptr;
    if (!plugin)
        return 0;
    return guarded<int16_t>("NPP_HandleEvent", 0, [&] { return plugin->HandleEvent(event); });
}

void NpapiPluginModule::NPP_URLNotify(NPP instance, const char* url, NPReason reason, void* notifyData)
{
    logInfo("NPP_URLNotify", instance);
    NpapiInstanceData* data = instanceData(instance);
    std::shared_ptr<NpapiPlugin> plugin = data ? data->plugin : nullptr;
    if (plugin)
        guardedVoid("NPP_URLNotify", [&] { plugin->URLNotify(url, reason, notifyData); });
}

NPError NpapiPluginModule::NPP_GetValue(NPP instance, NPPVariable variable, void* value)
{
    logTrace("NPP_GetValue", instance);
    if (!value)
        return NPERR_INVALID_PARAM;
    NpapiInstanceData* data = instanceData(instance);
    if (!data) {
        // The browser may ask for these before any instance exists.
        if (variable == NPPVpluginNameString) {
            *static_cast<const char**>(value) = moduleName().c_str();
            return NPERR_NO_ERROR;
        }
        if (variable == NPPVpluginDescriptionString) {
            *static_cast<const char**>(value) = moduleDescription().c_str();
            return NPERR_NO_ERROR;
        }
        return NPERR_GENERIC_ERROR;
    }
    std::shared_ptr<NpapiPlugin> plugin = data->plugin;
    if (!plugin)
        return NPERR_NO_ERROR;
    return guarded<NPError>("NPP_GetValue", NPERR_GENERIC_ERROR, [&] { return plugin->GetValue(variable, value); });
}

NPError NpapiPluginModule::NPP_SetValue(NPP instance, NPNVariable variable, void* value)
{
    logTrace("NPP_SetValue", instance, " variable: " + pointerText(reinterpret_cast<void*>(variable)));
    NpapiInstanceData* data = instanceData(instance);
    if (!data)
        return NPERR_INVALID_INSTANCE_ERROR;
    std::shared_ptr<NpapiPlugin> plugin = data->plugin;
    if (!plugin)
        return NPERR_GENERIC_ERROR;
    return guarded<NPError>("NPP_SetValue", NPERR_GENERIC_ERROR, [&] { return plugin->SetValue(variable, value); });
}

NPPluginFuncs* initPluginFuncs(NPPluginFuncs* pFuncs)
{
    pFuncs->newp = &NpapiPluginModule::NPP_New;
    pFuncs->destroy = &NpapiPluginModule::NPP_Destroy;
    pFuncs->setwindow = &NpapiPluginModule::NPP_SetWindow;
    pFuncs->newstream = &NpapiPluginModule::NPP_NewStream;
    pFuncs->destroystream = &NpapiPluginModule::NPP_DestroyStream;
    pFuncs->asfile = &NpapiPluginModule::NPP_StreamAsFile;
    pFuncs->writeready = &NpapiPluginModule::NPP_WriteReady;
    pFuncs->write = &NpapiPluginModule::NPP_Write;
    pFuncs->print = &NpapiPluginModule::NPP_Print;
    pFuncs->event = &NpapiPluginModule::NPP_HandleEvent;
    pFuncs->urlnotify = &NpapiPluginModule::NPP_URLNotify;
    pFuncs->getvalue = &NpapiPluginModule::NPP_GetValue;
    pFuncs->setvalue = &NpapiPluginModule::NPP_SetValue;
    return pFuncs;
}

}  // namespace Npapi
}  // namespace PB
