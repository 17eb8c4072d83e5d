#pragma once
// The browser-side object of one NPAPI plug-in instance: it connects the
// plug-in object to its browser host, hands it the page's <param> values,
// answers the browser's NPP_GetValue queries and carries browser streams to
// and from their stream objects. The NPP functions forward to it.

#include <cstdint>
#include <memory>
#include <string>

#include <npapi/npfunctions.h>

#include "PluginCore/BrowserPlugin.h"

namespace PB {
namespace Npapi {

class NpapiBrowserHost;
class NPJavascriptObject;

class NpapiPlugin : public BrowserPlugin {
public:
    NpapiPlugin(const std::shared_ptr<NpapiBrowserHost>& host, const std::string& mimetype);
    // Gives back the browser reference to the scriptable object.
    ~NpapiPlugin() override;

    void shutdown() override;

    // The <param> pairs become the plug-in's parameters; then setReady.
    virtual void init(NPMIMEType pluginType, int16_t argc, char* argn[], char* argv[]);
    // Makes the plug-in object ready once; false when it did not become so.
    virtual bool setReady();

    virtual NPError SetWindow(NPWindow* window);
    virtual NPError NewStream(NPMIMEType type, NPStream* stream, NPBool seekable, uint16_t* stype);
    virtual NPError DestroyStream(NPStream* stream, NPReason reason);
    virtual int32_t WriteReady(NPStream* stream);
    virtual int32_t Write(NPStream* stream, int32_t offset, int32_t len, void* buffer);
    virtual void StreamAsFile(NPStream* stream, const char* fname);
    virtual void Print(NPPrint* platformPrint);
    virtual int16_t HandleEvent(void* event);
    virtual void URLNotify(const char* url, NPReason reason, void* notifyData);
    virtual NPError GetValue(NPPVariable variable, void* value);
    virtual NPError SetValue(NPNVariable variable, void* value);

    // The scriptable object's NPObject, made on first demand; each call
    // adds a browser reference for the caller. Null when none can be made.
    NPObject* getScriptableObject();

protected:
    NPJavascriptObject* m_obj = nullptr;
    std::shared_ptr<NpapiBrowserHost> m_npHost;
    bool m_retainReturnedNPObject = true;
    bool m_isReady = false;
    std::string m_mimetype;
    std::string m_pluginName;
    std::string m_pluginDesc;
};

}  // namespace Npapi
}  // namespace PB
