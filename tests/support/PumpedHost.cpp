#include "support/PumpedHost.h"

#include <chrono>

namespace test {

bool PumpedHost::_scheduleAsyncCall(void (*func)(void*), void* userData) const
{
    if (m_refuse)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.emplace_back(func, userData);
    m_posted.notify_all();
    return true;
}

std::size_t PumpedHost::pump()
{
    std::size_t ran = 0;
    for (;;) {
        std::pair<void (*)(void*), void*> next;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty())
                return ran;
            next = m_queue.front();
            m_queue.pop_front();
        }
        next.first(next.second);
        ++ran;
    }
}

bool PumpedHost::pumpUntil(const std::function<bool()>& pred, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        pump();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_posted.wait_for(lock, std::chrono::milliseconds(1), [this] { return !m_queue.empty(); });
    }
    return true;
}

std::size_t PumpedHost::queued() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.size();
}

std::vector<std::pair<void (*)(void*), void*>> PumpedHost::takeQueue()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::pair<void (*)(void*), void*>> taken(m_queue.begin(), m_queue.end());
    m_queue.clear();
    return taken;
}

void PumpedHost::invokeDelayed(long delayMs, const std::shared_ptr<PB::JSObject>& obj, const PB::VariantList& args,
                               std::string method)
{
    m_delayed.push_back({delayMs, obj, args, std::move(method)});
}

}  // namespace test
