#pragma once
// The base of every plug-in object, one per plug-in instance on a page. It
// keeps what the host adapter hands the instance (browser host, module path,
// the page's <param> values, the window), makes the root scripting object on
// first demand and calls the page's onload handler when the instance is ready.
// The adapter drives the life cycle: setHost, setParams, setPluginPath,
// SetWindow, setReady, then ClearWindow and shutdown.

#include <boost/optional.hpp>

#include <memory>
#include <string>

#include "PluginCore/PluginEventSink.h"
#include "ScriptingCore/BrowserHost.h"

namespace PB {

class PluginWindow;
class BrowserStreamRequest;

class PluginCore : public PluginEventSink {
public:
    PluginCore();
    ~PluginCore() override;

    static void setPlatform(std::string os, std::string browser);
    static std::string getOS();
    static std::string getBrowser();
    // Plug-in objects alive in the process.
    static int activePluginCount();

    virtual void setHost(const BrowserHostPtr& host);
    virtual PluginWindow* GetWindow() const;
    virtual void setScriptingOnly(bool scriptingOnly);
    virtual bool isScriptingOnly() const;
    virtual void SetWindow(PluginWindow* window);
    virtual void ClearWindow();
    // Schedules the page's onload function (250 ms later, with the root
    // scripting object) and calls onPluginReady; true when onload was scheduled.
    virtual bool setReady();
    virtual void onPluginReady() {}
    virtual void shutdown() {}
    virtual JSAPIPtr createJSAPI() = 0;
    virtual JSAPIPtr getRootJSAPI();
    virtual bool isWindowless();
    virtual std::string negotiateDrawingModel() { return std::string(); }
    virtual void setPluginPath(std::string path);
    // "on…" parameters name page functions, which are looked up and stored
    // when the page answers; other parameters are stored as they are.
    virtual void setParams(const VariantMap& params);
    virtual boost::optional<std::string> getParam(std::string key);
    virtual variant getParamVariant(std::string key);
    virtual void setFSPath(const std::string&) {}
    // A stream the browser opened on its own is offered here; a plug-in
    // that wants it marks the request accepted (with a sink or a callback).
    virtual void handleUnsolicitedStream(BrowserStreamRequest&) {}
    virtual BrowserHostPtr getHost() const;

protected:
    BrowserHostPtr m_host;
    std::string m_filesystemPath;
    PluginWindow* m_Window = nullptr;
    VariantMap m_params;
    JSAPIPtr m_api;
    boost::optional<bool> m_windowLessParam;
    bool m_scriptingOnly = false;

private:
    // Stores what an "on…" parameter names on the page: its page object
    // (null for nothing), or, when that is no object, the parameter's own value
    // (and false).
    bool storeEventHandler(const std::string& key, const variant& found, const variant& value);
};

using PluginCorePtr = std::shared_ptr<PluginCore>;

}  // namespace PB
