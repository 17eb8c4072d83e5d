#pragma once
// The product side the plug-in core needs: a factory whose log level and
// logging methods a test sets, and a plug-in object that records its events.

#include <string>
#include <vector>

#include "PluginCore/FactoryBase.h"
#include "PluginCore/PluginEvent.h"
#include "support/StubObjects.h"

namespace test {

class RecordingPlugin : public PB::PluginCore {
public:
    std::vector<std::string> events;
    int readyCalls = 0;
    int apiCreations = 0;

    bool HandleEvent(PB::PluginEvent* event, PB::PluginEventSource*) override
    {
        if (dynamic_cast<PB::AttachedEvent*>(event))
            events.push_back("attached");
        else if (dynamic_cast<PB::DetachedEvent*>(event))
            events.push_back("detached");
        else
            events.push_back("other");
        return false;
    }
    PB::JSAPIPtr createJSAPI() override
    {
        ++apiCreations;
        return std::make_shared<StubApi>();
    }
    void onPluginReady() override { ++readyCalls; }
};

class TestFactory : public PB::FactoryBase {
public:
    int logLevel = 4;
    PB::LoggingMethodList methods;
    std::vector<std::string> created;

    PB::PluginCorePtr createPlugin(const std::string& mimetype) override
    {
        created.push_back(mimetype);
        return std::make_shared<RecordingPlugin>();
    }
    void getLoggingMethods(PB::LoggingMethodList& out) override { out = methods; }
    int getLogLevel() override { return logLevel; }
};

// The factory that getPluginFactory() hands out in these tests.
std::shared_ptr<TestFactory> testFactory();

}  // namespace test
