#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PluginCore/PluginEvent.h"
#include "PluginCore/PluginEventSource.h"

namespace {

using Journal = std::vector<std::string>;

class Observer : public PB::PluginEventSink {
public:
    Observer(std::string name, Journal& journal, bool handles = false)
        : name(std::move(name)), journal(journal), handles(handles)
    {
    }
    bool HandleEvent(PB::PluginEvent* event, PB::PluginEventSource* source) override
    {
        const char* kind = dynamic_cast<PB::AttachedEvent*>(event)   ? "attached"
                           : dynamic_cast<PB::DetachedEvent*>(event) ? "detached"
                                                                     : "event";
        journal.push_back(name + ":" + kind);
        if (onEvent && std::string(kind) == "event")
            onEvent(source);
        return handles;
    }
    std::string name;
    Journal& journal;
    bool handles;
    std::function<void(PB::PluginEventSource*)> onEvent;
};

TEST(PluginEventSource, DeliveryOrderAndHandling)
{
    Journal j;
    PB::PluginEventSource source;
    PB::ResizedEvent resized;
    EXPECT_FALSE(source.SendEvent(&resized));

    auto first = std::make_shared<Observer>("a", j);
    auto second = std::make_shared<Observer>("b", j, true);
    auto third = std::make_shared<Observer>("c", j);
    source.AttachObserver(first);
    source.AttachObserver(second.get());
    source.AttachObserver(third);
    EXPECT_TRUE(source.SendEvent(&resized));
    EXPECT_EQ(j, (Journal{"a:attached", "b:attached", "c:attached", "a:event", "b:event"}));
}

TEST(PluginEventSource, DoubleAttachAndDetach)
{
    Journal j;
    PB::PluginEventSource source;
    auto twice = std::make_shared<Observer>("t", j);
    source.AttachObserver(twice);
    source.AttachObserver(twice);
    PB::ResizedEvent resized;
    source.SendEvent(&resized);
    source.DetachObserver(twice);
    EXPECT_EQ(j, (Journal{"t:attached", "t:attached", "t:event", "t:event", "t:detached", "t:detached"}));
    j.clear();
    source.SendEvent(&resized);
    EXPECT_TRUE(j.empty());
}

TEST(PluginEventSource, ExpiredObserversAreSkippedThenDropped)
{
    Journal j;
    PB::PluginEventSource source;
    auto kept = std::make_shared<Observer>("k", j);
    {
        auto gone = std::make_shared<Observer>("g", j);
        source.AttachObserver(gone);
    }
    source.AttachObserver(kept);
    j.clear();
    PB::ResizedEvent resized;
    source.SendEvent(&resized);
    EXPECT_EQ(j, (Journal{"k:event"}));
    auto other = std::make_shared<Observer>("o", j);
    source.DetachObserver(other);  // drops the expired entry on the way; "o" was never attached
    EXPECT_EQ(j, (Journal{"k:event"}));
}

TEST(PluginEventSource, ObserverMayDetachItselfDuringDelivery)
{
    Journal j;
    PB::PluginEventSource source;
    auto leaving = std::make_shared<Observer>("l", j);
    auto staying = std::make_shared<Observer>("s", j);
    leaving->onEvent = [&leaving](PB::PluginEventSource* s) { s->DetachObserver(leaving); };
    source.AttachObserver(leaving);
    source.AttachObserver(staying);
    j.clear();
    PB::ResizedEvent resized;
    source.SendEvent(&resized);
    source.SendEvent(&resized);
    EXPECT_EQ(j, (Journal{"l:event", "l:detached", "s:event", "s:event"}));
}

TEST(PluginEventSource, UnownedObserverByPointer)
{
    Journal j;
    PB::PluginEventSource source;
    Observer unowned("u", j);
    EXPECT_THROW(source.AttachObserver(&unowned), std::bad_weak_ptr);
    EXPECT_TRUE(j.empty());
}

}  // namespace
