#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/PageTree.h"
#include "support/PumpedHost.h"

namespace {

using PB::JSObjectPtr;
using test::TreeObject;

struct Console {
    std::shared_ptr<test::PumpedHost> host = std::make_shared<test::PumpedHost>();
    std::shared_ptr<TreeObject> console = TreeObject::make(host);
    std::vector<std::string> logged;

    Console()
    {
        console->methods["log"] = [this](const PB::VariantList& args) {
            logged.push_back(args.at(0).cast<std::string>());
            return PB::variant();
        };
        host->window = TreeObject::make(host, {{"console", JSObjectPtr(console)}});
    }
    ~Console() { console->methods.clear(); }
};

TEST(BrowserHostServices, HtmlLogReachesThePageConsoleOnTheMainThread)
{
    Console c;
    c.host->htmlLog("hello page");
    EXPECT_TRUE(c.logged.empty());  // posted, not run inline
    c.host->pump();
    EXPECT_EQ(c.logged, (std::vector<std::string>{"hello page"}));
}

TEST(BrowserHostServices, HtmlLogDisabledOrWithoutConsole)
{
    Console disabled;
    disabled.host->setHtmlLogEnabled(false);
    disabled.host->htmlLog("x");
    EXPECT_EQ(disabled.host->queued(), 0u);

    Console noConsole;
    noConsole.host->window = TreeObject::make(noConsole.host);
    noConsole.host->htmlLog("x");
    noConsole.host->pump();
    EXPECT_TRUE(noConsole.logged.empty());

    Console noWindow;
    noWindow.host->window.reset();
    noWindow.host->htmlLog("x");
    noWindow.host->pump();
    EXPECT_TRUE(noWindow.logged.empty());

    Console shutDown;
    shutDown.host->shutdown();
    shutDown.host->htmlLog("dropped");
    EXPECT_TRUE(shutDown.logged.empty());
}

TEST(BrowserHostServices, WideScriptsAreEvaluatedAsUtf8)
{
    auto host = std::make_shared<test::PumpedHost>();
    host->evaluateJavaScript(std::wstring(L"alert('\u0416')"));
    EXPECT_EQ(host->evaluated, (std::vector<std::string>{"alert('\xD0\x96')"}));
}

}  // namespace
