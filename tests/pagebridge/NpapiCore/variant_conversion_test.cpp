// Values between the page and the plug-in, both ways.

#include <gtest/gtest.h>

#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

#include "NpapiCore/NPObjectAPI.h"
#include "NpapiFixture.h"

namespace {

using test::FakeBrowser;

class NPVariantConversion : public test::NpapiTest {
protected:
    void SetUp() override
    {
        NpapiTest::SetUp();
        npHost = host(newInstance());
    }
    void TearDown() override
    {
        npHost.reset();
        NpapiTest::TearDown();
    }
    std::string toPage(const PB::variant& value, NPVariantType* type = nullptr)
    {
        NPVariant out;
        out.type = NPVariantType_Object;  // must be overwritten
        npHost->getNPVariant(&out, value);
        if (type)
            *type = out.type;
        const std::string text = FakeBrowser::describe(out);
        browser->release(&out);
        return text;
    }
    std::shared_ptr<PB::Npapi::NpapiBrowserHost> npHost;
};

TEST_F(NPVariantConversion, PluginValuesReachThePage)
{
    const struct {
        const char* what;
        PB::variant value;
        NPVariantType type;
        std::string page;
    } cases[] = {
        {"bool", PB::variant(true), NPVariantType_Bool, "true"},
        {"int", PB::variant(-3), NPVariantType_Int32, "-3"},
        {"small long", PB::variant(5L), NPVariantType_Int32, "5"},
        {"wide long", PB::variant(5000000000L), NPVariantType_String, "'5000000000'"},
        {"unsigned int", PB::variant(4000000000u), NPVariantType_String, "'4000000000'"},
        {"long long", PB::variant(5LL), NPVariantType_String, "'5'"},
        {"unsigned long long", PB::variant(7ULL), NPVariantType_String, "'7'"},
        {"double", PB::variant(2.5), NPVariantType_Double, "2.5"},
        {"string", PB::variant("text"), NPVariantType_String, "'text'"},
        {"wide string", PB::variant(std::wstring(L"caf\u00e9")), NPVariantType_String, "'caf\xc3\xa9'"},
        {"PBNull", PB::variant(PB::PBNull()), NPVariantType_Null, "null"},
        {"page null", PB::variant(PB::variant_detail::null()), NPVariantType_Null, "null"},
        {"no value", PB::variant(), NPVariantType_Void, "void"},
        {"undefined", PB::variant(PB::variant_detail::empty()), NPVariantType_Void, "void"},
        {"list", PB::variant(PB::VariantList{1, "a"}), NPVariantType_Object, "[1, 'a']"},
        // The page's Array(n) of one number would make an empty array of length n.
        {"list of one number", PB::variant(PB::VariantList{3}), NPVariantType_Object, "[3]"},
        {"list of one fraction", PB::variant(PB::VariantList{2.5}), NPVariantType_Object, "[2.5]"},
        {"list of one list", PB::variant(PB::VariantList{PB::VariantList{5}}), NPVariantType_Object, "[[5]]"},
        {"empty list", PB::variant(PB::VariantList{}), NPVariantType_Object, "[]"},
        {"map", PB::variant(PB::VariantMap{{"a", 1}, {"b", "x"}}), NPVariantType_Object, "{a: 1, b: 'x'}"},
        {"no scriptable object", PB::variant(PB::JSAPIPtr()), NPVariantType_Null, "null"},
        {"no page object", PB::variant(PB::JSObjectPtr()), NPVariantType_Null, "null"},
        {"exception", PB::variant(std::runtime_error("bad")), NPVariantType_Object, "Error(bad)"},
        {"exception pointer", PB::variant(std::make_exception_ptr(std::runtime_error("oops"))),
         NPVariantType_Object, "Error(oops)"},
        {"foreign exception", PB::variant(std::make_exception_ptr(3)), NPVariantType_String,
         "'Unknown exception'"},
        {"pair", PB::variant(std::make_pair(1u, 2u)), NPVariantType_Void, "void"},
    };
    for (const auto& c : cases) {
        NPVariantType type = NPVariantType_Void;
        EXPECT_EQ(toPage(c.value, &type), c.page) << c.what;
        EXPECT_EQ(type, c.type) << c.what;
    }
}

TEST_F(NPVariantConversion, AnExceptionWithoutThePageHelperArrivesAsText)
{
    browser->failEvaluate = true;
    EXPECT_EQ(toPage(PB::variant(std::runtime_error("bad"))), "'bad'");
}

TEST_F(NPVariantConversion, PageValuesReachThePlugin)
{
    NPVariant unknown;
    unknown.type = static_cast<NPVariantType>(7);
    NPVariant unterminated;
    unterminated.type = NPVariantType_String;
    unterminated.value.stringValue = NPString{"abcdef", 3};
    const struct {
        const char* what;
        NPVariant value;
        const std::type_info& type;
        std::string text;
    } cases[] = {
        {"void", FakeBrowser::voidValue(), typeid(void), ""},
        {"unknown type", unknown, typeid(void), ""},
        {"null", [] {
             NPVariant v;
             v.type = NPVariantType_Null;
             return v;
         }(),
         typeid(PB::variant_detail::null), ""},
        {"bool", FakeBrowser::boolValue(true), typeid(bool), "true"},
        {"int", FakeBrowser::intValue(-4), typeid(int), "-4"},
        {"double", FakeBrowser::doubleValue(0.5), typeid(double), "0.5"},
        {"string by its length", unterminated, typeid(std::string), "abc"},
    };
    for (const auto& c : cases) {
        const PB::variant value = npHost->getVariant(&c.value);
        EXPECT_EQ(value.get_type(), c.type) << c.what;
        if (!c.text.empty()) {
            EXPECT_EQ(value.convert_cast<std::string>(), c.text) << c.what;
        }
    }
}

TEST_F(NPVariantConversion, PageObjectsKeepTheirIdentityBothWays)
{
    NPObject* window = browser->window();
    const uint32_t before = browser->refCount(window);
    NPVariant in = FakeBrowser::objectValue(window);
    PB::variant value = npHost->getVariant(&in);
    auto page = std::dynamic_pointer_cast<PB::Npapi::NPObjectAPI>(value.cast<PB::JSObjectPtr>());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->getNPObject(), window);
    EXPECT_EQ(browser->refCount(window), before + 1);

