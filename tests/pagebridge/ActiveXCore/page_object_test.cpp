// Page objects over IDispatch: reads, writes, calls and enumeration through
// COM, from the main thread and from others, and after the host has gone;
// objects without IDispatchEx, objects that refuse a write by reference, and
// the plug-in's own objects met as page objects.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <ostream>

#include "AxFixture.h"
#include "Pump.h"

namespace {

using PB::variant;

// A page object behind another face, writing down how it is invoked: with
// IDispatch only (it can neither enumerate nor delete), or with IDispatchEx
// refusing writes by reference as objects do that take plain values.
class Face final : public com::RefCounted<IDispatchEx> {
public:
    Face(com::ComPtr<IDispatch> inner, bool offerEx, bool refusePutRef)
        : m_inner(std::move(inner)), m_innerEx(m_inner.query<IDispatchEx>()), m_offerEx(offerEx),
          m_refusePutRef(refusePutRef)
    {
    }

    std::vector<std::string> writes;

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (riid == IID_IDispatchEx && !m_offerEx) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        return com::answerQuery(riid, object, this, {{IID_IDispatch, this}, {IID_IDispatchEx, this}});
    }
    HRESULT GetTypeInfoCount(UINT* count) override { return m_inner->GetTypeInfoCount(count); }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override
    {
        return m_inner->GetIDsOfNames(riid, names, count, lcid, ids);
    }
    HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* info, UINT* argErr) override
    {
        note("Invoke", flags, result);
        return m_inner->Invoke(id, riid, lcid, flags, params, result, info, argErr);
    }
    HRESULT GetDispID(BSTR name, DWORD flags, DISPID* id) override { return m_innerEx->GetDispID(name, flags, id); }
    HRESULT InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* info,
                     IServiceProvider* caller) override
    {
        note("InvokeEx", flags, result);
        if (m_refusePutRef && (flags & DISPATCH_PROPERTYPUTREF))
            return DISP_E_MEMBERNOTFOUND;
        return m_innerEx->InvokeEx(id, lcid, flags, params, result, info, caller);
    }
    HRESULT DeleteMemberByName(BSTR name, DWORD flags) override { return m_innerEx->DeleteMemberByName(name, flags); }
    HRESULT DeleteMemberByDispID(DISPID id) override { return m_innerEx->DeleteMemberByDispID(id); }
    HRESULT GetMemberProperties(DISPID id, DWORD fetch, DWORD* properties) override
    {
        return m_innerEx->GetMemberProperties(id, fetch, properties);
    }
    HRESULT GetMemberName(DISPID id, BSTR* name) override { return m_innerEx->GetMemberName(id, name); }
    HRESULT GetNextDispID(DWORD flags, DISPID id, DISPID* next) override
    {
        return m_innerEx->GetNextDispID(flags, id, next);
    }
    HRESULT GetNameSpaceParent(IUnknown** parent) override { return m_innerEx->GetNameSpaceParent(parent); }

private:
    void note(const char* how, WORD flags, VARIANT* result)
    {
        if (flags & DISPATCH_PROPERTYPUTREF)
            writes.push_back(std::string(how) + " putref");
        else if (flags & DISPATCH_PROPERTYPUT)
            writes.push_back(std::string(how) + " put" + (result ? "" : " without result"));
    }

    com::ComPtr<IDispatch> m_inner;
    com::ComPtr<IDispatchEx> m_innerEx;
    bool m_offerEx;
    bool m_refusePutRef;
};

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

struct WriteCase {
    const char* name;
    bool offerEx;
    bool refusePutRef;
    std::vector<std::string> writes;
};

void PrintTo(const WriteCase& c, std::ostream* os)
{
    *os << c.name;
}

class PageObjectWrite : public PageObjects, public testing::WithParamInterface<WriteCase> {};

TEST_P(PageObjectWrite, AWriteByReferenceFallsBackToAPlainOne)
{
    const WriteCase& c = GetParam();
    auto face = com::ComPtr<Face>::adopt(new Face(pageDispatch("window.target = { a: 1 }"), c.offerEx, c.refusePutRef));
    auto object = PB::ActiveX::IDispatchAPI::create(face.get(), host);
    object->setProperty("a", variant("two"));
    EXPECT_EQ(face->writes, c.writes);
    page.run("console.log(target.a);");
    EXPECT_EQ(log(), (std::vector<std::string>{"two"}));
}

