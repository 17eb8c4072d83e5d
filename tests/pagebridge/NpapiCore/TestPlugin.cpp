#include "TestPlugin.h"

#include "NpapiCore/PluginCreateError.h"

namespace test {

TestApi::TestApi() : PB::JSAPIAuto("<test api>")
{
    registerMethod("echo", PB::make_method(this, &TestApi::echo));
    registerMethod("add", PB::make_method(this, &TestApi::add));
    registerMethod("fail", PB::make_method(this, &TestApi::fail));
    registerMethod("later", PB::make_method(this, &TestApi::later));
    registerMethod("child", PB::make_method(this, &TestApi::child));
    registerProperty("name", PB::PropertyFunctors([this] { return PB::Promise<PB::variant>(PB::variant(name)); },
                                                  [this](const PB::variant& v) {
                                                      name = v.convert_cast<std::string>();
                                                  }));
}

PB::Promise<PB::variant> TestApi::later()
{
    pending = PB::Deferred<PB::variant>();
    return pending.promise();
}

PB::JSAPIPtr TestApi::child()
{
    return std::make_shared<TestApi>();
}

PB::PluginCorePtr TestFactory::createPlugin(const std::string& mimetype)
{
    if (mimetype == "application/x-broken")
        throw PB::Npapi::PluginCreateError("unknown type");
    auto plugin = std::make_shared<TestPlugin>();
    made.push_back(plugin);
    return plugin;
}

std::shared_ptr<TestFactory> testFactory()
{
    static auto factory = std::make_shared<TestFactory>();
    return factory;
}

}  // namespace test

PB::FactoryBasePtr getPluginFactory()
{
    return test::testFactory();
}
