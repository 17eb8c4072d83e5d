// What the host asks of the page: the injected helper and promise library,
// delayed calls, script evaluation, the page's DOM objects, proxy answers
// and the ways calls reach the main thread.

#include <gtest/gtest.h>

#include <win32/queue.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "NpapiCore/NPObjectAPI.h"
#include "NpapiCore/NpapiBrowserHostAsyncWin.h"
#include "NpapiCore/NpapiPluginModule.h"
#include "NpapiFixture.h"
#include "PluginAuto/PageScripts.h"
#include "ScriptingCore/DOM/Document.h"
#include "ScriptingCore/DOM/Element.h"
#include "ScriptingCore/DOM/Window.h"

namespace {

using test::FakeBrowser;
using test::FakeObject;

std::string helperName(NPP instance)
{
    return PB::PageScripts::helperName(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(instance)));
}

std::string message(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

class PageHelper : public test::NpapiTest {};

TEST_F(PageHelper, EachInstanceInjectsItsOwnHelperOnce)
{
    NPP one = newInstance();
    NPP two = newInstance();
    host(one)->getJSHelper();
    const std::size_t calls = browser->calls.size();
    EXPECT_EQ(host(one)->getJSHelper(), host(one)->getJSHelper());
    EXPECT_EQ(browser->calls.size(), calls);  // kept: no browser call
    host(two)->getJSHelper();
    ASSERT_EQ(browser->evaluated.size(), 2u);
    EXPECT_EQ(browser->evaluated[0], PB::PageScripts::helperScript(helperName(one)));
    EXPECT_EQ(browser->evaluated[1], PB::PageScripts::helperScript(helperName(two)));
    EXPECT_TRUE(browser->window()->has(helperName(one)));
    EXPECT_TRUE(browser->window()->has(helperName(two)));
}

TEST_F(PageHelper, AHelperAlreadyInThePageIsTaken)
{
    NPP instance = newInstance();
    FakeObject* present = browser->makeObject("helper");
    browser->window()->set(helperName(instance), FakeBrowser::objectValue(present));
    EXPECT_EQ(host(instance)->getJSHelper(), present);
    EXPECT_TRUE(browser->evaluated.empty());
}

TEST_F(PageHelper, InjectionFailuresAreReported)
{
    NPP instance = newInstance();
    auto host = this->host(instance);
    browser->failEvaluate = true;
    EXPECT_EQ(message([&] { host->getJSHelper(); }), "Could not inject JS Helper into page");
    EXPECT_EQ(message([&] { host->getPromiseObject(); }), "Could not inject Promise library");
    EXPECT_EQ(message([&] { host->evaluateJavaScript("1"); }), "Error executing JavaScript code");
    browser->failEvaluate = false;
    browser->inertEvaluate = true;
    EXPECT_EQ(message([&] { host->getJSHelper(); }), "Could not find injected helper");
    EXPECT_EQ(message([&] { host->getPromiseObject(); }), "Could not instantiate Promise");
}

TEST_F(PageHelper, ThePromiseLibraryGoesInOnceAndEachCallMakesADeferred)
{
    NPP instance = newInstance();
    auto host = this->host(instance);
    NPObject* first = host->getPromiseObject();
    NPObject* second = host->getPromiseObject();
    EXPECT_NE(first, second);
    ASSERT_EQ(browser->evaluated.size(), 1u);
    EXPECT_EQ(browser->evaluated[0], PB::PageScripts::promiseLibrary());
    browser->releaseObject(first);
    browser->releaseObject(second);
}

TEST_F(PageHelper, DelayedCallsRunTheFunctionOrItsMember)
{
    NPP instance = newInstance();
    FakeObject* function = browser->makeFunction("function");
    function->methods["go"] = [](const NPVariant*, uint32_t, NPVariant*) { return true; };
    NPVariant f = FakeBrowser::objectValue(function);
    const PB::JSObjectPtr page = host(instance)->getVariant(&f).cast<PB::JSObjectPtr>();
    host(instance)->invokeDelayed(0, page, {1, "a"}, "");
    host(instance)->invokeDelayed(0, page, {2}, "go");
    EXPECT_TRUE(function->calls.empty());
    browser->pump();
    EXPECT_EQ(function->calls, (std::vector<std::string>{"(1, 'a')", "go(2)"}));
}

TEST_F(PageHelper, ScriptsAndDomObjectsUntilShutdown)
{
    NPP instance = newInstance();
    auto host = this->host(instance);
    host->evaluateJavaScript("document.title = 'x'");
    EXPECT_EQ(browser->evaluated.back(), "document.title = 'x'");
    EXPECT_EQ(host->getDOMWindow()->getJSObject()->getNativeHandle(), browser->window());
    EXPECT_EQ(host->getDOMDocument()->getJSObject()->getNativeHandle(), browser->document());
    EXPECT_EQ(host->getDOMElement()->getJSObject()->getNativeHandle(), browser->element());
    host->Navigate("http://example.test/", "_blank");
    EXPECT_EQ(browser->count("geturl"), 1u);
    EXPECT_EQ(browser->count("pushpopupsenabledstate"), 1u);

    host->shutdown();
    EXPECT_EQ(message([&] { host->getDOMWindow(); }), "Cannot find HTML window");
    EXPECT_EQ(message([&] { host->getDOMDocument(); }), "Cannot find HTML document");
    EXPECT_EQ(message([&] { host->getDOMElement(); }), "Cannot find HTML window");
    EXPECT_EQ(message([&] { host->evaluateJavaScript("1"); }), "Cannot find HTML window");
    EXPECT_EQ(message([&] { host->getJSHelper(); }), "Could not inject JS Helper into page");
    const std::size_t calls = browser->calls.size();
    host->Navigate("http://example.test/", "_blank");
    NPVariant result;
    EXPECT_FALSE(host->Invoke(browser->window(), browser->id("Array"), nullptr, 0, &result));
    EXPECT_EQ(browser->calls.size(), calls);  // the instance's entries are silent
    EXPECT_EQ(host->GetStringIdentifier("x"), browser->id("x"));  // the module's still answer
}

TEST_F(PageHelper, ProxyAnswersOfTheBrowser)
{
    NPP instance = newInstance();
    auto host = this->host(instance);
    const struct {
        const char* text;
        bool found;
        const char* type;
        const char* hostname;
        const char* port;
    } cases[] = {
        {"PROXY proxy.example:8080", true, "https", "proxy.example", "8080"},
        {"SOCKS5 socks.example:1080; DIRECT", true, "socks", "socks.example", "1080"},
        {"HTTPS secure.example:443", true, "HTTPS", "secure.example", "443"},
        {"PROXY lonely", true, "https", "lonely", nullptr},
        {"PROXY", true, "https", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        browser->proxyText = c.text;
        std::map<std::string, std::string> settings{{"old", "1"}};
        EXPECT_EQ(host->detectProxySettings(settings, "https://site.example/page"), c.found) << c.text;
        EXPECT_EQ(settings.count("hostname") != 0, c.hostname != nullptr) << c.text;
        EXPECT_EQ(settings.count("port") != 0, c.port != nullptr) << c.text;
        EXPECT_EQ(settings["type"], c.type) << c.text;
        if (c.hostname) {
            EXPECT_EQ(settings["hostname"], c.hostname);
        }
        if (c.port) {
            EXPECT_EQ(settings["port"], c.port);
        }
        EXPECT_EQ(settings.count("old"), 0u);
    }
    browser->proxyText = "DIRECT";
    std::map<std::string, std::string> untouched{{"old", "1"}};
    EXPECT_FALSE(host->detectProxySettings(untouched, "http://site.example/"));
    EXPECT_EQ(untouched.size(), 1u);
    browser->proxyResult = NPERR_GENERIC_ERROR;
    EXPECT_FALSE(host->detectProxySettings(untouched, "http://site.example/"));
    EXPECT_EQ(browser->liveAllocations(), 0u);  // every answer freed
}

// A browser that cannot say (error 8, NPERR_INCOMPATIBLE_VERSION_ERROR) or
// has no getvalueforurl leaves the question to the system's proxy setting,
// which here is the process environment.
TEST_F(PageHelper, WithoutTheBrowsersAnswerTheSystemProxyCounts)
{
    const char* variables[] = {"http_proxy", "https_proxy", "all_proxy", "no_proxy",
                               "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY", "NO_PROXY"};
    std::vector<std::pair<std::string, std::string>> saved;
    for (const char* name : variables) {
        if (const char* value = std::getenv(name))
            saved.emplace_back(name, value);
        unsetenv(name);
    }
    const struct {
        const char* what;
        bool hasEntry;
    } cases[] = {{"the browser answers error 8", true}, {"the browser has no getvalueforurl", false}};
    for (const auto& c : cases) {
        browser->proxyResult = NPERR_INCOMPATIBLE_VERSION_ERROR;
        NPNetscapeFuncs funcs = *browser->funcs();
        if (!c.hasEntry)
            funcs.getvalueforurl = nullptr;
        NPP_t npp{nullptr, nullptr};
        auto host =
            std::make_shared<PB::Npapi::NpapiBrowserHost>(PB::Npapi::NpapiPluginModule::GetModule(nullptr), &npp);
        host->setBrowserFuncs(&funcs);
        const std::size_t asked = browser->count("getvalueforurl");

        std::map<std::string, std::string> settings{{"old", "1"}};
        EXPECT_FALSE(host->detectProxySettings(settings, "https://bank.example/")) << c.what;
        setenv("https_proxy", "http://proxy.corp:3129", 1);
        EXPECT_TRUE(host->detectProxySettings(settings, "https://bank.example/")) << c.what;
        unsetenv("https_proxy");
        EXPECT_EQ(settings, (std::map<std::string, std::string>{
                                {"type", "https"}, {"hostname", "proxy.corp"}, {"port", "3129"}}))
            << c.what;
        EXPECT_EQ(browser->count("getvalueforurl"), asked + (c.hasEntry ? 2 : 0)) << c.what;
        host->shutdown();
    }
    for (const auto& variable : saved)
        setenv(variable.first.c_str(), variable.second.c_str(), 1);
}

TEST_F(PageHelper, ABrowserThatCannotRunCallsOnItsThreadRefusesAtOnce)
{
    NPNetscapeFuncs funcs = *browser->funcs();
    funcs.pluginthreadasynccall = nullptr;
    NPP_t npp{nullptr, nullptr};
    auto host = std::make_shared<PB::Npapi::NpapiBrowserHost>(PB::Npapi::NpapiPluginModule::GetModule(nullptr), &npp);
    host->setBrowserFuncs(&funcs);
    auto window = std::dynamic_pointer_cast<PB::Npapi::NPObjectAPI>(host->getDOMWindow()->getJSObject());
    std::string failed;
    std::thread worker([&] {
        try {
            window->getPropertySync("document");
        } catch (const PB::script_error& e) {
            failed = e.what();
        }
    });
    worker.join();
    EXPECT_EQ(failed, "Could not marshal to main thread");
    window.reset();
    host->shutdown();
}

TEST_F(PageHelper, TheMessageWindowHostRunsCallsThroughItsWindow)
{
    NPP_t npp{nullptr, nullptr};
    auto host =
        std::make_shared<PB::Npapi::NpapiBrowserHostAsyncWin>(PB::Npapi::NpapiPluginModule::GetModule(nullptr), &npp);
    host->setBrowserFuncs(browser->funcs());
    std::atomic<int> ran{0};
    std::thread worker([&] {
        host->ScheduleAsyncCall([](void* data) { ++*static_cast<std::atomic<int>*>(data); }, &ran);
    });
    worker.join();
    EXPECT_EQ(browser->queuedCalls(), 0u);  // not through the browser
    MSG msg;
    while (PeekMessageW(&msg, host->getMessageWindow(), 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_EQ(ran.load(), 1);
    host->shutdown();
}

}  // namespace
