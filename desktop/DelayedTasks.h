#pragma once

#include "Scheduler.h"

#include <functional>
#include <memory>
#include <vector>

// One-shot delayed work with an owner: whatever has not run when the owner
// goes is cancelled, so no task outlives what it touches.
class DelayedTasks
{
public:
    explicit DelayedTasks(Scheduler& scheduler) : m_scheduler(scheduler) { }
    ~DelayedTasks();

    DelayedTasks(const DelayedTasks&) = delete;
    DelayedTasks& operator=(const DelayedTasks&) = delete;

    Scheduler& scheduler() const { return m_scheduler; }

    // Runs work once after the delay unless the owner is gone by then.
    void after(Scheduler::Duration delay, std::function<void()> work);
    // Tasks that have neither run nor been cancelled.
    int pendingCount() const;

private:
    Scheduler& m_scheduler;
    std::vector<std::weak_ptr<WorkItem>> m_items;
};
