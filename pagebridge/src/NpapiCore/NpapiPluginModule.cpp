#include "NpapiCore/NpapiPluginModule.h"

#include <win32/kernel.h>

#include <cstring>
#include <map>

#include "NpapiCore/NpapiBrowserFuncs.h"
#include "NpapiCore/NpapiBrowserHost.h"
#include "NpapiCore/NpapiBrowserHostAsyncWin.h"
#include "PluginCore/FactoryBase.h"
#include "ScriptingCore/Log.h"

namespace PB {
namespace Npapi {

namespace {

// The browser loads and calls the module on one thread: no lock here.
std::map<const void*, std::unique_ptr<NpapiPluginModule>>& moduleMap()
{
    static std::map<const void*, std::unique_ptr<NpapiPluginModule>> modules;
    return modules;
}
std::int32_t moduleCount = 0;

// The first browser table version with pluginthreadasynccall.
constexpr int asyncCallVersion = 19;

}  // namespace

NpapiPluginModule::NpapiPluginModule() : m_threadId(GetCurrentThreadId())
{
    std::memset(&NPNFuncs, 0, sizeof(NPNFuncs));
    try {
        if (const FactoryBasePtr factory = getPluginFactory())
            factory->onModuleStart();
    } catch (...) {
    }
}

NpapiPluginModule::~NpapiPluginModule()
{
    try {
        if (const FactoryBasePtr factory = getPluginFactory())
            factory->onModuleStop();
    } catch (...) {
    }
}

NpapiPluginModule* NpapiPluginModule::GetModule(const void* key)
{
    if (moduleCount == 0) {
        Log::initLogging();
        getPluginFactory();  // made now rather than inside the first instance
    }
    auto found = moduleMap().find(key);
    if (found != moduleMap().end())
        return found->second.get();
    NpapiPluginModule* module = new NpapiPluginModule();
    moduleMap()[key].reset(module);
    ++moduleCount;
    return module;
}

void NpapiPluginModule::ReleaseModule(const void* key)
{
    auto found = moduleMap().find(key);
    if (found != moduleMap().end()) {
        moduleMap().erase(found);
        --moduleCount;
    }
    if (moduleCount == 0) {
        getPluginFactory();
        Log::stopLogging();
    }
}

bool NpapiPluginModule::setNetscapeFuncs(const NPNetscapeFuncs* pFuncs)
{
    return copyNPBrowserFuncs(&NPNFuncs, pFuncs);
}

bool NpapiPluginModule::needsMessageWindowHost(NPP npp, const NPNetscapeFuncs& funcs)
{
    const char* agent = funcs.uagent ? funcs.uagent(npp) : nullptr;
    if (agent && std::strstr(agent, "Safari"))
        return true;
    return funcs.version < asyncCallVersion;
}

std::shared_ptr<NpapiBrowserHost> NpapiPluginModule::createBrowserHost(NpapiPluginModule* module, NPP npp)
{
    static const bool messageWindowHost = needsMessageWindowHost(npp, module->NPNFuncs);
    if (messageWindowHost)
        return std::make_shared<NpapiBrowserHostAsyncWin>(module, npp);
    return std::make_shared<NpapiBrowserHost>(module, npp);
}

void* NpapiPluginModule::MemAlloc(uint32_t size) const
{
    return NPNFuncs.memalloc ? NPNFuncs.memalloc(size) : nullptr;
}

void NpapiPluginModule::MemFree(void* ptr) const
{
    if (NPNFuncs.memfree)
        NPNFuncs.memfree(ptr);
}

NPIdentifier NpapiPluginModule::GetStringIdentifier(const NPUTF8* name) const
{
    return NPNFuncs.getstringidentifier ? NPNFuncs.getstringidentifier(name) : nullptr;
}

NPIdentifier NpapiPluginModule::GetIntIdentifier(int32_t id) const
{
    return NPNFuncs.getintidentifier ? NPNFuncs.getintidentifier(id) : nullptr;
}

bool NpapiPluginModule::IdentifierIsString(NPIdentifier identifier) const
{
    return NPNFuncs.identifierisstring ? NPNFuncs.identifierisstring(identifier) : true;
}

NPUTF8* NpapiPluginModule::UTF8FromIdentifier(NPIdentifier identifier) const
{
    return NPNFuncs.utf8fromidentifier ? NPNFuncs.utf8fromidentifier(identifier) : nullptr;
}

std::string NpapiPluginModule::StringFromIdentifier(NPIdentifier identifier) const
{
    NPUTF8* text = UTF8FromIdentifier(identifier);
    std::string name = text ? std::string(text) : std::string();
    if (text)
        MemFree(text);
    return name;
}

int32_t NpapiPluginModule::IntFromIdentifier(NPIdentifier identifier) const
{
    return NPNFuncs.intfromidentifier ? NPNFuncs.intfromidentifier(identifier) : 1;
}

NPObject* NpapiPluginModule::RetainObject(NPObject* npobj) const
{
    return NPNFuncs.retainobject ? NPNFuncs.retainobject(npobj) : npobj;
}

void NpapiPluginModule::ReleaseObject(NPObject* npobj) const
{
    if (NPNFuncs.releaseobject)
        NPNFuncs.releaseobject(npobj);
}

void NpapiPluginModule::ReleaseVariantValue(NPVariant* variant) const
{
    if (NPNFuncs.releasevariantvalue)
        NPNFuncs.releasevariantvalue(variant);
}

}  // namespace Npapi
}  // namespace PB
