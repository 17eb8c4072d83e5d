#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScriptingCore/JSAPIAuto.h"
#include "ScriptingCore/ScopedZone.h"
#include "support/RecordingPageObject.h"

namespace {

using test::RecordingPageObject;

// A plug-in object with no members of its own.
class Plain : public PB::JSAPIAuto {};

void* ctx(std::uintptr_t n)
{
    return reinterpret_cast<void*>(n);
}

struct Page {
    std::vector<RecordingPageObject::Call> journal;
    std::shared_ptr<RecordingPageObject> make(const std::string& label, std::uintptr_t context, bool batches = false)
    {
        auto o = std::make_shared<RecordingPageObject>(label, ctx(context));
        o->batches = batches;
        o->journal = &journal;
        return o;
    }
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& c : journal)
            out.push_back(c.name);
        return out;
    }
};

TEST(JSAPIImpl, HandlersAreKeptOncePerNativeFunctionAndEvent)
{
    auto obj = std::make_shared<Plain>();
    Page page;
    auto fn = page.make("fn", 1);
    auto sameFunction = std::make_shared<RecordingPageObject>("fn2", ctx(1), fn->handle);
    sameFunction->journal = &page.journal;
    obj->addEventHandler("load", fn);
    obj->addEventHandler("load", sameFunction);
    obj->addEventHandler("done", fn);
    obj->fireEvent("load", {1});
    obj->fireEvent("done", {2});
    EXPECT_EQ(page.names(), (std::vector<std::string>{"fn.invoke()", "fn.invoke()"}));

    obj->removeEventHandler("load", sameFunction);  // same native handle removes it
    page.journal.clear();
    obj->fireEvent("load", {});
    obj->fireEvent("done", {});
    EXPECT_EQ(page.names(), (std::vector<std::string>{"fn.invoke()"}));

}

TEST(JSAPIImpl, RegistrationWithoutAPageObjectIsAnArgumentError)
{
    auto obj = std::make_shared<Plain>();
    Page page;
    obj->addEventHandler("e", page.make("h", 1));
    obj->addEventSink(page.make("s", 1));
    const PB::JSObjectPtr none;
    const struct {
        const char* what;
        std::function<void()> call;
    } cases[] = {
        {"addEventHandler", [&] { obj->addEventHandler("e", none); }},
        {"removeEventHandler", [&] { obj->removeEventHandler("e", none); }},
        {"addEventSink", [&] { obj->addEventSink(none); }},
        {"removeEventSink", [&] { obj->removeEventSink(none); }},
    };
    for (const auto& c : cases)
        EXPECT_THROW(c.call(), PB::invalid_arguments) << c.what;
    // The tables are as they were.
    obj->fireEvent("e", {});
    EXPECT_EQ(page.names(), (std::vector<std::string>{"h.invoke()", "s.invoke(e)"}));
}

TEST(JSAPIImpl, DeliveryOrderAcrossContextsHandlersAndSinks)
{
    auto obj = std::make_shared<Plain>();
    Page page;
    obj->addEventHandler("e", page.make("c2.h1", 2));
    obj->addEventHandler("e", page.make("c1.h1", 1));
    obj->addEventHandler("e", page.make("c1.h2", 1));
    obj->addEventSink(page.make("c1.sink", 1));
    obj->fireEvent("e", {"x"});
    EXPECT_EQ(page.names(), (std::vector<std::string>{"c1.h1.invoke()", "c1.h2.invoke()", "c2.h1.invoke()",
                                                      "c1.sink.invoke(e)"}));
}

TEST(JSAPIImpl, BatchingHandlerServesItsWholeContext)
{
    const struct {
        const char* what;
        bool firstValid;
        bool firstBatches;
        std::vector<std::string> expected;
        std::size_t handlersInBatch;
    } cases[] = {
        {"first handler batches", true, true, {"h1.callHandlers(e)"}, 2},
        {"invalid first handler is skipped; the second batches both", false, false, {"h2.callHandlers(e)"}, 2},
        {"a plain first handler turns batching off", true, false, {"h1.invoke()", "h2.invoke()"}, 0},
    };
    for (const auto& c : cases) {
        auto obj = std::make_shared<Plain>();
        Page page;
        auto h1 = page.make("h1", 1, c.firstBatches);
        h1->valid = c.firstValid;
        obj->addEventHandler("e", h1);
        obj->addEventHandler("e", page.make("h2", 1, true));
        obj->addEventSink(page.make("sink", 1));
        obj->fireEvent("e", {});
        std::vector<std::string> expected = c.expected;
        if (c.handlersInBatch == 0)
            expected.push_back("sink.invoke(e)");  // not handled by a batch: sinks on their own
        EXPECT_EQ(page.names(), expected) << c.what;
        if (c.handlersInBatch) {
            EXPECT_EQ(page.journal[0].handlers, c.handlersInBatch) << c.what;
            EXPECT_EQ(page.journal[0].sinks, 1u) << c.what;
        }
    }
}

TEST(JSAPIImpl, SinksInvalidOrBatching)
{
    auto obj = std::make_shared<Plain>();
    Page page;
    auto invalid = page.make("invalid", 1);
    invalid->valid = false;
    obj->addEventSink(invalid);
    obj->fireEvent("e", {});
    EXPECT_EQ(page.names(), (std::vector<std::string>{"invalid.invoke(e)"}));

    auto batching = std::make_shared<Plain>();
    Page other;
    batching->addEventSink(other.make("s", 3, true));
    batching->fireEvent("e", {});
    ASSERT_EQ(other.journal.size(), 1u);
    EXPECT_EQ(other.journal[0].name, "s.callHandlers(e)");
    EXPECT_EQ(other.journal[0].handlers, 0u);
    EXPECT_EQ(other.journal[0].sinks, 1u);
}

