#pragma once
// The product side for the NPAPI adapter's tests: a factory whose plug-in
// objects expose a small scriptable API, and a test-set hook for streams the
// browser opens on its own.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PluginCore/FactoryBase.h"
#include "PluginCore/PluginEvent.h"
#include "ScriptingCore/JSAPIAuto.h"

namespace test {

class TestApi : public PB::JSAPIAuto {
public:
    TestApi();

    PB::variant echo(const PB::variant& value) { return value; }
    int add(int a, int b) { return a + b; }
    std::string fail() { throw PB::script_error("boom"); }
    // A promise the test settles later, from any thread.
    PB::Promise<PB::variant> later();
    PB::JSAPIPtr child();

    PB::Deferred<PB::variant> pending;
    std::string name = "api";
    int invalidations = 0;
    void invalidate() override { ++invalidations; }
};

class TestPlugin : public PB::PluginCore {
public:
    PB::JSAPIPtr createJSAPI() override { return std::make_shared<TestApi>(); }
    void handleUnsolicitedStream(PB::BrowserStreamRequest& req) override
    {
        if (onUnsolicited)
            onUnsolicited(req);
    }
    std::function<void(PB::BrowserStreamRequest&)> onUnsolicited;

    // Window events: repaints are recorded; raw messages answered with rawAnswer.
    bool HandleEvent(PB::PluginEvent* event, PB::PluginEventSource*) override
    {
        if (auto* refresh = dynamic_cast<PB::RefreshEvent*>(event)) {
            refreshed.push_back(refresh->bounds);
            return true;
        }
        if (auto* raw = dynamic_cast<PB::WindowsEvent*>(event)) {
            raw->lRes = rawAnswer;
            return true;
        }
        return false;
    }
    std::vector<PB::Rect> refreshed;
    std::intptr_t rawAnswer = 1;
};

class TestFactory : public PB::FactoryBase {
public:
    // "application/x-broken" cannot be made (PluginCreateError).
    PB::PluginCorePtr createPlugin(const std::string& mimetype) override;
    std::vector<std::weak_ptr<TestPlugin>> made;

    // The module's start and stop, and the instance objects made through
    // the factory (counted, then left to the base).
    void onModuleStart() override { ++moduleStarts; }
    void onModuleStop() override { ++moduleStops; }
    std::shared_ptr<PB::Npapi::NpapiPlugin> createNpapiPlugin(const std::shared_ptr<PB::Npapi::NpapiBrowserHost>& host,
                                                              const std::string& mimetype) override
    {
        ++npapiPlugins;
        return FactoryBase::createNpapiPlugin(host, mimetype);
    }
    int moduleStarts = 0;
    int moduleStops = 0;
    int npapiPlugins = 0;
};

std::shared_ptr<TestFactory> testFactory();

}  // namespace test
