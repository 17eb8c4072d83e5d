#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ScriptingCore/AsyncCallManager.h"

namespace {

using PB::AsyncCallManager;
using PB::PendingAsyncCall;

void count(void* data)
{
    ++*static_cast<int*>(data);
}

TEST(AsyncCallManager, CallIdsStartAtTwo)
{
    auto manager = std::make_shared<AsyncCallManager>();
    int runs = 0;
    PendingAsyncCall* first = manager->makeCallback(&count, &runs);
    PendingAsyncCall* second = manager->makeCallback(&count, &runs);
    EXPECT_EQ(first->callId, 2);
    EXPECT_EQ(second->callId, 3);
    AsyncCallManager::callTrampoline(first->handle());
    AsyncCallManager::callTrampoline(second->handle());
    EXPECT_EQ(runs, 2);
}

TEST(AsyncCallManager, EachRecordRunsAtMostOnce)
{
    auto manager = std::make_shared<AsyncCallManager>();
    int runs = 0;
    void* handle = manager->makeCallback(&count, &runs)->handle();
    AsyncCallManager::callTrampoline(handle);
    AsyncCallManager::callTrampoline(handle);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(manager->pendingCount(), 0u);
}

TEST(AsyncCallManager, WithdrawnRecordNeverRuns)
{
    auto manager = std::make_shared<AsyncCallManager>();
    int runs = 0;
    PendingAsyncCall* record = manager->makeCallback(&count, &runs);
    void* handle = record->handle();
    manager->removeCall(record);
    EXPECT_EQ(manager->pendingCount(), 0u);
    // A host that delivers a refused post anyway reaches nothing.
    AsyncCallManager::callTrampoline(handle);
    EXPECT_EQ(runs, 0);
}

TEST(AsyncCallManager, ShutdownRunsEachPendingRecordOnce)
{
    auto manager = std::make_shared<AsyncCallManager>();
    int runs[3] = {0, 0, 0};
    std::vector<void*> handles;
    for (int& r : runs)
        handles.push_back(manager->makeCallback(&count, &r)->handle());
    manager->shutdown();
    EXPECT_EQ(manager->pendingCount(), 0u);
    EXPECT_EQ(manager->cancelledCount(), 3u);
    for (void* handle : handles)
        AsyncCallManager::callTrampoline(handle);
    for (int r : runs)
        EXPECT_EQ(r, 1);
}

TEST(AsyncCallManager, DeliveryAfterTheManagerIsGoneDoesNothing)
{
    int runs = 0;
    std::vector<void*> handles;
    {
        auto manager = std::make_shared<AsyncCallManager>();
        handles.push_back(manager->makeCallback(&count, &runs)->handle());  // never cancelled
        handles.push_back(manager->makeCallback(&count, &runs)->handle());
        manager->shutdown();  // runs both
        handles.push_back(manager->makeCallback(&count, &runs)->handle());  // made after shutdown
    }
    for (void* handle : handles)
        AsyncCallManager::callTrampoline(handle);
    EXPECT_EQ(runs, 2);
}

TEST(AsyncCallManager, RequiresSharedOwnership)
{
    AsyncCallManager unowned;
    int runs = 0;
    EXPECT_THROW(unowned.makeCallback(&count, &runs), std::bad_weak_ptr);
    EXPECT_EQ(unowned.pendingCount(), 0u);
}

}  // namespace
