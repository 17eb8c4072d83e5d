// What the ActiveX browser host offers the plug-in: the DOM through MSHTML's
// interfaces, delayed page calls through its helper, page deferreds from the
// promise library, and the bridge of plug-in promises to page promises.

#include <ostream>
#include <stdexcept>

#include "ActiveXCore/ComPromise.h"
#include "AxFixture.h"
#include "ScriptingCore/DOM/Document.h"
#include "ScriptingCore/DOM/Element.h"
#include "ScriptingCore/DOM/Window.h"

namespace {

using PB::variant;

class HostServices : public axtest::AxFixture {
protected:
    template <typename T>
    static T valueOf(const PB::Promise<T>& promise)
    {
        T result{};
        promise.done([&result](T value) { result = value; });
        return result;
    }
};

TEST_F(HostServices, TheDomThroughMshtml)
{
    page.run("document.body.innerHTML = 'body'; var box = document.createElement('div');"
             "box.setAttribute('id', 'box'); box.setAttribute('title', 'T'); document.body.appendChild(box);");
    const PB::DOM::DocumentPtr document = host->getDOMDocument();
    ASSERT_TRUE(document);
    const PB::DOM::ElementPtr box = valueOf(document->getElementById("box"));
    ASSERT_TRUE(box);
    EXPECT_EQ(valueOf(box->getAttribute("title")), "T");
    EXPECT_EQ(valueOf(box->getAttribute("none")), "");
    box->setInnerHTML("inner");
    EXPECT_EQ(valueOf(box->getInnerHTML()), "inner");
    EXPECT_FALSE(valueOf(document->getElementById("nothing")));

    const PB::DOM::ElementPtr made = valueOf(document->createElement("span"));
    box->appendChild(made);
    const std::vector<PB::DOM::ElementPtr> spans = valueOf(box->getElementsByTagName(std::string("span")));
    ASSERT_EQ(spans.size(), 1u);
    EXPECT_TRUE(valueOf(box->getElementsByTagName(std::string("table"))).empty());
    EXPECT_EQ(valueOf(document->getElementsByTagName(std::string("div"))).size(), 1u);

    // The control's own element, through its site.
    const PB::DOM::ElementPtr own = host->getDOMElement();
    ASSERT_TRUE(own);
    EXPECT_EQ(valueOf(own->getProperty<std::string>("tagName")), "OBJECT");

    const PB::DOM::WindowPtr window = valueOf(document->getWindow());
    ASSERT_TRUE(window);
    window->alert("hello");
    EXPECT_EQ(page.lines(page::OutputLine::Kind::Alert), (std::vector<std::string>{"hello"}));
    EXPECT_EQ(valueOf(window->getLocation()), "https://site.example/app/");
    EXPECT_TRUE(valueOf(window->getDocument()));
    EXPECT_THROW(host->_createWindow(pageObject("({})")), PB::bad_cast_ext);
    EXPECT_THROW(host->_createElement(nullptr), PB::bad_cast_ext);

    host->Navigate("https://site.example/next", "_blank");
    EXPECT_EQ(browser->navigations(), (std::vector<std::string>{"https://site.example/next"}));
}

TEST_F(HostServices, DelayedCallsGoThroughOneHelperPerHost)
{
    auto function = pageObject("(function (a, b) { console.log('function ' + (this === null || this === window) + ' ' + a + b); })");
    auto object = pageObject("({ go: function (a) { console.log('method ' + (this.go !== undefined) + ' ' + a); } })");
    host->invokeDelayed(0, function, {variant(1), variant(2)}, "");
    host->invokeDelayed(0, object, {variant("x")}, "go");
    auto second = std::make_shared<PB::ActiveX::ActiveXBrowserHost>(browser->webBrowser().get(), site.get());
    second->invokeDelayed(10, function, {variant(3), variant(4)}, "");
    idle();
    EXPECT_EQ(log(), (std::vector<std::string>{"function true 12", "method true x", "function true 34"}));
    page.run("console.log(Object.keys(window).filter(function (k) { return k.indexOf('_PB_HELPERS_') === 0; }).length);");
    EXPECT_EQ(log().back(), "2");
    second->shutdown();
    host->suspend();
    EXPECT_THROW(host->invokeDelayed(0, function, {}, ""), PB::script_error);
    EXPECT_THROW(host->evaluateJavaScript(std::string("1")), PB::script_error);
}

TEST_F(HostServices, ArrayValuesOfPageArraysOnly)
{
    EXPECT_EQ(valueOf(host->getArrayValues(pageObject("[]"))).size(), 0u);
    EXPECT_EQ(valueOf(host->getArrayValues(PB::JSObjectPtr())).size(), 0u);
    const PB::VariantList values = valueOf(host->getArrayValues(pageObject("['a', 2]")));
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[1].convert_cast<int>(), 2);
    const PB::VariantMap members = valueOf(host->getObjectValues(pageObject("({ k: 'v' })")));
    EXPECT_EQ(members.at("k").convert_cast<std::string>(), "v");
}

