#pragma once

#include "Scheduler.h"

#include <QString>

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>

// A named serial queue on a thread of its own: work runs one item at a time,
// in the order it was submitted (delayed work in the order it falls due).
// Destroying the queue finishes the running item, drops the rest (releasing every
// sync() still waiting) and joins the thread.
class SerialQueue final : public Scheduler
{
public:
    explicit SerialQueue(QString label);
    ~SerialQueue() override;

    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const QString& label() const { return m_label; }

    // Whether the calling code runs on this queue.
    bool isCurrent() const { return std::this_thread::get_id() == m_threadId; }

    void async(std::function<void()> work);
    WorkItemPtr asyncAfter(Duration delay, std::function<void()> work) { return after(delay, std::move(work)); }

    // Runs the work on the queue and waits for it; returns whether it ran. Called
    // from the queue itself it runs inline instead of deadlocking. A queue that is
    // stopping runs nothing more: the call returns false instead of waiting forever.
    bool sync(const std::function<void()>& work);

    // The work's result, or nothing when the queue was stopping and did not run it.
    template <typename F>
        requires(!std::is_void_v<std::invoke_result_t<F&>>)
    auto sync(F&& work) -> std::optional<std::invoke_result_t<F&>>
    {
        std::optional<std::invoke_result_t<F&>> result;
        sync(std::function<void()>([&] { result.emplace(work()); }));
        return result;
    }

    Clock::time_point now() const override { return Clock::now(); }
    void schedule(WorkItemPtr item, Duration delay) override;

private:
    void run();

    struct Slot
    {
        Clock::time_point due;
        quint64 sequence;
        bool operator<(const Slot& other) const
        {
            return due != other.due ? due < other.due : sequence < other.sequence;
        }
    };

    const QString m_label;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<Slot, WorkItemPtr> m_pending;
    quint64 m_nextSequence = 0;
    bool m_stopping = false;
    std::thread m_thread;
    std::thread::id m_threadId; // set once, before any work can arrive
};
