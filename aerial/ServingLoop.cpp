#include "ServingLoop.h"

#include <algorithm>
#include <cerrno>

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

constexpr int eventsPerTurn = 64;
// The watch id that stands for the wake-up descriptor.
constexpr ServingLoop::WatchId wakeId = 0;

} // namespace

ServingLoop::ServingLoop()
    : m_epoll(::epoll_create1(EPOLL_CLOEXEC)), m_wake(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    epoll_event event = {};
    event.events = EPOLLIN;
    event.data.u64 = wakeId;
    ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wake, &event);
}

ServingLoop::~ServingLoop()
{
    ::close(m_wake);
    ::close(m_epoll);
}

ServingLoop::WatchId ServingLoop::watch(int descriptor, std::uint32_t events, Handler handler)
{
    const WatchId id = m_nextWatch++;
    epoll_event event = {};
    event.events = events;
    event.data.u64 = id;
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, descriptor, &event) != 0)
        return 0;
    m_watches.emplace(id, Watch { descriptor, events, std::move(handler) });
    return id;
}

void ServingLoop::setEvents(WatchId id, std::uint32_t events)
{
    const auto it = m_watches.find(id);
    if (it == m_watches.end() || it->second.events == events)
        return;
    epoll_event event = {};
    event.events = events;
    event.data.u64 = id;
    ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, it->second.descriptor, &event);
    it->second.events = events;
}

void ServingLoop::unwatch(WatchId id)
{
    const auto it = m_watches.find(id);
    if (it == m_watches.end())
        return;
    // Closing the descriptor takes it out of epoll. A handler may unwatch itself while it runs: it goes once the turn is over.
    m_retired.push_back(std::move(it->second.handler));
    m_watches.erase(it);
}

void ServingLoop::afterTurn(std::function<void()> work) { m_afterTurn.push_back(std::move(work)); }

void ServingLoop::endTurn()
{
    // What runs here may leave more for the end of the turn.
    while (!m_afterTurn.empty()) {
        std::vector<std::function<void()>> work;
        work.swap(m_afterTurn);
        for (const auto& action : work)
            action();
    }
    m_retired.clear();
}

ServingLoop::TimerId ServingLoop::addTimer(std::function<void()> action)
{
    m_timers.push_back(Timer { std::nullopt, std::move(action) });
    return m_timers.size() - 1;
}

void ServingLoop::startTimer(TimerId id, std::chrono::milliseconds delay) { m_timers[id].deadline = Clock::now() + delay; }

void ServingLoop::stopTimer(TimerId id) { m_timers[id].deadline.reset(); }

void ServingLoop::post(std::function<void()> work)
{
    {
        const std::lock_guard lock(m_postedMutex);
        m_posted.push_back(std::move(work));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
}

void ServingLoop::quit()
{
    {
        const std::lock_guard lock(m_postedMutex);
        m_quit = true;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
}

int ServingLoop::timeoutMs() const
{
    std::optional<Clock::time_point> next;
    for (const Timer& timer : m_timers) {
        if (timer.deadline && (!next || *timer.deadline < *next))
            next = timer.deadline;
    }
    if (!next)
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now());
    return int(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

void ServingLoop::runDueTimers()
{
    const Clock::time_point now = Clock::now();
    for (Timer& timer : m_timers) {
        if (timer.deadline && *timer.deadline <= now) {
            timer.deadline.reset();
            timer.action();
        }
    }
}

void ServingLoop::runPosted()
{
    std::uint64_t count;
    [[maybe_unused]] const ssize_t got = ::read(m_wake, &count, sizeof count);
    std::vector<std::function<void()>> posted;
    {
        const std::lock_guard lock(m_postedMutex);
        posted.swap(m_posted);
    }
    for (const auto& work : posted)
        work();
}

void ServingLoop::run()
{
    epoll_event events[eventsPerTurn];
    for (;;) {
        {
            const std::lock_guard lock(m_postedMutex);
            if (m_quit)
                return;
        }
        const int ready = ::epoll_wait(m_epoll, events, eventsPerTurn, timeoutMs());
        for (int i = 0; i < ready; ++i) {
            const WatchId id = events[i].data.u64;
            if (id == wakeId) {
                runPosted();
                continue;
            }
            // Gone already when an earlier handler of this turn closed it.
            const auto it = m_watches.find(id);
            if (it != m_watches.end())
                it->second.handler(events[i].events);
        }
        runDueTimers();
        endTurn();
    }
}
