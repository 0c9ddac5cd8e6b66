#include "SerialQueue.h"

#include <future>

SerialQueue::SerialQueue(QString label) : m_label(std::move(label))
{
    m_thread = std::thread([this] { run(); });
}

SerialQueue::~SerialQueue()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_pending.clear();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void SerialQueue::async(std::function<void()> work)
{
    schedule(std::make_shared<WorkItem>(std::move(work)), Duration::zero());
}

void SerialQueue::schedule(WorkItemPtr item, Duration delay)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stopping)
            return;
        m_pending.emplace(Slot{Clock::now() + std::max(delay, Duration::zero()), m_nextSequence++},
                          std::move(item));
    }
    m_wake.notify_all();
}

void SerialQueue::sync(const std::function<void()>& work)
{
    if (isCurrent()) {
        work();
        return;
    }
    std::promise<void> done;
    async([&] {
        work();
        done.set_value();
    });
    done.get_future().wait();
}

void SerialQueue::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopping) {
        if (m_pending.empty()) {
            m_wake.wait(lock);
            continue;
        }
        const auto first = m_pending.begin();
        // A copy: the destructor may clear the map while this thread waits.
        const auto due = first->first.due;
        if (due > Clock::now()) {
            m_wake.wait_until(lock, due);
            continue;
        }
        WorkItemPtr item = std::move(first->second);
        m_pending.erase(first);
        lock.unlock();
        item->perform();
        lock.lock();
    }
}
