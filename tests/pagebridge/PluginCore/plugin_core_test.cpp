#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "PluginCore/BrowserPlugin.h"
#include "PluginCore/PluginWindow.h"
#include "TestFactory.h"
#include "support/LogCapture.h"
#include "support/PageTree.h"
#include "support/PumpedHost.h"

namespace {

using PB::JSObjectPtr;
using PB::variant;
using test::RecordingPlugin;
using test::TreeObject;

class FakeWindow : public PB::PluginWindow {
public:
    void InvalidateWindow() const override {}
    PB::Rect getWindowPosition() const override { return PB::Rect(); }
    int getWindowWidth() const override { return 0; }
    int getWindowHeight() const override { return 0; }
    PB::Rect getWindowClipping() const override { return PB::Rect(); }
};

// A plug-in on a page whose window has the functions "pageLoaded" and "clicked".
struct Instance {
    std::shared_ptr<test::PumpedHost> host = std::make_shared<test::PumpedHost>();
    std::shared_ptr<TreeObject> window = TreeObject::make(host);
    std::shared_ptr<TreeObject> pageLoaded = TreeObject::make(host);
    std::shared_ptr<RecordingPlugin> plugin = std::make_shared<RecordingPlugin>();

    Instance()
    {
        window->props["pageLoaded"] = JSObjectPtr(pageLoaded);
        window->props["clicked"] = JSObjectPtr(TreeObject::make(host));
        host->window = window;
        plugin->setHost(host);
    }
};

std::size_t traces(const test::LogCapture& log, const std::string& message)
{
    std::size_t count = 0;
    for (const test::LogLine& line : log.lines())
        count += line.level == "TRACE" && line.message == message;
    return count;
}

TEST(PluginCore, LifeCycleSchedulesOnloadThenCallsOnPluginReady)
{
    Instance i;
    test::LogCapture log;
    i.plugin->setParams({{"onload", "pageLoaded"}, {"Onload", "pageLoaded"}, {"color", "red"}, {"count", 3}});
    EXPECT_EQ(traces(log, "Found <param> event handler: onload"), 1u);
    i.plugin->setPluginPath("/opt/velon/libnpVelon.so");
    FakeWindow window;
    i.plugin->SetWindow(&window);
    EXPECT_TRUE(i.plugin->setReady());
    EXPECT_EQ(i.plugin->readyCalls, 1);

    ASSERT_EQ(i.host->delayedInvokes().size(), 1u);
    const auto& call = i.host->delayedInvokes()[0];
    EXPECT_EQ(call.delayMs, 250);
    EXPECT_EQ(call.object.get(), i.pageLoaded.get());
    EXPECT_EQ(call.method, "");
    ASSERT_EQ(call.args.size(), 1u);
    EXPECT_EQ(call.args[0].cast<PB::JSAPIPtr>(), i.plugin->getRootJSAPI());

    // "on" is case-sensitive; other values are kept as they are.
    EXPECT_EQ(*i.plugin->getParam("Onload"), "pageLoaded");
    EXPECT_EQ(i.plugin->getParamVariant("count").cast<int>(), 3);
    EXPECT_FALSE(i.plugin->getParam("missing"));
    EXPECT_TRUE(i.plugin->getParamVariant("missing").empty());
    i.plugin->ClearWindow();
}

TEST(PluginCore, SetReadyWithoutAResolvedOnload)
{
    const struct {
        const char* what;
        PB::VariantMap params;
        bool answerLater;
    } cases[] = {
        {"no onload", {{"color", "red"}}, false},
        {"onload naming nothing on the page", {{"onload", "missing"}}, false},
        {"onload not yet answered", {{"onload", "pageLoaded"}}, true},
    };
    for (const auto& c : cases) {
        Instance i;
        i.window->answerLater = c.answerLater;
        i.plugin->setParams(c.params);
        EXPECT_FALSE(i.plugin->setReady()) << c.what;
        EXPECT_EQ(i.plugin->readyCalls, 1) << c.what;
        EXPECT_TRUE(i.host->delayedInvokes().empty()) << c.what;
    }
}

TEST(PluginCore, EventParamsAreStoredWhenThePageAnswers)
{
    Instance i;
    i.window->answerLater = true;
    i.plugin->setParams({{"onclick", "clicked"}, {"onmissing", "nothing"}});
    EXPECT_TRUE(i.plugin->getParamVariant("onclick").empty());
    i.window->answer();
    EXPECT_TRUE(i.plugin->getParamVariant("onclick").holds<JSObjectPtr>());
    EXPECT_TRUE(i.plugin->getParamVariant("onmissing").is_null());

    // A rejected lookup leaves the parameter out.
    i.plugin->setParams({{"onerror", "clicked"}});
    i.window->fail("no such property");
    EXPECT_TRUE(i.plugin->getParamVariant("onerror").empty());
}

// The WARN lines written under the function name.
std::vector<std::string> warnings(const test::LogCapture& log, const std::string& function)
{
    std::vector<std::string> found;
    for (const test::LogLine& line : log.lines())
        if (line.level == "WARN" && line.function == function)
            found.push_back(line.message);
    return found;
}

// An "on" parameter that names something other than a function on the page
// comes to the same whether the page answers at once or later: the line
// that says why, and the parameter kept as it was given. Only a lookup still
// open when the parameters are read counts as a handler found.
TEST(PluginCore, EventParamsNamingNoFunctionAreKeptAsValues)
{
    for (const bool later : {false, true}) {
        Instance i;
        i.window->props["title"] = "a text, not a function";
        i.window->answerLater = later;
        test::LogCapture log;
        i.plugin->setParams({{"onclick", "title"}});
        if (later)
            i.window->answer();
        EXPECT_EQ(i.plugin->getParamVariant("onclick").convert_cast<std::string>(), "title") << later;
        const std::vector<std::string> lines = warnings(log, "PB::PluginCore::setParams");
        ASSERT_EQ(lines.size(), 1u) << later;
        const std::string prefix = "Exception processing <param> onclick: ";
        EXPECT_EQ(lines[0].compare(0, prefix.size(), prefix), 0) << lines[0];
        EXPECT_GT(lines[0].size(), prefix.size()) << "the reason is missing";
        EXPECT_EQ(traces(log, "Found <param> event handler: onclick"), later ? 1u : 0u) << later;
        EXPECT_FALSE(i.plugin->setReady());
    }
}

TEST(PluginCore, ParamsThatCannotBeResolvedAreLoggedWithTheReason)
{
    auto plugin = std::make_shared<RecordingPlugin>();
    test::LogCapture log;
    plugin->setParams({{"onload", "f"}});  // no host to look in
    const std::vector<std::string> lines = warnings(log, "PB::PluginCore::setParams");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Exception processing <param> onload: "), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("no browser host"), std::string::npos) << lines[0];
}

TEST(PluginCore, AnswerAfterThePluginIsGoneDoesNothing)
{
    Instance i;
    i.window->answerLater = true;
    i.plugin->setParams({{"onclick", "clicked"}});
    i.plugin.reset();
    i.window->answer();  // must not touch the destroyed plug-in
    SUCCEED();
}

TEST(PluginCore, ParamsThatCannotBeResolvedAreKeptAsValues)
{
    const struct {
        const char* what;
        bool withHost;
        bool withWindow;
    } cases[] = {
        {"no host", false, false},
        {"no DOM window", true, false},
    };
    for (const auto& c : cases) {
        auto plugin = std::make_shared<RecordingPlugin>();
        auto host = std::make_shared<test::PumpedHost>();
        if (c.withWindow)
            host->window = TreeObject::make(host);
        if (c.withHost)
            plugin->setHost(host);
        plugin->setParams({{"onload", "f"}, {"list", PB::VariantList{1}}});
        EXPECT_EQ(plugin->getParamVariant("onload").cast<std::string>(), "f") << c.what;
        // A value with no text form is kept too.
        EXPECT_TRUE(plugin->getParamVariant("list").holds<PB::VariantList>()) << c.what;
        EXPECT_FALSE(plugin->setReady()) << c.what;
    }
}

TEST(PluginCore, Windowless)
{
    const struct {
        PB::VariantMap params;
        bool expected;
    } cases[] = {
        {{{"windowless", "TRUE"}}, true},
        {{{"windowless", "yes"}}, true},
        {{{"windowless", "no"}}, false},
        {{{"windowless", "0"}}, false},
        {{{"windowless", PB::VariantList{}}}, false},
        {{}, false},
    };
    for (const auto& c : cases) {
        Instance i;
        i.plugin->setParams(c.params);
        EXPECT_EQ(i.plugin->isWindowless(), c.expected);
        i.plugin->setParams({{"windowless", c.expected ? "false" : "true"}});
        EXPECT_EQ(i.plugin->isWindowless(), c.expected);  // computed once
    }
}

TEST(PluginCore, WindowsAttachAndDetach)
{
    Instance i;
    FakeWindow first, second;
    i.plugin->SetWindow(&first);
    i.plugin->SetWindow(&first);  // the same window: attached once more
    EXPECT_EQ(i.plugin->events, (std::vector<std::string>{"attached", "attached"}));
    i.plugin->SetWindow(&second);
    EXPECT_EQ(i.plugin->events,
              (std::vector<std::string>{"attached", "attached", "detached", "detached", "attached"}));
    EXPECT_EQ(i.plugin->GetWindow(), &second);
    i.plugin->ClearWindow();
    EXPECT_EQ(i.plugin->GetWindow(), nullptr);
    EXPECT_EQ(i.plugin->events.back(), "detached");

    RecordingPlugin unowned;
    EXPECT_THROW(unowned.SetWindow(&first), std::bad_weak_ptr);
}

TEST(PluginCore, RootScriptingObjectIsMadeOnce)
{
    Instance i;
    EXPECT_EQ(i.plugin->getRootJSAPI(), i.plugin->getRootJSAPI());
    EXPECT_EQ(i.plugin->apiCreations, 1);
}

TEST(PluginCore, DestructionShutsTheHostDownAndCountsInstances)
{
    const int before = PB::PluginCore::activePluginCount();
    auto host = std::make_shared<test::PumpedHost>();
    {
        auto plugin = std::make_shared<RecordingPlugin>();
        plugin->setHost(host);
        EXPECT_EQ(PB::PluginCore::activePluginCount(), before + 1);
    }
    EXPECT_EQ(PB::PluginCore::activePluginCount(), before);
    EXPECT_TRUE(host->isShutDown());
}

TEST(BrowserPlugin, CreatesThePluginThroughTheFactory)
{
    struct Adapter : PB::BrowserPlugin {
        using PB::BrowserPlugin::BrowserPlugin;
        void shutdown() override {}
        PB::PluginCorePtr plugin() const { return pluginMain; }
    };
    Adapter adapter("application/x-velon");
    EXPECT_EQ(test::testFactory()->created.back(), "application/x-velon");
    ASSERT_TRUE(adapter.plugin());
    test::LogCapture log;
    PB::PluginCore::setPlatform("Linux", "HostWire");
    EXPECT_EQ(PB::PluginCore::getOS(), "Linux");
    EXPECT_EQ(PB::PluginCore::getBrowser(), "HostWire");
    std::vector<std::string> said;
    for (const test::LogLine& line : log.lines())
        if (line.level == "INFO" && line.function == "PB::PluginCore::setPlatform")
            said.push_back(line.message);
    EXPECT_EQ(said, std::vector<std::string>{"os: Linux; browser: HostWire"});
}

// A program without the host adapters still has the factory's adapter
// operations; they make nothing there.
TEST(FactoryBase, AdapterOperationsWithoutTheAdaptersMakeNothing)
{
    PB::FactoryBase& factory = *test::testFactory();
    EXPECT_EQ(factory.createNpapiPlugin(nullptr, "application/x-velon"), nullptr);
    EXPECT_EQ(factory.createCOMJavascriptObject(nullptr, std::weak_ptr<PB::JSAPI>(), true), nullptr);
    EXPECT_EQ(factory.updateRegistry(true), static_cast<HRESULT>(0x80004001L));  // E_NOTIMPL
}

}  // namespace
