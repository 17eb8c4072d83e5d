#pragma once
// The one place where the framework asks the product for its objects. The
// product supplies one subclass, reached through getPluginFactory().
// The host adapters add the operations that make their own objects.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <win32/types.h>

#include "PluginCore/PluginCore.h"

struct IDispatchEx;

namespace PB {

class PluginWindowWin;
class PluginWindowlessWin;
class WindowlessHostWindow;
namespace Npapi {
class NpapiBrowserHost;
class NpapiPlugin;
}  // namespace Npapi
namespace ActiveX {
class ActiveXBrowserHost;
}  // namespace ActiveX

// How the product wants to log: kind 1 the debugger's channel, kind 2 a file.
enum class LogMethod : int { Console = 1, File = 2 };
using LoggingMethod = std::pair<LogMethod, std::string>;
using LoggingMethodList = std::vector<LoggingMethod>;

// What the browser hands over for a windowed plug-in: its child window.
struct WindowContextWin {
    HWND handle = nullptr;
};
// What the browser hands over for a windowless plug-in: the drawable and the
// host-side window object told of size changes.
struct WindowContextWindowless {
    HDC drawable = nullptr;
    std::shared_ptr<WindowlessHostWindow> hostWindow;
};

class FactoryBase {
public:
    FactoryBase() = default;
    FactoryBase(const FactoryBase&) = delete;
    FactoryBase& operator=(const FactoryBase&) = delete;
    virtual ~FactoryBase();

    virtual PluginCorePtr createPlugin(const std::string& mimetype) = 0;
    virtual void onModuleStart() {}
    virtual void onModuleStop() {}
    virtual void getLoggingMethods(LoggingMethodList& methods);
    // The framework's log level: 1 trace, 2 debug, 4 info, 8 warn, 16 error.
    virtual int getLogLevel();
    // The caller owns the window it gets.
    virtual PluginWindowWin* createPluginWindowWin(const WindowContextWin& context);
    virtual PluginWindowlessWin* createPluginWindowless(const WindowContextWindowless& context);

    // The NPAPI adapter's instance object for the host and MIME type, in one
    // allocation.
    virtual std::shared_ptr<Npapi::NpapiPlugin> createNpapiPlugin(const std::shared_ptr<Npapi::NpapiBrowserHost>& host,
                                                                  const std::string& mimetype);
    // The ActiveX adapter's COM face of a scriptable object (one reference
    // for the caller; null when it cannot be made).
    virtual IDispatchEx* createCOMJavascriptObject(const std::shared_ptr<BrowserHost>& host,
                                                   const std::weak_ptr<JSAPI>& api, bool autoRelease);
    // Applies the module's control registry script.
    virtual HRESULT updateRegistry(bool doRegister);

    // What the three operations above do unless a subclass replaces them
    // lives with the adapters, whose classes this library does not know:
    // each adapter's library installs its part when it is loaded. Without
    // it they make nothing (E_NOTIMPL for the registry).
    using NpapiPluginMaker = std::shared_ptr<Npapi::NpapiPlugin> (*)(const std::shared_ptr<Npapi::NpapiBrowserHost>&,
                                                                      const std::string&);
    using COMJavascriptObjectMaker = IDispatchEx* (*)(const std::shared_ptr<BrowserHost>&, const std::weak_ptr<JSAPI>&,
                                                      bool);
    using RegistryUpdater = HRESULT (*)(bool);
    static bool installNpapiPart(NpapiPluginMaker makePlugin);
    static bool installActiveXPart(COMJavascriptObjectMaker makeObject, RegistryUpdater updateRegistry);
};

using FactoryBasePtr = std::shared_ptr<FactoryBase>;

}  // namespace PB

// The product's process-wide factory, made on first use.
PB::FactoryBasePtr getPluginFactory();
