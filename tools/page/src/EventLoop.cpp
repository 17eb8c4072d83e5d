#include "EventLoop.h"

#include <vector>

namespace page {

std::uint32_t EventLoop::addTimer(double delayMs, ObjectId record)
{
    const std::uint32_t id = m_nextTimer++;
    if (m_nextTimer == 0)
        m_nextTimer = 1;
    const double due = m_now + (delayMs > 0 ? delayMs : 0);
    m_timers[{due, id}] = record;
    m_dueOf[id] = due;
    return id;
}

ObjectId EventLoop::clearTimer(std::uint32_t id)
{
    auto due = m_dueOf.find(id);
    if (due == m_dueOf.end())
        return 0;
    auto timer = m_timers.find({due->second, id});
    const ObjectId record = timer->second;
    m_timers.erase(timer);
    m_dueOf.erase(due);
    return record;
}

ObjectId EventLoop::takeDueTimer()
{
    if (m_timers.empty())
        return 0;
    auto first = m_timers.begin();
    if (first->first.first > m_now)
        m_now = first->first.first;
    const ObjectId record = first->second;
    m_dueOf.erase(first->first.second);
    m_timers.erase(first);
    return record;
}

std::vector<ObjectId> EventLoop::clearAll()
{
    std::vector<ObjectId> records;
    for (const auto& timer : m_timers)
        records.push_back(timer.second);
    m_timers.clear();
    m_dueOf.clear();
    return records;
}

void EventLoop::post(Task task)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_tasks.push_back(std::move(task));
}

bool EventLoop::hasTasks()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_tasks.empty();
}

bool EventLoop::takeTask(Task& task)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_tasks.empty())
        return false;
    task = std::move(m_tasks.front());
    m_tasks.pop_front();
    return true;
}

}  // namespace page
