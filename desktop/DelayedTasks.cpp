#include "DelayedTasks.h"

#include <algorithm>

DelayedTasks::~DelayedTasks()
{
    for (const std::weak_ptr<WorkItem>& weak : m_items) {
        if (const WorkItemPtr item = weak.lock())
            item->cancel();
    }
}

void DelayedTasks::after(Scheduler::Duration delay, std::function<void()> work)
{
    // Items that ran are released by the scheduler; forget them as we go.
    std::erase_if(m_items, [](const std::weak_ptr<WorkItem>& weak) { return weak.expired(); });
    m_items.push_back(m_scheduler.after(delay, std::move(work)));
}

int DelayedTasks::pendingCount() const
{
    return int(std::count_if(m_items.cbegin(), m_items.cend(), [](const std::weak_ptr<WorkItem>& weak) {
        const WorkItemPtr item = weak.lock();
        return item && !item->isCancelled();
    }));
}
