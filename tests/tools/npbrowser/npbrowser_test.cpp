// npbrowser runs pages against the test module through the NPAPI adapter,
// and against a bare module that probes and misuses the browser: what the
// pages print, what npbrowser reports, and how it ends.

#include <gtest/gtest.h>

#include "support/RunCommand.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Outcome = test::CommandRun;

Outcome runNpbrowser(const std::string& arguments)
{
    return test::runCommand(std::string(NPBROWSER) + " " + arguments);
}

std::string pageArguments(const std::string& page, const char* module = TEST_MODULE)
{
    return std::string("--module ") + module + " --page " + PAGES + "/" + page + " --url https://site.example/app/";
}

struct PageCase {
    const char* name;
    std::string arguments;
    int status;
    std::vector<std::string> lines;
};

const PageCase kPages[] = {
    {"CallsAnswerThroughPagePromises", pageArguments("calls.js"), 0,
     {
         "add 5",
         "echo \"text\"",
         "echo 1.5",
         "echo null",
         "echo true",
         "same array back true",
         "count 0",
         "count 7",
         "set refused: Error setting property count of the plug-in object",
         "fail rejected Error: no way",
         "add rejected Error: Invalid argument conversion from std::string to int at index 1",
         "child object true",
         "child name \"first\"",
         "method as value function",
         "add as value 42",
         "missing: TypeError",
         "members object undefined false true",
         "keys add,addEventListener,callBack,child,chooseFile,count,echo,evaluate,fail,fetch,fire,getAttribute,keep,"
         "later,location,readList,removeEventListener,setAttribute,toString,valid,value",
         // The adapter's own line for a type its factory does not make.
         "No plug-in for MIME type application/x-other",
         "refused: The plug-in refused application/x-other (NPError 8)",
         "refused: createPlugin: the parameter onload must be a string, a number or a boolean (an on... parameter "
         "names a page function)",
         "refused: destroyPlugin needs a plug-in made by createPlugin",
         "done",
     }},
    {"TheLoopOnloadLaterAnswersAndCallsBack", pageArguments("async.js"), 0,
     {
         "created object 1",
         "onload at 250 ms object",
         "location https://site.example/app/",
         "later later answer",
         "callBack there and back",
         "readList [\"a\",2,false]",
         "readList [5]",
         "injected by the plug-in",
         "event fired",
         "after destroy: The plug-in object is gone",
     }},
    {"LocalFilesArriveAsStreams", std::string("--module ") + TEST_MODULE + " --page " + PAGES + "/streams.js", 0,
     {
         "file \"line one\\nline two\\n\"",
         std::string("missing rejected: Could not load file://") + PAGES + "/missing.txt",
         "npbrowser: not supported: the URL https://site.example/data.txt (only file: URLs are loaded)",
         "remote rejected: No stream for https://site.example/data.txt",
         "destroyed with a stream open",
     }},
    {"APageObjectTheModuleKeepsIsALeak", pageArguments("leak.js"), 1,
     {"kept", "npbrowser: leak: 1 browser objects (1 of the page) still had 1 references after NP_Shutdown"}},
    {"AnUnhandledRejectionFailsTheRun", pageArguments("uncaught.js"), 1,
     {"before", "error: Uncaught (in promise) Error: left unhandled"}},
    {"PageObjectsThroughEveryObjectEntry", pageArguments("probe.js", PROBE_MODULE), 0,
     {
         "has a yes, f method yes, a method no, a=1, [0]='zero', keys #0 a f, f(2)=42, g(2) failed, b=2, delete a yes, "
         "a=void",
         "has a yes, f method no, a method no, a='text', [0]=void, keys a g, g(2) failed, b=2, delete a yes, a=void",
         "made object with x=7",
         "42",
         "script failed",
         "element 'OBJECT' 'application/x-probe' Mozilla/5.0 (X11; Linux x86_64) PageEngine/1.0",
         "asked from a thread",
         "called on the loop with true",
     }},
    {"MisuseOfTheBrowserIsReported", pageArguments("misuse.js", PROBE_MODULE), 1,
     {
         "npbrowser: NPN_ReleaseObject with an object that is no longer alive",
         "npbrowser: releasing a value of a call into the plug-in with an object that is no longer alive",
         "overRelease",
         "npbrowser: NPN_MemFree of a block the browser did not allocate (or freed twice)",
         "foreignFree",
         "offThread",
         "npbrowser: NPN_GetProperty with an identifier the browser never made",
         "unknownIdentifier",
         "leak",
         "npbrowser: leak: 1 blocks of NPN_MemAlloc were never freed",
         // Found on another thread, told at the end.
         "npbrowser: NPN_GetValue called off the main thread",
     }},
    {"ADialogNobodyAnswersIsCancelled", pageArguments("dialog.js"), 0, {"chosen (cancelled)"}},
    {"TheAnswerFilePlaysTheUser", pageArguments("dialog.js") + " --answers " + PAGES + "/dialog.answers", 0,
     {"chosen /tmp/npbrowser-test/signature.p7s"}},
    {"NoPageIsAUsageError", std::string("--module ") + TEST_MODULE, 2,
     {"usage: npbrowser --module PATH --page FILE [--url URL] [--answers FILE] [--max-steps N]"}},
};

void PrintTo(const PageCase& c, std::ostream* os)
{
    *os << c.name;
}

class NpbrowserTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(NpbrowserTest, PrintsWhatThePageLogsAndEndsAccordingly)
{
    const Outcome run = runNpbrowser(GetParam().arguments);
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Npbrowser, NpbrowserTest, ::testing::ValuesIn(kPages),
                         [](const ::testing::TestParamInfo<PageCase>& info) { return info.param.name; });

TEST(Npbrowser, AModuleWithoutEntryPointsIsReported)
{
    const Outcome run = runNpbrowser(std::string("--module ") + NPBROWSER + " --page " + PAGES + "/calls.js");
    EXPECT_EQ(run.status, 1);
    ASSERT_FALSE(run.lines.empty());
    EXPECT_EQ(run.lines[0].find("npbrowser: Cannot load "), 0u) << run.lines[0];
}

}  // namespace
