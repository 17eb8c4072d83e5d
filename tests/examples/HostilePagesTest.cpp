// Hostile pages through the three test hosts, with the real module: what a
// page the user refused, a page of another site or a careless setup can
// still get from the plug-in. Each run loads the module from a folder of its
// own, so that "Velon.conf" and "Velon.log" lie there, and plays the user
// from an answer file.

#include <gtest/gtest.h>

#include <dravik/dravik.h>
#include <dravik/dravik_test.h>

#include <sys/stat.h>

#include <boost/filesystem.hpp>

#include <algorithm>
#include <cstdio>
#include <map>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "../platform/dravik/pki.h"
#include "support/Loopback.h"
#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace {

namespace fs = boost::filesystem;

struct Host {
    const char* name;
    const char* binary;
};

const Host kHosts[] = {{"wirehost", WIREHOST}, {"npbrowser", NPBROWSER}, {"comhost", COMHOST}};

void PrintTo(const Host& host, std::ostream* os)
{
    *os << host.name;
}

const char* const kPassword = "Passw0rd!";
const char* const kRefused = "error Orvanta Signature Plugin is not allowed to be loaded on this page";
const char* const kTrustBank = R"({"plugin.trusted_sites": ["https://bank.example"]})";
const char* const kCancelSiteCheck = "dialog\nclick \"Cancel\"\n";
const char* const kContinueSiteCheck = "dialog\nclick \"Continue\"\n";

