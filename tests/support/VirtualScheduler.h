#pragma once

#include "Scheduler.h"

#include <map>
#include <mutex>

// Virtual time for tests: scheduled work runs only when the test advances the
// clock, on the test's thread, in the order it falls due.
class VirtualScheduler final : public Scheduler
{
public:
    Clock::time_point now() const override;
    void schedule(WorkItemPtr item, Duration delay) override;

    // Moves the clock forward, running every item that falls due on the way.
    void advance(Duration by);

    // Items scheduled and not yet due, cancelled ones included.
    int pendingCount() const;
    // Items that ran their work (cancelled ones are not counted).
    int performedCount() const;

private:
    struct Slot
    {
        Clock::time_point due;
        quint64 sequence;
        bool operator<(const Slot& other) const
        {
            return due != other.due ? due < other.due : sequence < other.sequence;
        }
    };

    mutable std::mutex m_mutex;
    Clock::time_point m_now{};
    std::map<Slot, WorkItemPtr> m_pending;
    quint64 m_nextSequence = 0;
    int m_performed = 0;
};
