// The module's NPAPI exports.

#include <npapi/npfunctions.h>

#include "NpapiCore/NpapiPluginModule.h"
#include "ScriptingCore/Log.h"

using PB::Npapi::NpapiPluginModule;

extern "C" NPError NP_GetEntryPoints(NPPluginFuncs* pFuncs)
{
    // The module first: it sets the logger up, and a record written before
    // that only makes the logging library complain on the standard error.
    NpapiPluginModule::GetModule(nullptr);
    PB::Log::info("NPAPI", "", __FILE__, __LINE__, "NP_GetEntryPoints");
    if (!pFuncs)
        return NPERR_INVALID_FUNCTABLE_ERROR;
    PB::Npapi::initPluginFuncs(pFuncs);
    return NPERR_NO_ERROR;
}

extern "C" NPError NP_Initialize(NPNetscapeFuncs* bFuncs)
{
    NpapiPluginModule* module = NpapiPluginModule::GetModule(nullptr);
    if (!bFuncs || !module->setNetscapeFuncs(bFuncs))
        return NPERR_INVALID_FUNCTABLE_ERROR;
    PB::Log::info("NPAPI", "Initialization done", __FILE__, __LINE__, "NP_Initialize");
    return NPERR_NO_ERROR;
}

extern "C" NPError NP_Shutdown(void)
{
    PB::Log::info("NPAPI", "", __FILE__, __LINE__, "NP_Shutdown");
    NpapiPluginModule::ReleaseModule(nullptr);
    return NPERR_NO_ERROR;
}
