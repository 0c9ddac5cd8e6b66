#include "SerialQueue.h"

#include "ThreadName.h"

#include <future>

SerialQueue::SerialQueue(QString label) : m_label(std::move(label))
{
    m_thread = std::thread([this] { run(); });
    m_threadId = m_thread.get_id();
}

SerialQueue::~SerialQueue()
{
    decltype(m_pending) dropped;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        dropped.swap(m_pending);
    }
    m_wake.notify_all();
    // Outside the lock: dropped work may own objects whose destructors use this queue.
    dropped.clear();
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

namespace {

// Owned by the submitted item alone, so the waiter learns the outcome either
// way: the item ran, or it was dropped unrun (refused by a stopping queue, or
// cleared by its destructor) and this is destroyed with it.
class Completion
{
public:
    ~Completion()
    {
        if (!m_settled)
            m_ran.set_value(false);
    }
    std::future<bool> outcome() { return m_ran.get_future(); }
    void finish()
    {
        m_settled = true;
        m_ran.set_value(true);
    }

private:
    std::promise<bool> m_ran;
    bool m_settled = false;
};

} // namespace

bool SerialQueue::sync(const std::function<void()>& work)
{
    if (isCurrent()) {
        work();
        return true;
    }
    auto completion = std::make_shared<Completion>();
    std::future<bool> ran = completion->outcome();
    async([&work, completion = std::move(completion)] {
        work();
        completion->finish();
    });
    return ran.get();
}

void SerialQueue::run()
{
    nameCurrentThread(m_label);
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
