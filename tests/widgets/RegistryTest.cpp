// The object lists, ids, and how events find their handlers.
#include "WidgetFixture.h"

#include "widgets/TButton.h"
#include "widgets/TObjectManager.h"

#include <vector>

namespace widgets_test {
namespace {

// Counts its deletions; not a widget, so the global registry never lists it.
struct Counted : TObject {
    explicit Counted(int* deleted) : deleted_(deleted) {}
    ~Counted() override { ++*deleted_; }
    int* deleted_;
};

std::vector<TObject*> listed(const TObjectManager& list) {
    std::vector<TObject*> objects;
    for (TObject* at = list.head(); at; at = at->next) objects.push_back(at);
    return objects;
}

TEST(ObjectManager, AddRemoveAndFind) {
    int deleted = 0;
    Counted a(&deleted), b(&deleted), c(&deleted), stranger(&deleted);
    struct Step {
        const char* what;
        std::function<bool(TObjectManager&)> act;
        bool answer;
        std::vector<TObject*> after;
    } steps[] = {
        {"front on empty", [&](TObjectManager& l) { l.add(&b, true); return true; }, true, {&b}},
        {"tail", [&](TObjectManager& l) { l.add(&c, false); return true; }, true, {&b, &c}},
        {"front", [&](TObjectManager& l) { l.add(&a, true); return true; }, true, {&a, &b, &c}},
        {"null ignored", [&](TObjectManager& l) { l.add(nullptr, false); return true; }, true, {&a, &b, &c}},
        {"stranger", [&](TObjectManager& l) { return l.remove(&stranger, false); }, false, {&a, &b, &c}},
        {"null", [&](TObjectManager& l) { return l.remove(nullptr, true); }, false, {&a, &b, &c}},
        {"tail", [&](TObjectManager& l) { return l.remove(&c, false); }, true, {&a, &b}},
        {"head", [&](TObjectManager& l) { return l.remove(&a, false); }, true, {&b}},
        {"only", [&](TObjectManager& l) { return l.remove(&b, false); }, true, {}},
    };
    TObjectManager list;
    for (Step& step : steps) {
        EXPECT_EQ(step.answer, step.act(list)) << step.what;
        EXPECT_EQ(step.after, listed(list)) << step.what;
        EXPECT_EQ(step.after.size(), list.count()) << step.what;
        EXPECT_EQ(step.after.empty() ? nullptr : step.after.back(), list.tail()) << step.what;
    }
    list.add(&a, false);
    EXPECT_EQ(&a, list.find(&a));
    EXPECT_EQ(nullptr, list.find(&stranger));
    EXPECT_EQ(nullptr, list.find(nullptr));
    list.reset();
    EXPECT_EQ(0u, list.count());
    EXPECT_EQ(nullptr, list.head());
    EXPECT_EQ(0, deleted);
}

TEST(ObjectManager, DeletingRemoveAndClear) {
    int deleted = 0;
    {
        TObjectManager list;
        EXPECT_FALSE(list.remove(new Counted(&deleted), true));  // not listed, deleted all the same
        EXPECT_EQ(1, deleted);
        for (int i = 0; i < 3; ++i) list.add(new Counted(&deleted), false);
        list.clear();
        EXPECT_EQ(4, deleted);
        EXPECT_EQ(0u, list.count());
        list.add(new Counted(&deleted), false);
    }  // a plain manager deletes what it still lists
    EXPECT_EQ(5, deleted);
}

TEST_F(WidgetTest, IdsGrowAndWidgetsListThemselvesForTheirLifetime) {
    TButton first;
    auto second = std::make_unique<TButton>();
    EXPECT_GT(second->id, first.id);
    EXPECT_EQ(&first, objectListFind(&first));
    EXPECT_EQ(second.get(), objectListFind(second.get()));
    TObject* gone = second.get();
    second.reset();
    EXPECT_EQ(nullptr, objectListFind(gone));
    EXPECT_EQ(0, first.getWidth());  // no window: nothing to measure
    EXPECT_FALSE(first.move(1, 1));
}

int calls[3];
bool first(TWidget*, TWidget*, TWindowEvent*) {
    ++calls[0];
    return true;
}
bool second(TWidget*, TWidget*, TWindowEvent*) {
    ++calls[1];
    return false;
}
bool third(TWidget*, TWidget*, TWindowEvent*) {
    ++calls[2];
    return false;
}

TEST_F(WidgetTest, DispatchCallsTheFirstPairOfTheCode) {
    TButton target;
    EXPECT_FALSE(target.addHandler(0, &first));
    EXPECT_FALSE(target.addHandler(14, nullptr));
    ASSERT_TRUE(target.addHandler(14, &first));
    ASSERT_TRUE(TControl::addHandler(14, &target, &second));  // never called: the first pair counts
    ASSERT_TRUE(TControl::addHandler(15, &target, &third));
    struct Case {
        TWidget* widget;
        int code;
        bool handled;
        std::vector<int> calls;
    } cases[] = {
        {&target, 14, true, {1, 0, 0}},
        {&target, 15, false, {0, 0, 1}},
        {&target, 17, true, {0, 0, 0}},  // no pair: handled
        {&target, 0, true, {0, 0, 0}},   // code 0 is never dispatched
        {nullptr, 14, true, {0, 0, 0}},  // no target
    };
    for (const Case& c : cases) {
        calls[0] = calls[1] = calls[2] = 0;
        TWindowEvent event(c.widget, c.code, 0, 0);
        EXPECT_EQ(c.handled, TControl::dispatchEvent(nullptr, &event)) << c.code;
        EXPECT_EQ(c.calls, std::vector<int>(calls, calls + 3)) << c.code;
    }
    EXPECT_EQ(&third, TControl::findHandler(15, &target));
    EXPECT_EQ(nullptr, TControl::findHandler(15, nullptr));
}

}  // namespace
}  // namespace widgets_test
