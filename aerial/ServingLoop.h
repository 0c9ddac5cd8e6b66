#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

// The event loop of one serving thread of the loopback server, over epoll:
// level-triggered watches of descriptors, one-shot timers, and work posted
// from other threads. epoll hands back only the descriptors that are ready,
// so a loop holding hundreds of connections does no work per idle one.
// Everything but post() and quit() is called on the loop's own thread.
class ServingLoop
{
public:
    using Clock = std::chrono::steady_clock;
    using Handler = std::function<void(std::uint32_t events)>;
    using WatchId = std::uint64_t;
    using TimerId = std::size_t;

    ServingLoop();
    ~ServingLoop();
    ServingLoop(const ServingLoop&) = delete;
    ServingLoop& operator=(const ServingLoop&) = delete;

    // Watches the descriptor for the epoll events (EPOLLIN, EPOLLOUT); 0 on failure.
    WatchId watch(int descriptor, std::uint32_t events, Handler handler);
    // Changes what is watched for; nothing when it is already that.
    void setEvents(WatchId id, std::uint32_t events);
    // Forgets the watch just before its descriptor is closed (which takes it out
    // of epoll); its handler is never called again.
    void unwatch(WatchId id);

    // Runs the work at the end of the current turn, once no handler is running:
    // where a handler's owner may be deleted.
    void afterTurn(std::function<void()> work);

    TimerId addTimer(std::function<void()> action);
    // (Re)starts the timer to fire once after the delay.
    void startTimer(TimerId id, std::chrono::milliseconds delay);
    void stopTimer(TimerId id);
    bool isTimerActive(TimerId id) const { return m_timers[id].deadline.has_value(); }

    // From any thread: runs the work on the loop's thread, in order.
    void post(std::function<void()> work);
    // Runs until quit().
    void run();
    // From any thread; the loop ends after the turn it is in.
    void quit();

private:
    struct Watch
    {
        int descriptor;
        std::uint32_t events;
        Handler handler;
    };
    struct Timer
    {
        std::optional<Clock::time_point> deadline;
        std::function<void()> action;
    };

    int timeoutMs() const;
    void runDueTimers();
    void runPosted();
    void endTurn();

    int m_epoll = -1;
    int m_wake = -1; // an eventfd, readable while work is posted
    WatchId m_nextWatch = 1;
    std::unordered_map<WatchId, Watch> m_watches;
    std::vector<Timer> m_timers;
    std::mutex m_postedMutex;
    std::vector<std::function<void()>> m_posted;
    bool m_quit = false; // guarded by m_postedMutex
    std::vector<std::function<void()>> m_afterTurn;
    std::vector<Handler> m_retired;
};
