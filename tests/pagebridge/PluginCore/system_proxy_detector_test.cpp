#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "PluginCore/Win/SystemProxyDetectorWin.h"
#include "support/LogCapture.h"
#include "support/PumpedHost.h"

namespace {

using Settings = std::map<std::string, std::string>;

Settings proxy(const std::string& type, const std::string& host, const std::string& port)
{
    return {{"type", type}, {"hostname", host}, {"port", port}};
}

TEST(SystemProxyDetector, ProxyLists)
{
    const struct {
        const char* what;
        std::uint32_t access;
        const char* list;
        const char* url;
        Settings expected;
    } cases[] = {
        {"entry for the URL's scheme", 3, "http=p1:8080 https=p2:8443", "https://bank.example/", proxy("https", "p2", "8443")},
        {"scheme-less entry for http", 3, "p3:3128", "http://a.example/", proxy("http", "p3", "3128")},
        {"scheme-less entry for https", 3, "p3:3128", "https://a.example/", proxy("https", "p3", "3128")},
        {"socks for any scheme", 3, "socks=s1:1080", "ftp://a.example/", proxy("socks", "s1", "1080")},
        {"a later entry for the scheme wins over socks", 3, "socks=s1:1080 http=p1:80", "http://a/", proxy("http", "p1", "80")},
        {"socks after the scheme's entry does not replace it", 3, "http=p1:80 socks=s1:1080", "http://a/", proxy("http", "p1", "80")},
        {"entry without a port", 3, "http=p1", "http://a/", {}},
        {"two spaces", 3, "http=p1:1  https=p2:2", "https://a/", proxy("https", "p2", "2")},
        {"direct connection", 1, "http=p1:8080", "http://a/", {}},
        {"no entry for the scheme", 3, "ftp=f:21", "http://a/", {}},
    };
    for (const auto& c : cases) {
        Settings settings;
        PB::SystemProxyDetectorWin::applyProxyList(settings, c.access, c.list, c.url);
        EXPECT_EQ(settings, c.expected) << c.what;
    }
}

// The system setting here is the process environment.
class ProxyEnvironment : public ::testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }
    static void clear()
    {
        for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "no_proxy", "HTTP_PROXY", "HTTPS_PROXY",
                                 "ALL_PROXY", "NO_PROXY"})
            unsetenv(name);
    }
};

TEST_F(ProxyEnvironment, DetectsFromTheSystemSetting)
{
    PB::SystemProxyDetector* detector = PB::SystemProxyDetector::get();
    Settings settings{{"stale", "x"}};
    EXPECT_FALSE(detector->detectProxy(settings, "https://bank.example/"));
    EXPECT_TRUE(settings.empty());

    setenv("https_proxy", "http://proxy.corp:3129", 1);
    EXPECT_TRUE(detector->detectProxy(settings, "https://bank.example/"));
    EXPECT_EQ(settings, proxy("https", "proxy.corp", "3129"));
    EXPECT_FALSE(detector->detectProxy(settings, "http://bank.example/"));
}

TEST_F(ProxyEnvironment, BadUrlIsNoProxyAndSaysWhy)
{
    setenv("http_proxy", "proxy:8080", 1);
    Settings settings;
    test::LogCapture log;
    EXPECT_FALSE(PB::SystemProxyDetector::get()->detectProxy(settings, "bad-scheme://x/"));
    EXPECT_TRUE(settings.empty());
    std::vector<std::string> warned;
    for (const test::LogLine& line : log.lines())
        if (line.level == "WARN" && line.function == "PB::SystemProxyDetectorWin::detectProxy")
            warned.push_back(line.message);
    ASSERT_EQ(warned.size(), 1u);
    const std::string prefix = "Could not detect system proxy: ";
    EXPECT_EQ(warned[0].compare(0, prefix.size(), prefix), 0) << warned[0];
    EXPECT_GT(warned[0].size(), prefix.size()) << "the reason is missing";
}

TEST_F(ProxyEnvironment, BrowserHostAsksTheSystem)
{
    setenv("http_proxy", "proxy:8080", 1);
    auto host = std::make_shared<test::PumpedHost>();
    Settings settings;
    EXPECT_TRUE(host->detectProxySettings(settings, "http://a/"));
    EXPECT_EQ(settings, proxy("http", "proxy", "8080"));
}

}  // namespace
