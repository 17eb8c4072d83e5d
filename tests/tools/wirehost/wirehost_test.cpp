// wirehost runs pages against the test module: what the pages print, and
// how wirehost ends.

#include <gtest/gtest.h>

#include "support/RunCommand.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Outcome = test::CommandRun;

Outcome runWirehost(const std::string& arguments)
{
    return test::runCommand(std::string(WIREHOST) + " " + arguments);
}

std::string pageArguments(const std::string& page)
{
    return std::string("--module ") + TEST_MODULE + " --page " + PAGES + "/" + page + " --url https://site.example/app/";
}

struct PageCase {
    const char* name;
    std::string arguments;
    int status;
    std::vector<std::string> lines;
};

const PageCase kPages[] = {
    {"CallsAnsweredAtOnce", pageArguments("calls.js"), 0,
     {
         "object <Velon test object> true",
         "add 5 echo text 1.5 null true",
         "count 0",
         "count 7",
         "set refused: Could not convert from std::string to int",
         "fail: no way",
         "add: Invalid argument conversion from std::string to int at index 1",
         "missing: TypeError",
         "unknown member undefined false true",
         "same array back true",
         "children first second <child first>",
         "method as value function 42",
         "members add,callBack,child,chooseFile,count,echo,evaluate,fail,fire,getAttribute,later,location,ondone,"
         "readList,readMap,setAttribute,toString,valid,value,wait",
     }},
    {"TheLoopOnloadPromisesAndCallsBack", pageArguments("async.js"), 0,
     {
         "created object",
         "onload at 250 ms object",
         "location https://site.example/app/",
         "later later answer",
         "callBack there and back",
         "readList [\"a\",2,false]",
         "readMap {\"a\":1,\"b\":[\"two\"],\"c\":null}",
         "injected by the plug-in",
         "event fired",
         "after destroy: Invalid object",
     }},
    {"MarkupWithScripts", pageArguments("page.html"), 0, {"helper script, divs: 1", "ready: 42 200"}},
    {"ADialogNobodyAnswersIsCancelled", pageArguments("dialog.js"), 0, {"chosen (cancelled)"}},
    {"TheAnswerFilePlaysTheUser", pageArguments("dialog.js") + " --answers " + PAGES + "/dialog.answers", 0,
     {"chosen /tmp/wirehost-test/signature.p7s"}},
    {"AnUncaughtErrorFailsTheRun", pageArguments("uncaught.js"), 1,
     {"before", "error: Uncaught Error: left unhandled"}},
    {"ABrokenAnswerFileIsAUsageError", pageArguments("dialog.js") + " --answers " + PAGES + "/calls.js", 2, {}},
    {"NoPageIsAUsageError", std::string("--module ") + TEST_MODULE, 2,
     {"usage: wirehost --module PATH --page FILE [--url URL] [--answers FILE] [--max-steps N]"}},
};

void PrintTo(const PageCase& c, std::ostream* os)
{
    *os << c.name;
}

class WirehostTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(WirehostTest, PrintsWhatThePageLogsAndEndsAccordingly)
{
    const Outcome run = runWirehost(GetParam().arguments);
    EXPECT_EQ(run.status, GetParam().status);
    // A usage error's own text is the answer file parser's; only the status counts then.
    if (GetParam().status != 2 || !GetParam().lines.empty()) {
        EXPECT_EQ(run.lines, GetParam().lines);
    }
}

INSTANTIATE_TEST_SUITE_P(Wirehost, WirehostTest, ::testing::ValuesIn(kPages),
                         [](const ::testing::TestParamInfo<PageCase>& info) { return info.param.name; });

TEST(Wirehost, AModuleThatCannotBeLoadedIsReported)
{
    const Outcome run = runWirehost(std::string("--module /nonexistent/libnone.so --page ") + PAGES + "/calls.js");
    EXPECT_EQ(run.status, 1);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines[0].find("wirehost: Cannot load /nonexistent/libnone.so"), 0u) << run.lines[0];
}

}  // namespace
