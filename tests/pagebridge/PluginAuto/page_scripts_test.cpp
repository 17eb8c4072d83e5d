// The helper object and the promise library as page script runs them: a
// bare script engine, whose setTimeout queues and whose queue the test runs.

#include <gtest/gtest.h>

#include <duktape.h>

#include <string>

#include "PluginAuto/PageScripts.h"

namespace {

class ScriptPage {
public:
    ScriptPage() : m_ctx(duk_create_heap_default())
    {
        run("var window = this; var timers = [];"
            "function setTimeout(f, d) { timers.push(f); return timers.length; }"
            "function runTimers() { while (timers.length) timers.shift()(); }");
        run(PB::PageScripts::promiseLibrary());
        run(PB::PageScripts::helperScript(PB::PageScripts::helperName(7)));
    }
    ~ScriptPage() { duk_destroy_heap(m_ctx); }
    ScriptPage(const ScriptPage&) = delete;
    ScriptPage& operator=(const ScriptPage&) = delete;

    // The script's value as text, or "error: ..." when it throws.
    std::string run(const std::string& script)
    {
        std::string result;
        if (duk_peval_lstring(m_ctx, script.data(), script.size()) != 0)
            result = std::string("error: ") + duk_safe_to_string(m_ctx, -1);
        else
            result = duk_safe_to_string(m_ctx, -1);
        duk_pop(m_ctx);
        return result;
    }

private:
    duk_context* m_ctx;
};

TEST(PageScripts, TheHelperNameCarriesTheContext)
{
    EXPECT_EQ(PB::PageScripts::helperName(4711), "_PB_HELPERS_4711");
    const std::string script = PB::PageScripts::helperScript("_PB_HELPERS_1");
    EXPECT_EQ(script.find("PageBridgeHelperThingy"), std::string::npos);
    EXPECT_EQ(script.find("window._PB_HELPERS_1={asyncCall:"), 12u);
    EXPECT_EQ(PB::PageScripts::promiseLibrary().find('\n'), std::string::npos);  // one line
}

TEST(PageScripts, TheHelperCallsLaterAndMakesErrors)
{
    ScriptPage page;
    const struct {
        const char* script;
        const char* expected;
    } cases[] = {
        {"var log = []; var h = window._PB_HELPERS_7;"
         "h.asyncCall(0, function (a, b) { log.push(a + b, this === null || this === window); }, [1, 2]);"
         "log.push('now'); runTimers(); log.join(',')",
         "now,3,true"},
        {"var log = []; var o = { go: function (x) { log.push(x, this === o); } };"
         "window._PB_HELPERS_7.asyncCall(0, o, ['y'], 'go'); runTimers(); log.join(',')",
         "y,true"},
        {"var e = window._PB_HELPERS_7.makeError('broken'); (e instanceof Error) + ':' + e.message", "true:broken"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(page.run(c.script), c.expected) << c.script;
}

TEST(PageScripts, ThePromiseLibraryKeepsItsRules)
{
    const struct {
        const char* rule;
        const char* script;
        const char* expected;
    } cases[] = {
        {"handlers run from a timer",
         "var d = PageBridgePromise(); d.promise.then(function (v) { log.push('ok ' + v); });"
         "d.resolve(3); log.push('sync'); runTimers();",
         "sync,ok 3"},
        {"a rejection reaches the reject handler",
         "var d = PageBridgePromise(); d.promise.then(null, function (r) { log.push('bad ' + r); });"
         "d.reject('x'); runTimers();",
         "bad x"},
        {"a handler's value resolves the next promise",
         "var d = PageBridgePromise(); d.promise.then(function (v) { return v + 1; })"
         ".then(function (v) { log.push(v); }); d.resolve(3); runTimers();",
         "4"},
        {"a handler that throws rejects the next promise",
         "var d = PageBridgePromise(); d.promise.then(function () { throw 'e'; })"
         ".then(null, function (r) { log.push('caught ' + r); }); d.resolve(1); runTimers();",
         "caught e"},
        {"a missing handler passes the value and the reason on",
         "var d = PageBridgePromise(); d.promise.then(null).then(function (v) { log.push(v); });"
         "var e = PageBridgePromise(); e.promise.then(function () {}).then(null, function (r) { log.push(r); });"
         "d.resolve('v'); e.reject('r'); runTimers();",
         "v,r"},
        {"a thenable is adopted",
         "var d = PageBridgePromise(); d.promise.then(function (v) { log.push(v); });"
         "d.resolve({ then: function (res) { res(9); } }); runTimers();",
         "9"},
        {"another deferred's promise is followed",
         "var d = PageBridgePromise(), e = PageBridgePromise();"
         "d.promise.then(function (v) { log.push('got ' + v); }); d.resolve(e.promise); runTimers();"
         "log.push('waiting'); e.resolve(5); runTimers();",
         "waiting,got 5"},
        {"resolving with its own promise is a TypeError",
         "var d = PageBridgePromise(); d.promise.then(null, function (r) { log.push(r instanceof TypeError); });"
         "d.resolve(d.promise); runTimers();",
         "true"},
        {"only the first outcome counts",
         "var d = PageBridgePromise(); d.promise.then(function (v) { log.push(v); }, function () { log.push('no'); });"
         "d.resolve(1); d.resolve(2); d.reject(3); runTimers();",
         "1"},
        {"a thenable's later calls and throws are ignored",
         "var d = PageBridgePromise(); d.promise.then(function (v) { log.push(v); }, function () { log.push('no'); });"
         "d.resolve({ then: function (res, rej) { res(1); res(2); rej(3); throw 4; } }); runTimers();",
         "1"},
        {"a thenable that throws first rejects",
         "var d = PageBridgePromise(); d.promise.then(null, function (r) { log.push('rej ' + r); });"
         "d.resolve({ then: function () { throw 'boom'; } }); runTimers();",
         "rej boom"},
        {"a then after settling is still asynchronous",
         "var d = PageBridgePromise(); d.resolve(5); d.promise.then(function (v) { log.push(v); });"
         "log.push('sync'); runTimers();",
         "sync,5"},
        {"while adopting, the deferred takes no other value",
         "var d = PageBridgePromise(), e = PageBridgePromise(); d.promise.then(function (v) { log.push(v); });"
         "d.resolve(e.promise); d.resolve('other'); e.resolve('adopted'); runTimers();",
         "adopted"},
    };
    for (const auto& c : cases) {
        ScriptPage page;
        EXPECT_EQ(page.run(std::string("var log = [];") + c.script + " log.join(',')"), c.expected) << c.rule;
    }
}

}  // namespace
