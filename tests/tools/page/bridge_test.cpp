// The host's side of a page: values both ways, held script objects, host
// objects that scripts use like their own, promises the host settles, tasks
// and plug-ins.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "page/Page.h"

namespace {

using page::Depth;
using page::Value;

std::vector<std::string> logLines(const page::Page& p)
{
    return p.lines(page::OutputLine::Kind::Log);
}

struct ReadCase {
    const char* expression;
    Depth depth;
    const char* described;
};

const ReadCase kReads[] = {
    {"undefined", Depth::Values, "undefined"},
    {"null", Depth::Values, "null"},
    {"[1.5, 'a', true, null, undefined]", Depth::Values, "[1.5,\"a\",true,null,undefined]"},
    {"({a: {b: [1, {c: 'd'}]}, e: 'f'})", Depth::Values, "{\"a\":{\"b\":[1,{\"c\":\"d\"}]},\"e\":\"f\"}"},
    {"Object.create(null)", Depth::Values, "{}"},
    {"'\\u00e9\\u4e2d'", Depth::Values, "\xc3\xa9\xe4\xb8\xad"},
    {"[function () {}, new Date(0)]", Depth::Values, "[[ref 1],[ref 2]]"},
    {"[1, 2]", Depth::References, "[ref 1]"},
    {"Symbol('s')", Depth::Values, "undefined"},
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << c.expression;
}

class ReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadTest, ScriptValuesComeOutAsValuesOrReferences)
{
    page::Page p;
    const Value value = p.evaluate(GetParam().expression, GetParam().depth);
    EXPECT_EQ(value.describe(), GetParam().described);
    p.release(value);
    EXPECT_EQ(p.heldCount(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Bridge, ReadTest, ::testing::ValuesIn(kReads));

TEST(Bridge, ValuesGoInAsScriptValues)
{
    page::Page p;
    const Value window = p.window();
    p.set(window, "given",
          Value::object({{"list", Value::array({Value::number(1), Value::string("x"), Value::null(), Value()})},
                         {"__proto__", Value::boolean(true)}}));
    EXPECT_EQ(p.evaluate("JSON.stringify(given) + ' ' + (Object.getPrototypeOf(given) === Object.prototype)", Depth::Values)
                  .describe(),
              "{\"list\":[1,\"x\",null,null],\"__proto__\":true} true");
    EXPECT_THROW(p.set(window, "bad", Value::ref(999)), std::invalid_argument);
    p.release(window);
}

TEST(Bridge, CyclicValuesAreRefused)
{
    page::Page p;
    EXPECT_THROW(p.evaluate("var a = []; a.push(a); a", Depth::Values), std::runtime_error);
    p.run("var fine = [1]");
}

TEST(Bridge, ObjectsAreReachedThroughHandles)
{
    page::Page p;
    p.run("var counter = { n: 1, bump: function (by) { this.n += by; return this.n } };"
          "function add(a, b) { return a + b } function fails() { throw new Error('no') }");
    const Value window = p.window();
    const Value counter = p.get(window, "counter");
    ASSERT_TRUE(counter.is(Value::Type::Ref));
    EXPECT_EQ(p.invoke(counter, "bump", {Value::number(4)}).asNumber(), 5);
    EXPECT_EQ(p.get(counter, "n").asNumber(), 5);
    const Value add = p.get(window, "add");
    EXPECT_TRUE(p.isFunction(add));
    EXPECT_FALSE(p.isFunction(counter));
    EXPECT_EQ(p.call(add, {Value::number(2), Value::number(3)}).asNumber(), 5);
    EXPECT_THROW(p.invoke(window, "fails", {}), page::ScriptError);
    EXPECT_THROW(p.invoke(window, "missing", {}), page::ScriptError);
    EXPECT_TRUE(p.remove(counter, "n"));
    EXPECT_EQ(p.get(counter, "n").type(), Value::Type::Undefined);
    const std::vector<std::string> names = p.keys(counter);
    EXPECT_EQ(names, std::vector<std::string>{"bump"});
    const Value again = p.get(window, "counter");
    EXPECT_TRUE(p.same(counter, again));
    const Value shared = p.share(Value::array({counter, Value::number(1)}));
    EXPECT_NE(shared.items()[0].refId(), counter.refId());
    EXPECT_TRUE(p.same(shared.items()[0], counter));
    p.release(shared);
    EXPECT_FALSE(p.same(counter, add));
    const Value elements = p.read(p.evaluate("[1, {}]"));
    ASSERT_EQ(elements.items().size(), 2u);
    EXPECT_EQ(elements.items()[0].describe(), "1");
    EXPECT_TRUE(elements.items()[1].is(Value::Type::Ref));
    const Value members = p.read(counter);
    ASSERT_NE(members.member("bump"), nullptr);
    EXPECT_TRUE(p.isFunction(*members.member("bump")));
    p.release(counter);
    EXPECT_THROW(p.get(counter, "n"), std::invalid_argument);
}

// A host object that records what the script did to it.
class Recorder : public page::HostObject {
public:
    explicit Recorder(bool isCallable = false) : m_callable(isCallable) {}
    std::vector<std::string> log;
    std::map<std::string, Value> members{{"a", Value::number(1)}};

    Value get(const std::string& name) override
    {
        log.push_back("get " + name);
        if (name == "f")
            return Value::host(std::make_shared<Recorder>(true));
        if (name == "fails")
            throw std::runtime_error("the host refuses");
        auto found = members.find(name);
        return found == members.end() ? Value() : found->second;
    }
    void set(const std::string& name, const Value& value) override
    {
        log.push_back("set " + name + "=" + value.describe());
        members[name] = value;
    }
    bool remove(const std::string& name) override
    {
        log.push_back("remove " + name);
        return members.erase(name) > 0;
    }
    std::vector<std::string> keys() override
    {
        std::vector<std::string> names;
        for (const auto& member : members)
            names.push_back(member.first);
        return names;
    }
    bool callable() const override { return m_callable; }
    Value call(const std::vector<Value>& args) override
    {
        std::string text = "called";
        for (const Value& arg : args)
            text += " " + arg.describe();
        return Value::string(text);
    }

private:
    bool m_callable;
};

struct HostCase {
    const char* script;
    const char* logged;
};

const HostCase kHostCases[] = {
    {"console.log(host.a, host.b, typeof host, 'a' in host, 'b' in host)", "1 undefined object true false"},
    {"host.x = [1]; host.toString = 't'; console.log(JSON.stringify(Object.keys(host)))",
     "[\"a\",\"toString\",\"x\"]"},
    {"var names = []; for (var k in host) names.push(k); console.log(names.join(','))", "a"},
    {"console.log(delete host.a, delete host.zz, host.a)", "true false undefined"},
    {"console.log(typeof host.f, host.f(1, 'two', null))", "function called 1 two null"},
    {"try { host.fails } catch (e) { console.log(e.message) }", "the host refuses"},
    {"try { host() } catch (e) { console.log(e.name) }", "TypeError"},
};

void PrintTo(const HostCase& c, std::ostream* os)
{
    *os << c.script;
}

class HostObjectTest : public ::testing::TestWithParam<HostCase> {};

TEST_P(HostObjectTest, ScriptsUseHostObjectsLikeTheirOwn)
{
    page::Page p;
    auto host = std::make_shared<Recorder>();
    const Value window = p.window();
    p.set(window, "host", Value::host(host));
    p.run(GetParam().script);
    EXPECT_EQ(logLines(p), std::vector<std::string>{GetParam().logged});
    p.release(window);
}

INSTANTIATE_TEST_SUITE_P(Bridge, HostObjectTest, ::testing::ValuesIn(kHostCases));

TEST(HostObjects, HostFunctionsServeAsTimersAndMethods)
{
    page::Page p;
    const Value window = p.window();
    const Value host = Value::host(std::make_shared<Recorder>());
    p.set(window, "host", host);
    EXPECT_EQ(p.invoke(host, "f", {Value::number(2)}).describe(), "called 2");
    p.run("setTimeout(host.f, 5, 'late')");
    p.runLoop();
    EXPECT_TRUE(p.lines(page::OutputLine::Kind::Error).empty());
    p.release(window);
}

TEST(HostObjects, ComeBackAsThemselvesAndGoWithTheirLastWrapper)
{
    page::Page p;
    auto host = std::make_shared<Recorder>();
    std::weak_ptr<Recorder> watch = host;
    const Value window = p.window();
    p.set(window, "host", Value::host(host));
    p.run("var second = host");
    EXPECT_EQ(p.get(window, "second").hostObject(), host);
    host.reset();
    p.run("host = null; Duktape.gc()");
    EXPECT_FALSE(watch.expired());
    p.run("second = null; Duktape.gc()");
    EXPECT_TRUE(watch.expired());
    p.release(window);
}

TEST(HostPromises, TheHostSettlesOnceAndJobsRunInTheLoop)
{
    page::Page p;
    const Value window = p.window();
    page::Page::Pending ok = p.newPromise();
    page::Page::Pending bad = p.newPromise();
    p.set(window, "ok", ok.promise);
    p.set(window, "bad", bad.promise);
    p.run("ok.then(function (v) { console.log('ok', JSON.stringify(v)) });"
          "bad['catch'](function (e) { console.log('bad', e.message) })");
    p.resolve(ok.id, Value::array({Value::string("v")}));
    p.resolve(ok.id, Value::string("again"));
    p.reject(bad.id, "refused");
    p.reject(12345, "unknown ids are ignored");
    EXPECT_TRUE(logLines(p).empty());
    p.runLoop();
    EXPECT_EQ(logLines(p), (std::vector<std::string>{"ok [\"v\"]", "bad refused"}));
    p.release(ok.promise);
    p.release(bad.promise);
    p.release(window);
    EXPECT_EQ(p.heldCount(), 0u);
}

TEST(HostTasks, RunInOrderAndAFailureIsReported)
{
    page::Page p;
    std::vector<int> ran;
    p.post([&] { ran.push_back(1); });
    p.post([] { throw std::runtime_error("task failed"); });
    p.post([&] {
        ran.push_back(2);
        p.post([&] { ran.push_back(3); });
    });
    EXPECT_EQ(p.runLoop().steps, 4u);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(p.lines(page::OutputLine::Kind::Error), std::vector<std::string>{"Uncaught task failed"});
}

class Plugins : public page::PluginProvider {
public:
    std::vector<std::string> created;
    int destroyed = 0;
    Value create(const std::string& mimeType, const Value& params) override
    {
        if (mimeType != "application/x-test")
            throw std::runtime_error("unsupported " + mimeType);
        created.push_back(params.describe());
        return Value::host(std::make_shared<Recorder>());
    }
    void destroy(const Value& plugin) override
    {
        if (plugin.is(Value::Type::Host))
            ++destroyed;
    }
};

TEST(PagePlugins, ScriptsCreateAndDestroyInstancesThroughTheProvider)
{
    page::Page p;
    EXPECT_THROW(p.run("navigator.createPlugin('application/x-test')"), page::ScriptError);
    auto plugins = std::make_shared<Plugins>();
    p.setPluginProvider(plugins);
    p.run("var plugin = navigator.createPlugin('application/x-test', {onload: 'ready', size: [1, 2]});"
          "console.log(plugin.a); navigator.destroyPlugin(plugin);"
          "try { navigator.createPlugin('text/other') } catch (e) { console.log(e.message) }"
          "try { navigator.createPlugin('application/x-test', 'x') } catch (e) { console.log(e.name) }");
    EXPECT_EQ(plugins->created, std::vector<std::string>{"{\"onload\":\"ready\",\"size\":[1,2]}"});
    EXPECT_EQ(plugins->destroyed, 1);
    EXPECT_EQ(logLines(p), (std::vector<std::string>{"1", "unsupported text/other", "TypeError"}));
}

}  // namespace