const WriteCase kWrites[] = {
    {"ByReference", true, false, {"InvokeEx putref"}},
    {"RefusedByReference", true, true, {"InvokeEx putref", "InvokeEx put without result"}},
    {"WithoutIDispatchEx", false, false, {"Invoke put"}},
};
INSTANTIATE_TEST_SUITE_P(Table, PageObjectWrite, testing::ValuesIn(kWrites),
                         [](const testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST_F(PageObjects, WithoutIDispatchExThereIsNothingToListOrDelete)
{
    auto face = com::ComPtr<Face>::adopt(new Face(pageDispatch("window.target = { a: 1, f: function (x) { return x + 1; } }"),
                                                  false, false));
    auto object = PB::ActiveX::IDispatchAPI::create(face.get(), host);
    EXPECT_EQ(object->getPropertySync("a").convert_cast<int>(), 1);
    EXPECT_EQ(object->invokeSync("f", {variant(2)}).convert_cast<int>(), 3);
    std::vector<std::string> names{"kept"};
    object->getMemberNames(names);
    EXPECT_EQ(names, std::vector<std::string>{"kept"});
    // Nothing to count: none, rather than a number no enumeration could reach.
    EXPECT_EQ(object->getMemberCount(), 0u);
    try {
        object->removeProperty("a");
        ADD_FAILURE() << "removed without IDispatchEx";
    } catch (const PB::script_error& e) {
        EXPECT_STREQ(e.what(), "Could not remove property");
    }
    object->removeProperty("never there");  // an unknown name is no error
    page.run("console.log('a' in target);");
    EXPECT_EQ(log(), (std::vector<std::string>{"true"}));
}

TEST_F(PageObjects, ThePluginsOwnObjectIsReachedDirectly)
{
    PB::JSAPIPtr api;
    com::ComPtr<IDispatchEx> face = apiWrapper(&api, false);  // the face does not keep it
    auto object = PB::ActiveX::IDispatchAPI::create(face.get(), host);
    ASSERT_EQ(object->getJSAPI(), api);
    EXPECT_TRUE(object->hasMethod(std::string("add")));
    EXPECT_FALSE(object->hasMethod(std::string("count")));
    EXPECT_TRUE(object->hasProperty(std::string("count")));
    object->setProperty("count", variant(7));
    variant count;
    api->getProperty("count").done([&count](variant value) { count = value; });
    EXPECT_EQ(count.convert_cast<int>(), 7);
    std::vector<std::string> names;
    object->getMemberNames(names);
    EXPECT_NE(std::find(names.begin(), names.end(), "add"), names.end());
    EXPECT_EQ(object->getMemberCount(), api->getMemberCount());
    // Calls still go through COM, and answer with the page promise the bridge makes.
    EXPECT_EQ(object->invokeSync("add", {variant(2), variant(3)}).get_type(), typeid(PB::JSObjectPtr));

    // Once the plug-in's object has gone, the page object knows nothing of it.
    std::weak_ptr<PB::JSAPI> watched = api;
    api.reset();
    plugins.clear();
    ASSERT_TRUE(watched.expired());
    EXPECT_FALSE(object->hasMethod(std::string("add")));
    EXPECT_EQ(object->getMemberCount(), 0u);
}

TEST_F(PageObjects, OtherThreadsWaitForTheMainThread)
{
    auto object = pageObject("({ n: 5, twice: function (x) { return 2 * x; } })");
    variant read, called;
    bool has = false;
    std::vector<std::string> names{"kept"};
    onWorker([&] {
        read = object->getPropertySync("n");
        called = object->invokeSync("twice", {variant(4)});
        has = object->hasProperty(std::string("n"));
        object->getMemberNames(names);
    });
    EXPECT_EQ(read.convert_cast<int>(), 5);
    EXPECT_EQ(called.convert_cast<int>(), 8);
    EXPECT_TRUE(has);
    EXPECT_EQ(names, (std::vector<std::string>{"kept", "n", "twice"}));
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
