#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ScriptingCore/DOM/Document.h"
#include "ScriptingCore/DOM/Window.h"
#include "ScriptingCore/exceptions.h"
#include "support/PageTree.h"
#include "support/PumpedHost.h"

namespace {

using PB::JSObjectPtr;
using PB::variant;
using test::TreeObject;
namespace DOM = PB::DOM;

// window -> document -> body with two <p> elements; window.location.href.
struct Page {
    std::shared_ptr<test::PumpedHost> host = std::make_shared<test::PumpedHost>();
    std::shared_ptr<TreeObject> window = TreeObject::make(host);
    std::shared_ptr<TreeObject> document = TreeObject::make(host);
    std::shared_ptr<TreeObject> location = TreeObject::make(host, {{"href", "https://bank.example/pay?x=1"}});
    std::shared_ptr<TreeObject> p1 = TreeObject::make(host, {{"innerHTML", "one"}, {"width", 40.0}});
    std::shared_ptr<TreeObject> p2 = TreeObject::make(host, {{"innerHTML", "two"}});

    Page()
    {
        window->props["document"] = JSObjectPtr(document);
        window->props["location"] = JSObjectPtr(location);
        document->methods["getElementsByTagName"] = [this](const PB::VariantList& args) {
            if (args.at(0).cast<std::string>() == "p")
                return variant(JSObjectPtr(TreeObject::array(host, {JSObjectPtr(p1), JSObjectPtr(p2)})));
            return variant(JSObjectPtr(TreeObject::array(host, {})));
        };
        document->methods["getElementById"] = [this](const PB::VariantList&) { return variant(JSObjectPtr(p1)); };
        p1->methods["getAttribute"] = [](const PB::VariantList& args) {
            return variant("attr:" + args.at(0).cast<std::string>());
        };
    }
    ~Page()
    {
        document->methods.clear();  // the methods hold this page
    }
    DOM::WindowPtr win() { return DOM::Window::create(window); }
};

template <typename T>
T valueOf(const PB::Promise<T>& promise)
{
    T value{};
    bool settled = false;
    promise.done([&](T v) {
        value = v;
        settled = true;
    });
    EXPECT_TRUE(settled);
    return value;
}

TEST(DOM, WindowThenLocationThenHref)
{
    Page page;
    EXPECT_EQ(valueOf(page.win()->getLocation()), "https://bank.example/pay?x=1");
    EXPECT_EQ(page.window->log, (std::vector<std::string>{"get location"}));
    EXPECT_EQ(page.location->log, (std::vector<std::string>{"get href"}));
}

TEST(DOM, LocationArrivingLater)
{
    Page page;
    page.window->answerLater = true;
    std::string href = "pending";
    page.win()->getLocation().done([&href](std::string h) { href = h; });
    EXPECT_EQ(href, "pending");
    page.window->answer();
    EXPECT_EQ(href, "https://bank.example/pay?x=1");

    std::string error;
    page.win()->getLocation().fail([&error](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            error = x.what();
        }
    });
    page.window->fail("no access");
    EXPECT_EQ(error, "no access");
}

TEST(DOM, ElementsByTagName)
{
    Page page;
    DOM::DocumentPtr doc = valueOf(page.win()->getDocument());
    ASSERT_TRUE(doc);
    std::vector<DOM::ElementPtr> ps = valueOf(doc->getElementsByTagName(std::wstring(L"p")));
    ASSERT_EQ(ps.size(), 2u);
    EXPECT_EQ(valueOf(ps[0]->getInnerHTML()), "one");
    EXPECT_EQ(valueOf(ps[1]->getInnerHTML()), "two");
    EXPECT_EQ(valueOf(ps[0]->getWidth()), 40);
    EXPECT_TRUE(valueOf(doc->getElementsByTagName("table")).empty());
    DOM::ElementPtr byId = valueOf(doc->getElementById("first"));
    EXPECT_EQ(valueOf(byId->getAttribute("name")), "attr:name");
}

TEST(DOM, EmptyObjectsGiveEmptyWrappers)
{
    Page page;
    page.window->props["document"] = PB::PBNull();
    EXPECT_FALSE(valueOf(page.win()->getDocument()));
    EXPECT_FALSE(DOM::Node::create(JSObjectPtr()));
    EXPECT_THROW(DOM::Node::create(page.p1)->appendChild(DOM::NodePtr()), PB::invalid_arguments);
    page.window->props.erase("location");
    bool rejected = false;
    page.win()->getLocation().fail([&rejected](std::exception_ptr) { rejected = true; });
    EXPECT_TRUE(rejected);
}

TEST(DOM, HostLostMidReadRejectsWithBadWeakPtr)
{
    auto host = std::make_shared<test::PumpedHost>();
    auto document = TreeObject::make(host);
    auto window = TreeObject::make(host);
    document->props["window"] = JSObjectPtr(window);
    document->answerLater = true;
    DOM::DocumentPtr doc = DOM::Document::create(document);
    std::string outcome = "pending";
    doc->getWindow().done([&outcome](DOM::WindowPtr) { outcome = "resolved"; },
                          [&outcome](std::exception_ptr e) {
                              try {
                                  std::rethrow_exception(e);
                              } catch (const std::bad_weak_ptr&) {
                                  outcome = "bad_weak_ptr";
                              } catch (...) {
                                  outcome = "other";
                              }
                          });
    host.reset();
    document->answer();
    EXPECT_EQ(outcome, "bad_weak_ptr");
}

TEST(DOM, ChildNodesAndWrites)
{
    Page page;
    auto list = TreeObject::array(page.host, {JSObjectPtr(page.p1), JSObjectPtr(page.p2)});
    auto parent = TreeObject::make(page.host, {{"childNodes", JSObjectPtr(list)}});
    DOM::ElementPtr element = DOM::Element::create(parent);
    EXPECT_EQ(valueOf(element->getChildNodeCount()), 2);
    EXPECT_EQ(valueOf(valueOf(element->getChildNode(1))->getInnerHTML()), "two");
    EXPECT_FALSE(valueOf(element->getParentNode()));
    element->setInnerHTML("<b>x</b>");
    element->setProperty(std::wstring(L"title"), variant("t"));
    EXPECT_EQ(parent->props["innerHTML"].cast<std::string>(), "<b>x</b>");
    EXPECT_EQ(parent->props["title"].cast<std::string>(), "t");
}

}  // namespace
