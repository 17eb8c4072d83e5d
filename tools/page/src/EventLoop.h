#pragma once
// The page's queues: timers on a virtual clock, and tasks posted by the host
// (from any thread). The page runs them (Page::runLoop); this only orders them.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "page/Value.h"

namespace page {

class EventLoop {
public:
    using Task = std::function<void()>;

    // A timer due delay ms from now, running the held record; its id (never 0).
    std::uint32_t addTimer(double delayMs, ObjectId record);
    // The record of a pending timer, removed; 0 when there is none.
    ObjectId clearTimer(std::uint32_t id);
    // The earliest timer (the one added first among equals), removed; the
    // clock moves to its time. 0 when there is none.
    ObjectId takeDueTimer();
    // Every pending timer's record, removed.
    std::vector<ObjectId> clearAll();

    void post(Task task);
    bool takeTask(Task& task);
    bool hasTasks();

    double now() const { return m_now; }
    std::size_t pendingTimers() const { return m_timers.size(); }

private:
    double m_now = 0;
    std::uint32_t m_nextTimer = 1;
    std::map<std::pair<double, std::uint32_t>, ObjectId> m_timers;
    std::map<std::uint32_t, double> m_dueOf;

    std::mutex m_mutex;
    std::deque<Task> m_tasks;
};

}  // namespace page