TEST_F(HostServices, APageWithItsOwnPromiseLibraryKeepsIt)
{
    page.run("var made = 0; window.PageBridgePromise = function () { made++;"
             " var d = {}; d.promise = new Promise(function (y, n) { d.resolve = y; d.reject = n; }); return d; };");
    PB::Deferred<variant> answer;
    auto bridge = PB::ActiveX::ComPromise::create(host, answer.promise());
    answer.resolve(variant("done"));
    com::Variant face;
    host->getComVariant(&face, variant(PB::JSObjectPtr(bridge->pagePromise())));
    expose("p", face);
    page.run(axtest::logOutcome("p"));
    idle();
    page.run("console.log('made ' + made);");
    EXPECT_EQ(log(), (std::vector<std::string>{"p: done", "made 1"}));
}

// The host's scheduler as the framework reaches it.
class SchedulingHost : public PB::ActiveX::ActiveXBrowserHost {
public:
    using ActiveXBrowserHost::ActiveXBrowserHost;
    using ActiveXBrowserHost::_scheduleAsyncCall;
};

TEST_F(HostServices, AfterShutdownNothingIsScheduledForTheMainThread)
{
    auto own = std::make_shared<SchedulingHost>(browser->webBrowser().get(), site.get());
    int ran = 0;
    const auto count = [](void* data) { ++*static_cast<int*>(data); };
    ASSERT_TRUE(own->_scheduleAsyncCall(count, &ran));
    EXPECT_EQ(ran, 0);  // posted, not run
    idle();
    EXPECT_EQ(ran, 1);
    own->shutdown();
    EXPECT_FALSE(own->_scheduleAsyncCall(count, &ran));
    EXPECT_FALSE(own->ScheduleAsyncCall(count, &ran));
    idle();
    EXPECT_EQ(ran, 1);
}

struct SettleCase {
    const char* name;
    const char* steps;  // r: resolve, j: reject, i: invalidate
    const char* logged;
};

void PrintTo(const SettleCase& c, std::ostream* os)
{
    *os << c.name;
}

class PagePromise : public HostServices, public testing::WithParamInterface<SettleCase> {};

TEST_P(PagePromise, SettlesOnceOnTheMainThread)
{
    PB::Deferred<variant> answer;
    auto bridge = PB::ActiveX::ComPromise::create(host, answer.promise());
    com::Variant face;
    host->getComVariant(&face, variant(PB::JSObjectPtr(bridge->pagePromise())));
    expose("p", face);
    page.run(axtest::logOutcome("p"));
    for (const char* step = GetParam().steps; *step; ++step) {
        if (*step == 'r')
            answer.resolve(variant(7));
        else if (*step == 'j')
            answer.reject(std::make_exception_ptr(std::runtime_error("refused")));
        else
            bridge->invalidate();
    }
    EXPECT_TRUE(log().empty());  // never inside the settling call
    idle();
    EXPECT_EQ(log(), (std::vector<std::string>{GetParam().logged}));
}

const SettleCase kSettles[] = {
    {"Resolved", "r", "p: 7"},
    {"Rejected", "j", "p failed: refused"},
    {"Invalidated", "i", "p failed: Invalidated"},
    {"InvalidatedThenResolved", "ir", "p failed: Invalidated"},
};
INSTANTIATE_TEST_SUITE_P(Table, PagePromise, testing::ValuesIn(kSettles),
                         [](const testing::TestParamInfo<SettleCase>& info) { return std::string(info.param.name); });

}  // namespace