// A string as a JavaScript (and JSON) literal.
std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// A word for the shell.
std::string shell(const std::string& text)
{
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readFile(const fs::path& file)
{
    return fs::exists(file) ? dravik_test::readFile(file.string()) : std::string();
}

// The key every run signs with: a container under a password, and its
// certificate. Made once per process with the crypto library's test helpers.
struct Signer {
    test::TempDir dir;
    std::string key = dir.file("keys/user");
    std::string certificate;

    Signer()
    {
        fs::create_directories(dir.path() / "keys");
        if (PKCS7Init(dir.path().string().c_str(), 0) != 0)
            throw std::runtime_error("the crypto library does not start");
        const dravik_test::Identity& user = dravik_test::Pki::get().user(dravik_test::KeyKind::Gost256);
        certificate = user.certPem();
        const std::string pem = user.keyPem();
        if (DravikTest_CreateContainer(key.c_str(), kPassword) != 0 ||
            DravikTest_StoreKey(key.c_str(), kPassword, pem.data(), static_cast<uint32_t>(pem.size())) != 0)
            throw std::runtime_error("the test key cannot be made");
    }

    static const Signer& get()
    {
        static const Signer signer;
        return signer;
    }
};

// One folder for one or more runs of a host: the module (linked), its
// configuration and log, a home for the crypto library, a data file and a
// FIFO.
class Site {
public:
    explicit Site(const Host& host) : host_(host)
    {
        fs::create_directories(dir_.path() / "module");
        fs::create_directories(dir_.path() / "home");
        // A link would not do: the COM container loads the module by its
        // real path, which must lie in this folder.
        const fs::path module = dir_.path() / "module" / "libnpVelon.so";
        boost::system::error_code linked;
        fs::create_hard_link(MODULE, module, linked);
        if (linked)
            fs::copy_file(MODULE, module);
        dir_.write("data.bin", "data");
        if (::mkfifo(dir_.file("fifo").c_str(), 0600) != 0)
            throw std::runtime_error("no FIFO");
        params_["data"] = quoted(dir_.file("data.bin"));
        params_["fifo"] = quoted(dir_.file("fifo"));
        params_["key"] = quoted(Signer::get().key);
        params_["certificate"] = quoted(Signer::get().certificate);
    }

    void configure(const std::string& text) const { dir_.write("module/Velon.conf", text); }
    void configureFifo() const
    {
        if (::mkfifo(dir_.file("module/Velon.conf").c_str(), 0600) != 0)
            throw std::runtime_error("no FIFO");
    }
    std::string configuration() const { return readFile(dir_.path() / "module" / "Velon.conf"); }
    // "Velon.log" and its rolled-over backup.
    std::string log() const
    {
        return readFile(dir_.path() / "module" / "Velon.log.1") + readFile(dir_.path() / "module" / "Velon.log");
    }
    // A value the page sees as T.<name> (a JavaScript literal).
    void param(const std::string& name, const std::string& literal) { params_[name] = literal; }

    // The command line of one run; tag tells runs apart in one folder. The
    // run is bounded, so that a page that hangs the module fails the test
    // instead of holding the suite.
    std::string command(const std::string& page, const std::string& url, const std::string& answers,
                        const std::string& tag = "run") const
    {
        std::string script = "var T = {";
        for (const auto& entry : params_)
            script += entry.first + ": " + entry.second + ",\n";
        script += "};\n" + readFile(fs::path(PAGES) / "lib.js") + readFile(fs::path(PAGES) / page);
        dir_.write(tag + ".js", script);
        dir_.write(tag + ".answers", answers);
        return "cd " + shell(dir_.path().string()) + " && DRAVIK_HOME=" + shell(dir_.file("home")) +
               " timeout 60 " + host_.binary + " --module " + shell(dir_.file("module/libnpVelon.so")) +
               " --page " + shell(dir_.file(tag + ".js")) + " --url " + shell(url) + " --answers " +
               shell(dir_.file(tag + ".answers"));
    }

    // What the page printed, and how the host ended. The COM container's
    // report of the module's registration and unregistration is left out.
    test::CommandRun run(const std::string& page, const std::string& url, const std::string& answers) const
    {
        static const std::regex registration("(DllRegisterServer|DllUnregisterServer|registry|left): .*");
        test::CommandRun run = test::runCommand(command(page, url, answers));
        std::vector<std::string> lines;
        for (const std::string& line : run.lines)
            if (!std::regex_match(line, registration))
                lines.push_back(line);
        run.lines = lines;
        return run;
    }

private:
    const Host& host_;
    test::TempDir dir_;
    std::map<std::string, std::string> params_;
};

enum class Conf { Text, Fifo };

struct PageCase {
    const char* name;
    const char* page;
    std::string url;
    Conf kind;
    std::string conf;
    std::string answers;
    std::vector<std::string> lines;
};

void PrintTo(const PageCase& c, std::ostream* os)
{
    *os << c.name;
}

const PageCase kCases[] = {
    // A refused page: nothing works for it, before initPlugin or after.
    {"refusedPage",
     "guard.js",
     "https://evil.example/",
     Conf::Text,
     kTrustBank,
     kCancelSiteCheck,
     {"network before init: error Initialisation error in initPlugin()",
      "file before init: error Initialisation error in initPlugin()", std::string("init: ") + kRefused,
      std::string("network: ") + kRefused, std::string("file: ") + kRefused, std::string("exists: ") + kRefused,
      std::string("sign: ") + kRefused, std::string("trust: ") + kRefused, std::string("tokens: ") + kRefused}},
    // The host ends where a browser ends it.
    {"backslashInTheHost", "init.js", "https://evil.example\\.bank.example/", Conf::Text,
     R"({"plugin.trusted_sites": ["*.bank.example"]})", kCancelSiteCheck, {std::string("init: ") + kRefused}},
    {"queryAfterTheHost", "init.js", "https://evil.example?.bank.example", Conf::Text,
     R"({"plugin.trusted_sites": ["*.bank.example"]})", kCancelSiteCheck, {std::string("init: ") + kRefused}},
    {"fragmentAfterTheHost", "init.js", "https://evil.example#.bank.example", Conf::Text,
     R"({"plugin.trusted_sites": ["*.bank.example"]})", kCancelSiteCheck, {std::string("init: ") + kRefused}},
    {"subdomainStillTrusted", "init.js", "https://www.bank.example\\pay", Conf::Text,
     R"({"plugin.trusted_sites": ["*.bank.example"]})", "", {"init: ok 0"}},
    // A rule with a blank after a long host is skipped, not fatal.
    {"ruleWithABlank", "init.js", "https://bank.example/pay", Conf::Text,
     R"({"plugin.trusted_sites": ["https://intranet.bank.example/sign page", "https://bank.example"]})", "",
     {"init: ok 0"}},
    // A damaged or special "Velon.conf" is a configuration problem, never the page's.
    {"deeplyNestedConfiguration", "init.js", "https://bank.example/pay", Conf::Text,
     std::string(1000000, '[') + std::string(1000000, ']'), kContinueSiteCheck, {"init: ok 0"}},
    {"configurationIsAFifo", "init.js", "https://bank.example/pay", Conf::Fifo, "", kContinueSiteCheck,
     {"init: ok 0"}},
    // Files that are no regular files, and a name cut short by a NUL.
    {"specialFiles",
     "files.js",
     "https://bank.example/pay",
     Conf::Text,
     kTrustBank,
     std::string("dialog\ntype EDIT[0] ") + kPassword + "\nkey enter\n",
     {"init: ok 0", "fifo: error Failed to open file", "cut short: error Failed to open file",
      "sign fifo: error Failed to open file", "trusted device: error CA Certificate adding error",
      "crl device: error Reading Certificate Revocation List error",
      "untrusted fifo: error Certificate reading error", "whole name: ok data"}},
    // The key the user unlocked for the first site is not the second's.
    {"keyOfAnotherSite",
     "sites.js",
     "https://bank.example/pay",
     Conf::Text,
     R"({"plugin.trusted_sites": ["https://bank.example", "https://shop.example"]})",
     std::string("dialog\ntype EDIT[0] ") + kPassword + "\nkey enter\ndialog\nkey escape\n",
     {"first init: ok 0", "first sign: ok signature", "first again: ok signature", "second init: ok 0",
      "second sign: error Process was aborted"}},
};

class HostilePages : public ::testing::TestWithParam<std::tuple<Host, PageCase>> {};

TEST_P(HostilePages, GetNothingTheyShouldNot)
{
    const Host& host = std::get<0>(GetParam());
    const PageCase& c = std::get<1>(GetParam());
    Site site(host);
    if (c.kind == Conf::Fifo)
        site.configureFifo();
    else
        site.configure(c.conf);
    site.param("other", quoted("https://shop.example/pay"));
    const test::CommandRun run = site.run(c.page, c.url, c.answers);
    EXPECT_EQ(0, run.status);
    std::vector<std::string> expected = c.lines;
    // The COM adapter hands the plug-in a page's string up to its first NUL
    // (its conversion of BSTRs), so the plug-in never sees the rest.
    if (std::string(host.name) == "comhost")
        std::replace(expected.begin(), expected.end(), std::string("cut short: error Failed to open file"),
                     std::string("cut short: ok data"));
    EXPECT_EQ(expected, run.lines);
}

std::string hostName(const ::testing::TestParamInfo<std::tuple<Host, PageCase>>& info)
{
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(Pages, HostilePages, ::testing::Combine(::testing::ValuesIn(kHosts), ::testing::ValuesIn(kCases)),
                         hostName);

class HostilePage : public ::testing::TestWithParam<Host> {};

// The page's server takes no connection (its queue is full): the page gets
// an empty answer in a few seconds instead of holding the browser for the
// system's connection time-out.
TEST_P(HostilePage, ServerThatNeverAnswers)
{
    if (!test::hasIpv4BeyondLoopback())
        GTEST_SKIP() << "no IPv4 interface besides loopback";
    const test::SilentServer server;

    Site site(GetParam());
    site.configure(R"({"plugin.trusted_sites": ["127.0.0.1"]})");
    const test::CommandRun run =
        site.run("network.js", "http://127.0.0.1:" + std::to_string(server.port()) + "/", "");
    EXPECT_EQ(0, run.status);
    EXPECT_EQ((std::vector<std::string>{"init: ok 0", "network: ok {}"}), run.lines);
}

// Page text cannot forge log lines, and one call cannot write megabytes.
TEST_P(HostilePage, LogLinesStayLinesOfBoundedLength)
{
    Site site(GetParam());
    site.configure(R"({"plugin.loglevel": 1, "plugin.trusted_sites": ["https://bank.example"]})");
    site.param("forged", quoted("x\n01.01.2024 10:00:00:000 [PID:1, thread:1] ERROR: forged entry"));
    const test::CommandRun run = site.run("log.js", "https://bank.example/pay", "");
    EXPECT_EQ(0, run.status);
    EXPECT_EQ((std::vector<std::string>{"init: ok 0", "forged: ok false", "long: ok false"}), run.lines);

    const std::string log = site.log();
    EXPECT_NE(std::string::npos, log.find("x\\n01.01.2024 10:00:00:000 [PID:1, thread:1] ERROR: forged entry"));
    const std::regex entry(R"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d:\d{3} \[PID:\d+, thread:.*)");
    std::size_t start = 0;
    std::size_t lines = 0;
    while (start < log.size()) {
        const std::size_t end = log.find('\n', start);
        const std::string line = log.substr(start, end == std::string::npos ? std::string::npos : end - start);
        EXPECT_TRUE(std::regex_match(line.substr(0, 200), entry)) << line.substr(0, 200);
        EXPECT_LT(line.size(), 17000u);
        ++lines;
        start = end == std::string::npos ? log.size() : end + 1;
    }
    EXPECT_GT(lines, 3u);
}

// Two browser processes, each allowing sites for good one after another:
// each rewrite of "Velon.conf" keeps what the other added.
TEST_P(HostilePage, SitesAllowedAtOnceAreAllKept)
{
    constexpr int kSites = 20;
    Site site(GetParam());
    site.configure(R"({"plugin.trusted_sites": []})");
    std::string commands;
    for (const char* process : {"a", "b"}) {
        std::string sites = "[";
        std::string answers;
        for (int i = 0; i < kSites; ++i) {
            sites += (i ? ", " : "") + quoted("https://" + std::string(process) + std::to_string(i) + ".example/");
            answers += "dialog\ncheck \"Always allow this website to access\"\nclick \"Continue\"\n";
        }
        site.param("sites", sites + "]");
        commands += "(" + site.command("allow.js", "https://start.example/", answers, process) + " >/dev/null) & ";
    }
    const test::CommandRun run = test::runCommand(commands + "wait");
    EXPECT_EQ(0, run.status);

    const std::string conf = site.configuration();
    int kept = 0;
    for (const char* process : {"a", "b"})
        for (int i = 0; i < kSites; ++i)
            kept += conf.find("\"https://" + std::string(process) + std::to_string(i) + ".example\"") != std::string::npos;
    EXPECT_EQ(2 * kSites, kept) << conf;
}

INSTANTIATE_TEST_SUITE_P(Hosts, HostilePage, ::testing::ValuesIn(kHosts),
                         [](const ::testing::TestParamInfo<Host>& info) { return std::string(info.param.name); });

}  // namespace
