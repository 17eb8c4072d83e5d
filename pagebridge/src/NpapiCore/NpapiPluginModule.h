#pragma once
// The process's one NPAPI plug-in module: the library's own copy of the
// browser's function table (identifiers, memory, retain and release keep
// working through it while any instance lives), the logging front end's
// life, the choice of browser host, and the thirteen NPP functions the
// browser calls.

#include <cstdint>
#include <memory>
#include <string>

#include <npapi/npfunctions.h>

namespace PB {
namespace Npapi {

class NpapiBrowserHost;

class NpapiPluginModule {
public:
    NpapiPluginModule();
    NpapiPluginModule(const NpapiPluginModule&) = delete;
    NpapiPluginModule& operator=(const NpapiPluginModule&) = delete;
    virtual ~NpapiPluginModule();

    // The module for the key, made on first demand (which starts logging);
    // every caller uses the key null.
    static NpapiPluginModule* GetModule(const void* key);
    // Destroys the key's module; with none left, stops logging.
    static void ReleaseModule(const void* key);

    // False when the table is too short to be read.
    bool setNetscapeFuncs(const NPNetscapeFuncs* pFuncs);
    const NPNetscapeFuncs& getBrowserFuncs() const { return NPNFuncs; }
    std::uint32_t getMainThreadId() const { return m_threadId; }

    // The instance's browser host: the plain one, or the one with its own
    // message window for Safari and for tables without
    // pluginthreadasynccall. Decided once per process, at the first call.
    static std::shared_ptr<NpapiBrowserHost> createBrowserHost(NpapiPluginModule* module, NPP npp);
    static bool needsMessageWindowHost(NPP npp, const NPNetscapeFuncs& funcs);

    // The browser's entries through the module's table; each answers the
    // stated fallback when the browser has not supplied the entry.
    void* MemAlloc(uint32_t size) const;                         // null
    void MemFree(void* ptr) const;                               // nothing
    NPIdentifier GetStringIdentifier(const NPUTF8* name) const;  // null
    NPIdentifier GetIntIdentifier(int32_t id) const;             // null
    bool IdentifierIsString(NPIdentifier identifier) const;      // true
    NPUTF8* UTF8FromIdentifier(NPIdentifier identifier) const;   // null
    // The name as a string; the browser's buffer is freed.
    std::string StringFromIdentifier(NPIdentifier identifier) const;  // empty
    int32_t IntFromIdentifier(NPIdentifier identifier) const;         // 1
    NPObject* RetainObject(NPObject* npobj) const;                    // npobj
    void ReleaseObject(NPObject* npobj) const;                        // nothing
    void ReleaseVariantValue(NPVariant* variant) const;               // nothing

    // The NPP functions of the entry table.
    static NPError NPP_New(NPMIMEType pluginType, NPP instance, uint16_t mode, int16_t argc, char* argn[],
                           char* argv[], NPSavedData* saved);
    static NPError NPP_Destroy(NPP instance, NPSavedData** save);
    static NPError NPP_SetWindow(NPP instance, NPWindow* window);
    static NPError NPP_NewStream(NPP instance, NPMIMEType type, NPStream* stream, NPBool seekable,
                                 uint16_t* stype);
    static NPError NPP_DestroyStream(NPP instance, NPStream* stream, NPReason reason);
    static int32_t NPP_WriteReady(NPP instance, NPStream* stream);
    static int32_t NPP_Write(NPP instance, NPStream* stream, int32_t offset, int32_t len, void* buffer);
    static void NPP_StreamAsFile(NPP instance, NPStream* stream, const char* fname);
    static void NPP_Print(NPP instance, NPPrint* platformPrint);
    static int16_t NPP_HandleEvent(NPP instance, void* event);
    static void NPP_URLNotify(NPP instance, const char* url, NPReason reason, void* notifyData);
    static NPError NPP_GetValue(NPP instance, NPPVariable variable, void* value);
    static NPError NPP_SetValue(NPP instance, NPNVariable variable, void* value);

private:
    NPNetscapeFuncs NPNFuncs;
    std::uint32_t m_threadId;
};

// Stores the thirteen NPP functions into the browser's table; nothing else
// of it is written.
NPPluginFuncs* initPluginFuncs(NPPluginFuncs* pFuncs);

}  // namespace Npapi
}  // namespace PB
