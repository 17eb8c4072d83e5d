// comhost runs pages against the test module: what the pages print, and how
// comhost ends.

#include <gtest/gtest.h>

#include "support/RunCommand.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

namespace {

struct Outcome {
    std::vector<std::string> lines;     // the page's own lines
    std::vector<std::string> registry;  // "registry: " lines without the prefix
    std::vector<std::string> left;      // "left: " lines without the prefix
    int status = -1;
};

Outcome runComhost(const std::string& arguments)
{
    Outcome run;
    const test::CommandRun command = test::runCommand(std::string(COMHOST) + " " + arguments);
    run.status = command.status;
    for (const std::string& text : command.lines) {
        if (text.rfind("registry: ", 0) == 0)
            run.registry.push_back(text.substr(10));
        else if (text.rfind("left: ", 0) == 0)
            run.left.push_back(text.substr(6));
        else
            run.lines.push_back(text);
    }
    return run;
}

std::string pageArguments(const std::string& page)
{
    return std::string("--module ") + TEST_MODULE + " --page " + PAGES + "/" + page + " --url https://site.example/app/";
}

struct PageCase {
    const char* name;
    std::string page;
    std::vector<std::string> lines;
};

void PrintTo(const PageCase& c, std::ostream* os)
{
    *os << c.name;
}

class Pages : public testing::TestWithParam<PageCase> {};

TEST_P(Pages, PrintWhatTheControlAnswers)
{
    const Outcome run = runComhost(pageArguments(GetParam().page));
    std::vector<std::string> expected = {"DllRegisterServer: 0x00000000"};
    expected.insert(expected.end(), GetParam().lines.begin(), GetParam().lines.end());
    expected.push_back("DllUnregisterServer: 0x00000000");
    EXPECT_EQ(run.lines, expected);
    EXPECT_EQ(run.status, 0);
}

const PageCase kPages[] = {
    {"Calls", "calls.js",
     {
         "object object true false",
         "missing TypeError",
         "other: No control is registered for application/x-other",
         "add 5",
         "echo text",
         "fail: no way",
         "count 7",
         "add: Invalid argument conversion from std::string to int at index 2",
         "echo [1,\"two\",{\"three\":3}]",
     }},
    {"Async", "async.js",
     {
         "ondone 7",
         "missing TypeError",
         "callBack back there",
         "readList [\"a\",2,false]",
         "location https://site.example/app/",
         "evaluated 42",
         "later later answer",
         "onload object",
         "child first",
     }},
    {"Html", "page.html", {"location https://site.example/app/", "evaluated 42", "onload object"}},
    {"Windowless", "windowless.js",
     {
         "inputs true object",
         "windowless: refresh 0,0,300,150; mouse down 0 at 20,10; mouse up 0 at 20,10; key down 65; key up 65",
         "windowed: refresh 0,0,300,150; mouse down 0 at 30,40; mouse up 0 at 30,40",
     }},
};
INSTANTIATE_TEST_SUITE_P(Table, Pages, testing::ValuesIn(kPages),
                         [](const testing::TestParamInfo<PageCase>& info) { return std::string(info.param.name); });

TEST(Comhost, RegistersTheModuleAndRemovesItAgain)
{
    const Outcome run = runComhost(pageArguments("calls.js"));
    const auto has = [](const std::vector<std::string>& lines, const std::string& text) {
        return std::any_of(lines.begin(), lines.end(),
                           [&text](const std::string& line) { return line.find(text) != std::string::npos; });
    };
    EXPECT_TRUE(has(run.registry, "MozillaPlugins\\@orvanta.com/Velon\\HostWire = \"true\""));
    EXPECT_TRUE(has(run.registry, "InprocServer32\\@ = \"/"));  // the module's full path
    EXPECT_TRUE(has(run.registry, "TypeLib\\{3F8A1C62-7B4E-4D19-9C05-E1A27B6D4F80}\\1.0\\@"));
    EXPECT_FALSE(has(run.left, "Velon"));
    EXPECT_TRUE(has(run.left, "MozillaPlugins\\"));
}

TEST(Comhost, UsageAndLoadErrors)
{
    EXPECT_EQ(runComhost("--page x.js").status, 2);
    const Outcome missing = runComhost("--module /nonexistent.so --page x.js");
    EXPECT_EQ(missing.status, 1);
    ASSERT_FALSE(missing.lines.empty());
    EXPECT_EQ(missing.lines[0].rfind("comhost: Cannot load", 0), 0u);
}

}  // namespace