    NPVariant out;
    npHost->getNPVariant(&out, value);
    EXPECT_EQ(out.value.objectValue, window);
    EXPECT_EQ(browser->refCount(window), before + 2);
    browser->release(&out);
    value = PB::variant();
    page.reset();
    EXPECT_EQ(browser->refCount(window), before);
}

TEST_F(NPVariantConversion, AScriptingObjectHasOnePageFaceWhileItLives)
{
    auto api = std::make_shared<test::TestApi>();
    NPVariant first, second;
    npHost->getNPVariant(&first, PB::variant(PB::JSAPIPtr(api)));
    npHost->getNPVariant(&second, PB::variant(PB::JSAPIPtr(api)));
    ASSERT_EQ(first.type, NPVariantType_Object);
    EXPECT_EQ(first.value.objectValue, second.value.objectValue);
    EXPECT_EQ(browser->refCount(first.value.objectValue), 2u);
    // The host keeps the object alive while the page holds its face.
    std::weak_ptr<test::TestApi> weak = api;
    api.reset();
    EXPECT_FALSE(weak.expired());
    browser->release(&first);
    browser->release(&second);
    EXPECT_TRUE(weak.expired());
}

// The plug-in may let go of its objects on another thread (as a plug-in
// object does when it goes) while the main thread lets go of page faces and
// makes new ones: both reach the host's cache of page faces.
TEST_F(NPVariantConversion, PageFacesMayBeLetGoOnTwoThreadsAtOnce)
{
    for (int round = 0; round < 20; ++round) {
        std::vector<std::shared_ptr<test::TestApi>> apis;
        std::vector<NPVariant> faces(8);
        for (NPVariant& face : faces) {
            apis.push_back(std::make_shared<test::TestApi>());
            npHost->getNPVariant(&face, PB::variant(PB::JSAPIPtr(apis.back())));
        }
        std::promise<void> go;
        std::shared_future<void> started = go.get_future().share();
        std::thread worker([&] {
            started.wait();
            npHost->releaseAllJSAPI();
        });
        go.set_value();
        for (NPVariant& face : faces) {
            browser->release(&face);
            NPVariant again;
            npHost->getNPVariant(&again, PB::variant(PB::JSAPIPtr(apis.front())));
            browser->release(&again);
        }
        worker.join();
    }
    EXPECT_EQ(npHost->retainedCount(), 0u);
}

}  // namespace