TEST(JSAPIImpl, InvalidObjectsFireNothingButStillRegister)
{
    auto obj = std::make_shared<Plain>();
    Page page;
    obj->invalidate();
    obj->addEventHandler("e", page.make("h", 1));
    obj->fireEvent("e", {});
    obj->fireEventObject("e", PB::VariantList{});
    EXPECT_TRUE(page.journal.empty());
    obj->dispatchEvent("e", {});  // direct dispatch still delivers
    EXPECT_EQ(page.names(), (std::vector<std::string>{"h.invoke()"}));
}

TEST(JSAPIImpl, ProxiesGetRewrittenArgumentsAndExpiredOnesAreDropped)
{
    auto obj = std::make_shared<Plain>();
    Page page;
    auto expired = std::make_shared<Plain>();
    auto a = std::make_shared<Plain>();
    auto b = std::make_shared<Plain>();
    obj->addEventProxy(expired);
    expired.reset();
    obj->addEventProxy(a);
    obj->addEventProxy(b);
    auto own = page.make("own", 1);
    auto onA = page.make("onA", 1);
    auto onB = page.make("onB", 1);
    obj->addEventHandler("e", own);
    a->addEventHandler("e", onA);
    b->addEventHandler("e", onB);

    PB::JSAPIPtr self = obj;
    obj->fireEvent("e", {self, PB::VariantList{self}, PB::VariantMap{{"k", self}}, 5});
    EXPECT_EQ(page.names(), (std::vector<std::string>{"onA.invoke()", "onB.invoke()", "own.invoke()"}));

    const PB::VariantList& toA = onA->calls[0].args;
    EXPECT_EQ(toA[0].cast<PB::JSAPIPtr>().get(), a.get());
    EXPECT_EQ(toA[1].cast<PB::VariantList>()[0].cast<PB::JSAPIPtr>().get(), a.get());
    EXPECT_EQ(toA[2].cast<PB::VariantMap>().at("k").cast<PB::JSAPIPtr>().get(), a.get());
    EXPECT_EQ(toA[3].cast<int>(), 5);
    EXPECT_EQ(own->calls[0].args[0].cast<PB::JSAPIPtr>().get(), obj.get());

    obj->removeEventProxy(a);
    page.journal.clear();
    obj->fireEvent("e", {});
    EXPECT_EQ(page.names(), (std::vector<std::string>{"onB.invoke()", "own.invoke()"}));
    for (auto* o : {own.get(), onA.get(), onB.get()})
        o->calls.clear();  // recorded arguments point back at the firing objects
}

TEST(JSAPIImpl, EventObjects)
{
    auto obj = std::make_shared<Plain>();
    Page page;
    auto handler = page.make("h", 1);
    auto sink = page.make("s", 1);
    obj->addEventHandler("load", handler);
    obj->addEventSink(sink);
    obj->fireEventObject("load", PB::VariantMap{{"type", "other"}, {"code", 7}, {"arguments", "replaced"}},
                         PB::VariantList{1, 2});
    ASSERT_EQ(handler->calls.size(), 1u);
    ASSERT_EQ(handler->calls[0].args.size(), 1u);
    const auto event = handler->calls[0].args[0].cast<PB::VariantMap>();
    EXPECT_EQ(event.at("type").cast<std::string>(), "load");
    EXPECT_EQ(event.at("namespaceURI").cast<std::string>(), "load");
    EXPECT_EQ(event.at("code").cast<int>(), 7);
    EXPECT_EQ(event.at("eventPhase").cast<int>(), 2);
    EXPECT_FALSE(event.at("bubbles").cast<bool>());
    EXPECT_EQ(event.at("target").cast<PB::JSAPIPtr>().get(), obj.get());
    EXPECT_EQ(event.at("arguments").cast<PB::VariantList>().size(), 2u);
    ASSERT_EQ(sink->calls.size(), 1u);
    EXPECT_EQ(sink->calls[0].name, "load");
    handler->calls.clear();
    sink->calls.clear();
}

TEST(JSAPIImpl, ScriptErrorsOfOwnHandlersAreDroppedByFireEvent)
{
    struct Throwing : RecordingPageObject {
        using RecordingPageObject::RecordingPageObject;
        PB::Promise<PB::variant> invoke(std::string, const PB::VariantList&) override
        {
            throw PB::script_error("page error");
        }
    };
    auto obj = std::make_shared<Plain>();
    obj->addEventHandler("e", std::make_shared<Throwing>("t", ctx(1)));
    EXPECT_NO_THROW(obj->fireEvent("e", {}));
    EXPECT_THROW(obj->dispatchEvent("e", {}), PB::script_error);
}

TEST(JSAPIImpl, Zones)
{
    auto obj = std::make_shared<Plain>();
    EXPECT_EQ(obj->getZone(), 0);
    {
        PB::ScopedZone outer(*obj, 3);
        PB::ScopedZone inner(*obj, 5);
        obj->setDefaultZone(-1);
        EXPECT_EQ(obj->getZone(), 5);
        EXPECT_EQ(obj->getDefaultZone(), -1);
    }
    EXPECT_EQ(obj->getZone(), -1);
}

}  // namespace
