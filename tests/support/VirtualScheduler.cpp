#include "VirtualScheduler.h"

Scheduler::Clock::time_point VirtualScheduler::now() const
{
    std::lock_guard lock(m_mutex);
    return m_now;
}

void VirtualScheduler::schedule(WorkItemPtr item, Duration delay)
{
    std::lock_guard lock(m_mutex);
    m_pending.emplace(Slot{m_now + std::max(delay, Duration::zero()), m_nextSequence++}, std::move(item));
}

void VirtualScheduler::advance(Duration by)
{
    std::unique_lock lock(m_mutex);
    const auto target = m_now + by;
    while (!m_pending.empty() && m_pending.begin()->first.due <= target) {
        auto first = m_pending.begin();
        m_now = std::max(m_now, first->first.due);
        WorkItemPtr item = std::move(first->second);
        m_pending.erase(first);
        lock.unlock();
        const bool runs = !item->isCancelled();
        item->perform();
        lock.lock();
        if (runs)
            ++m_performed;
    }
    m_now = target;
}

int VirtualScheduler::pendingCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_pending.size());
}

int VirtualScheduler::performedCount() const
{
    std::lock_guard lock(m_mutex);
    return m_performed;
}
