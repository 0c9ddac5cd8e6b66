#pragma once

#include <QObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

// A unit of delayed or queued work that can be cancelled until it starts.
class WorkItem
{
public:
    explicit WorkItem(std::function<void()> work) : m_work(std::move(work)) {}

    // Thread-safe. A cancelled item never runs; cancelling a running item has no effect on it.
    void cancel() { m_cancelled.store(true); }
    bool isCancelled() const { return m_cancelled.load(); }

    // Runs the work unless the item was cancelled.
    void perform()
    {
        if (!isCancelled())
            m_work();
    }

private:
    std::function<void()> m_work;
    std::atomic<bool> m_cancelled{false};
};

using WorkItemPtr = std::shared_ptr<WorkItem>;

// Where and when delayed work runs. Production code takes a Scheduler so that
// tests can drive delays from 0.05 s to minutes in virtual time.
class Scheduler
{
public:
    using Clock = std::chrono::steady_clock;
    using Duration = Clock::duration;

    virtual ~Scheduler() = default;

    virtual Clock::time_point now() const = 0;

    // Runs the item once, after the delay, unless it is cancelled first.
    virtual void schedule(WorkItemPtr item, Duration delay) = 0;

    WorkItemPtr after(Duration delay, std::function<void()> work)
    {
        auto item = std::make_shared<WorkItem>(std::move(work));
        schedule(item, delay);
        return item;
    }
};

// Runs delayed work on the main thread's event loop: the "main actor after N s" of the programs.
// Work still pending when the scheduler is destroyed never runs.
class MainThreadScheduler final : public Scheduler
{
public:
    MainThreadScheduler();
    ~MainThreadScheduler() override;

    // The process-wide instance; needs a QCoreApplication.
    static MainThreadScheduler& shared();

    Clock::time_point now() const override { return Clock::now(); }
    void schedule(WorkItemPtr item, Duration delay) override;

private:
    std::unique_ptr<QObject> m_context;
};
