#pragma once
// The plug-in the HostWire tests drive (in process, and as the shared test
// module that wirehost loads): a scriptable object with a few registered
// methods, a property, an event attribute, a promise answered later, script
// errors, child objects and calls back into the page. It writes down what its
// window tells it (drawing, mouse buttons, keys); an instance whose page chose
// the kind of window (the "windowless" parameter) answers that list through
// `inputs`.

#include <memory>
#include <string>
#include <vector>

#include "PluginCore/FactoryBase.h"
#include "ScriptingCore/JSAPIAuto.h"

namespace hostwire_test {

class TestApi : public PB::JSAPIAuto {
public:
    explicit TestApi(std::weak_ptr<PB::PluginCore> plugin);

    PB::variant echo(PB::variant value) { return value; }
    int add(int a, int b) { return a + b; }
    std::string fail(std::string message);
    // Answered on a later turn of the host's loop, through its scheduleAsync.
    PB::Promise<PB::variant> later(std::string value);
    // Answered when a test settles waiting().
    PB::Promise<PB::variant> wait() { return waiting().promise(); }
    static PB::Deferred<PB::variant>& waiting();
    void fire(std::string event, PB::variant value);
    PB::JSAPIPtr child(std::string name);
    // Calls the page's function with the argument; the answer is the function's result.
    PB::Promise<PB::variant> callBack(PB::JSObjectPtr function, PB::variant argument);
    // The elements of a page array, read through the browser host.
    PB::Promise<PB::variant> readList(PB::JSObjectPtr array);
    // The members of a page object, read through the browser host.
    PB::Promise<PB::variant> readMap(PB::JSObjectPtr object);
    // The page's address, read through the DOM wrappers.
    PB::Promise<PB::variant> location();
    void evaluate(std::string script);
    // A save-file chooser (answered by the desktop); "" when cancelled.
    std::string chooseFile(std::string title);
    // What the plug-in's window told it, in order.
    PB::VariantList inputs();

private:
    PB::BrowserHostPtr host() const;

    std::weak_ptr<PB::PluginCore> m_plugin;
    int m_count = 0;
};

class TestPlugin : public PB::PluginCore {
public:
    int readyCalls = 0;
    int shutdownCalls = 0;
    // "refresh 0,0,300,150", "mouse down 0 at 5,5", "key up 65"...
    std::vector<std::string> inputs;
    PB::JSAPIPtr createJSAPI() override;
    // Writes the event down and leaves it to the window's own handling.
    bool HandleEvent(PB::PluginEvent* event, PB::PluginEventSource* source) override;
    void onPluginReady() override { ++readyCalls; }
    void shutdown() override { ++shutdownCalls; }
};

class TestFactory : public PB::FactoryBase {
public:
    // Only "application/x-velon"; any other type gets no plug-in.
    PB::PluginCorePtr createPlugin(const std::string& mimetype) override;
    std::weak_ptr<TestPlugin> lastPlugin;

    // The module's start and stop, and the COM faces made through the
    // factory (counted, then left to the base).
    void onModuleStart() override { ++moduleStarts; }
    void onModuleStop() override { ++moduleStops; }
    IDispatchEx* createCOMJavascriptObject(const std::shared_ptr<PB::BrowserHost>& host,
                                           const std::weak_ptr<PB::JSAPI>& api, bool autoRelease) override
    {
        ++comObjects;
        return FactoryBase::createCOMJavascriptObject(host, api, autoRelease);
    }
    int moduleStarts = 0;
    int moduleStops = 0;
    int comObjects = 0;
};

std::shared_ptr<TestFactory> testFactory();

}  // namespace hostwire_test
