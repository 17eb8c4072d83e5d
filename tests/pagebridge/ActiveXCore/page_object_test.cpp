// Page objects over IDispatch: reads, writes, calls and enumeration through
// COM, from the main thread and from others, and after the host has gone.

#include <atomic>
#include <chrono>
#include <thread>
#include <ostream>

#include "AxFixture.h"
#include "Pump.h"

namespace {

using PB::variant;

class PageObjects : public axtest::AxFixture {
protected:
    // Runs f on a worker while this (the main) thread pumps, until it is done.
    template <typename F>
    void onWorker(F f)
    {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            f();
            done = true;
        });
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done && std::chrono::steady_clock::now() < deadline) {
            comhost::pumpMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        // A worker still waiting is let go by the host's shutdown.
        if (!done)
            host->shutdown();
        worker.join();
        EXPECT_TRUE(done);
    }
};

struct ReadCase {
    const char* name;
    const char* property;
    const std::type_info* held;
    const char* text;
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << c.name;
}

class PageObjectRead : public PageObjects, public testing::WithParamInterface<ReadCase> {};

TEST_P(PageObjectRead, ReadsThroughCom)
{
    const ReadCase& c = GetParam();
    auto object = pageObject("({ n: 3, r: 1.5, s: 'x', t: true, z: null, o: {}, f: function () {}, u: undefined })");
    const variant value = object->getPropertySync(c.property);
    EXPECT_EQ(value.get_type(), *c.held);
    if (c.text) {
        EXPECT_EQ(value.convert_cast<std::string>(), c.text);
    }
    EXPECT_TRUE(object->hasProperty(std::string(c.property)));
    EXPECT_FALSE(object->hasMethod(std::string(c.property)));  // the page answers every read
}

const ReadCase kReads[] = {
    {"Integer", "n", &typeid(long), "3"},
    {"Real", "r", &typeid(double), "1.5"},
    {"Text", "s", &typeid(std::string), "x"},
    {"Boolean", "t", &typeid(bool), "true"},
    {"Null", "z", &typeid(PB::PBNull), nullptr},
    {"Object", "o", &typeid(PB::JSObjectPtr), nullptr},
    {"Function", "f", &typeid(PB::JSObjectPtr), nullptr},
    {"Undefined", "u", &typeid(void), nullptr},
    {"Missing", "missing", &typeid(void), nullptr},
};
INSTANTIATE_TEST_SUITE_P(Table, PageObjectRead, testing::ValuesIn(kReads),
                         [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST_F(PageObjects, WritesRemovesAndEnumerates)
{
    auto object = pageObject("window.target = { a: 1 }");
    object->setProperty("b", variant("two"));
    object->setProperty(3, variant(true));
    std::vector<std::string> names;
    object->getMemberNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"3", "a", "b"}));
    EXPECT_EQ(object->getMemberCount(), 3u);
    object->removeProperty("a");
    object->removeProperty("never there");
    page.run("console.log(JSON.stringify(target));");
    EXPECT_EQ(log(), (std::vector<std::string>{"{\"3\":true,\"b\":\"two\"}"}));
}

TEST_F(PageObjects, CallsPassTheObjectAsThisAndTheArgumentsInOrder)
{
    auto object = pageObject(
        "({ name: 'o', f: function (a, b, c) { return this.name + ':' + [a, b, c].join(','); } })");
    EXPECT_EQ(object->invokeSync("f", {variant(1), variant("b"), variant(false)}).convert_cast<std::string>(),
              "o:1,b,false");
    auto function = pageObject("(function (x) { return typeof this + ' ' + x; })");
    EXPECT_EQ(function->invokeSync("", {variant(2)}).convert_cast<std::string>(), "function 2");
    EXPECT_THROW(object->invokeSync("missing", {}), PB::script_error);
    EXPECT_THROW(pageObject("({ f: function () { throw new Error('no'); } })")->invokeSync("f", {}), PB::script_error);
    // Lists and maps go to the page as its own arrays and objects.
    auto join = pageObject("(function (l, m) { return l.join('+') + ' ' + m.k; })");
    EXPECT_EQ(join->invokeSync("", {variant(PB::VariantList{variant(1), variant(2)}),
                                    variant(PB::VariantMap{{"k", variant("v")}})})
                  .convert_cast<std::string>(),
              "1+2 v");
}

TEST_F(PageObjects, OtherThreadsWaitForTheMainThread)
{
    auto object = pageObject("({ n: 5, twice: function (x) { return 2 * x; } })");
    variant read, called;
    bool has = false;
    onWorker([&] {
        read = object->getPropertySync("n");
        called = object->invokeSync("twice", {variant(4)});
        has = object->hasProperty(std::string("n"));
    });
    EXPECT_EQ(read.convert_cast<int>(), 5);
    EXPECT_EQ(called.convert_cast<int>(), 8);
    EXPECT_TRUE(has);
}

TEST_F(PageObjects, HandlersAreCalledOnTheMainThreadLater)
{
    auto handler = pageObject("(function (v) { console.log('handled ' + v); })");
    std::thread([&] { handler->callHandlers("ondone", {variant(1)}, {handler}, {}); }).join();
    EXPECT_TRUE(log().empty());  // queued, not waited for
    idle();
    EXPECT_EQ(log(), (std::vector<std::string>{"handled 1"}));
}

TEST_F(PageObjects, AfterShutdownTheyAnswerNeutralValues)
{
    auto object = pageObject("({ n: 1 })");
    EXPECT_TRUE(object->isValid());
    host->shutdown();
    EXPECT_FALSE(object->isValid());
    EXPECT_EQ(object->getPropertySync("n").get_type(), typeid(void));
    EXPECT_FALSE(object->hasProperty(std::string("n")));
    EXPECT_EQ(object->getMemberCount(), 0u);
    EXPECT_EQ(object->getNativeHandle(), nullptr);
    EXPECT_THROW(object->callHandlers("e", {}, {}, {}), PB::script_error);
    object->setProperty("n", variant(2));  // nothing happens
}

TEST_F(PageObjects, ReferencesReleasedElsewhereWaitForTheMainThread)
{
    const std::size_t before = page.heldCount();
    auto object = pageObject("({})");
    com::ComPtr<IDispatch> dispatch(object->getDispatch());
    dispatch.reset();
    const std::size_t held = page.heldCount();
    EXPECT_GT(held, before);
    std::thread([&] { object.reset(); }).join();
    EXPECT_EQ(page.heldCount(), held);  // the host still holds it
    host->doDeferredRelease();
    EXPECT_LT(page.heldCount(), held);
}

}  // namespace
