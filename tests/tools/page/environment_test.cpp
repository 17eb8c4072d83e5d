// The page's environment as scripts see it: window, location, the DOM,
// console and alert, timers on the virtual clock, promises and their order.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "page/Page.h"

namespace {

std::vector<std::string> rendered(const page::Page& p)
{
    std::vector<std::string> out;
    for (const page::OutputLine& line : p.output()) {
        const char* kind = line.kind == page::OutputLine::Kind::Log     ? "log"
                           : line.kind == page::OutputLine::Kind::Alert ? "alert"
                                                                        : "error";
        out.push_back(std::string(kind) + ": " + line.text);
    }
    return out;
}

struct ScriptCase {
    const char* name;
    const char* script;
    std::vector<std::string> output;  // after the loop ran idle
};

const char* const kUrl = "https://site.example:8443/app/page.html?x=1#top";

const ScriptCase kScripts[] = {
    {"WindowIsTheGlobalObject",
     "console.log(typeof window, window === this, self === window, window.document === document)",
     {"log: object true true true"}},
    {"LocationFromTheUrl",
     "console.log(location.href === document.location.href, location.protocol, location.hostname, location.port,"
     " location.pathname, location.search, location.hash, location.origin, String(location) === location.href)",
     {"log: true https: site.example 8443 /app/page.html ?x=1 #top https://site.example:8443 true"}},
    {"ConsoleFormatsValues",
     "console.log('a', 1, true, null, undefined, [1, 'b'], {k: 2}); console.error(new TypeError('bad'))",
     {"log: a 1 true null undefined [1,\"b\"] {\"k\":2}", "error: TypeError: bad"}},
    {"AlertIsCaptured", "alert('hello'); alert()", {"alert: hello", "alert: "}},
    {"DocumentTree",
     "var d = document.createElement('div'); d.setAttribute('id', 'box'); d.setAttribute('width', '40');"
     "var s = document.createElement('span'); d.appendChild(s); document.body.appendChild(d);"
     "console.log(document.getElementById('box') === d, d.width, d.getAttribute('width'), d.getAttribute('nope'),"
     " document.getElementsByTagName('span').length, s.parentNode === d, d.childNodes.length, d.childNodes.item(0) === s,"
     " document.body.parentNode === document.documentElement, document.head.tagName, d.tagName);"
     "d.removeChild(s); console.log(d.childNodes.length, s.parentNode, d.childNodes[0]);"
     "d.innerHTML = '<b>x</b>'; console.log(d.innerHTML, Array.isArray(d.childNodes))",
     {"log: true 40 40 null 1 true 1 true true HEAD DIV", "log: 0 null undefined", "log: <b>x</b> false"}},
    {"AppendingAnAncestorIsRefused",
     "var a = document.createElement('a'); var b = document.createElement('b'); a.appendChild(b);"
     "try { b.appendChild(a) } catch (e) { console.log(e.message) }",
     {"log: appendChild: the new child contains the parent"}},
    {"TimersRunInDueOrder",
     "setTimeout(function () { console.log('250', arguments[0]) }, 250, 'arg');"
     "setTimeout(function () { console.log('0') });"
     "var cancelled = setTimeout(function () { console.log('never') }, 10); clearTimeout(cancelled);"
     "setTimeout(function () { console.log('100'); setTimeout(function () { console.log('100+200') }, 200) }, 100);"
     "setTimeout(\"console.log('text timer', performance.now())\", 50)",
     {"log: 0", "log: text timer 50", "log: 100", "log: 250 arg", "log: 100+200"}},
    {"JobsRunBeforeTimers",
     "setTimeout(function () { console.log('timer') }, 0);"
     "Promise.resolve().then(function () { console.log('job 1') }).then(function () { console.log('job 2') });"
     "console.log('script')",
     {"log: script", "log: job 1", "log: job 2", "log: timer"}},
    {"PromiseChainsAndErrors",
     "new Promise(function (resolve) { setTimeout(resolve, 10, 'late') })"
     ".then(function (v) { console.log(v); return { then: function (ok) { ok('thenable') } } })"
     ".then(function (v) { console.log(v); throw new Error('boom') })"
     ".then(function () { console.log('skipped') })"
     "['catch'](function (e) { console.log('caught', e.message); return 'recovered' })"
     "['finally'](function () { console.log('finally') })"
     ".then(function (v) { console.log(v) })",
     {"log: late", "log: thenable", "log: caught boom", "log: finally", "log: recovered"}},
    {"PromiseAllAndRace",
     "Promise.all([1, Promise.resolve(2), new Promise(function (r) { setTimeout(r, 5, 3) })])"
     ".then(function (v) { console.log(JSON.stringify(v)) });"
     "Promise.race([new Promise(function (r) { setTimeout(r, 9, 'slow') }), new Promise(function (r) { setTimeout(r, 1, 'fast') })])"
     ".then(function (v) { console.log(v) });"
     "Promise.all([]).then(function (v) { console.log('empty', v.length) });"
     "Promise.all([Promise.reject(new Error('one'))])['catch'](function (e) { console.log('all failed', e.message) })",
     {"log: empty 0", "log: all failed one", "log: fast", "log: [1,2,3]"}},
    {"PromiseMisuse",
     "try { Promise(function () {}) } catch (e) { console.log(e.name) }"
     "try { new Promise(5) } catch (e) { console.log(e.name) }"
     "var p = new Promise(function (r) { r() }); var q = p.then(function () { return q });"
     "q['catch'](function (e) { console.log(e.message) });"
     "new Promise(function () { throw new RangeError('in executor') })['catch'](function (e) { console.log(e.name) })",
     {"log: TypeError", "log: TypeError", "log: RangeError", "log: Chaining cycle detected for promise"}},
    {"UnhandledFailuresAreReported",
     "Promise.reject(new Error('nobody listens')); var handled = Promise.reject('x'); handled['catch'](function () {});"
     "setTimeout(function () { throw new Error('in a timer') }, 5); setTimeout(function () { console.log('still running') }, 6)",
     {"error: Uncaught (in promise) Error: nobody listens", "error: Uncaught Error: in a timer", "log: still running"}},
};

void PrintTo(const ScriptCase& c, std::ostream* os)
{
    *os << c.name;
}

class ScriptTest : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptTest, WritesWhatTheBrowserWould)
{
    page::Page p(kUrl);
    p.run(GetParam().script);
    const page::RunResult result = p.runLoop();
    EXPECT_TRUE(result.idle);
    EXPECT_EQ(rendered(p), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(Environment, ScriptTest, ::testing::ValuesIn(kScripts),
                         [](const ::testing::TestParamInfo<ScriptCase>& info) { return info.param.name; });

TEST(PageClock, DelaysRunWithoutWaitingAndMoveTheClock)
{
    page::Page p;
    p.run("setTimeout(function () { console.log(1) }, 250); setTimeout(function () {}, 1e9)");
    EXPECT_EQ(p.pendingTimers(), 2u);
    p.runLoop();
    EXPECT_EQ(p.now(), 1e9);
    EXPECT_EQ(p.pendingTimers(), 0u);
}

TEST(PageClock, StepLimitStopsATimerThatRearmsItself)
{
    page::Page p;
    p.run("(function again() { setTimeout(again, 1) })()");
    const page::RunResult result = p.runLoop(50);
    EXPECT_FALSE(result.idle);
    EXPECT_EQ(result.steps, 50u);
}

TEST(PageScripts, ErrorsThrowWithTheScriptText)
{
    page::Page p;
    EXPECT_THROW(p.run("var = ;"), page::ScriptError);
    try {
        p.run("null.x");
        FAIL();
    } catch (const page::ScriptError& e) {
        EXPECT_EQ(std::string(e.what()).find("TypeError"), 0u) << e.what();
    }
}

TEST(PageMarkup, BuildsTheTreeAndRunsScriptsInOrder)
{
    page::Page p("https://site.example/");
    p.loadHtml(R"(<!DOCTYPE html>
<html><head><title>t</title><script>console.log('head', document.getElementsByTagName('p').length)</script></head>
<body class="main"><!-- <p>not an element</p> -->
  <div id="outer" width="300"><p id="first">One <b>bold</b></p><br><img src="x.png"/><p>Two</p></div>
  <script>console.log(document.getElementById('first').innerHTML, document.getElementById('outer').childNodes.length,
    document.body.getAttribute('class'), document.getElementById('outer').width); nosuchname()</script>
  <script>console.log('after the failure', document.getElementsByTagName('script').length)</script>
  <script src="missing.js"></script>
</body></html>)", "/nonexistent");
    EXPECT_EQ(rendered(p), (std::vector<std::string>{
                               "log: head 2",
                               "log: One <b>bold</b> 4 main 300",
                               "error: Uncaught ReferenceError: identifier 'nosuchname' undefined",
                               "log: after the failure 4",
                               "error: Uncaught Cannot read /nonexistent/missing.js",
                           }));
}

}  // namespace
