#pragma once

#include <QtGlobal>

#include <chrono>
#include <map>
#include <mutex>

// Lets one log line of each kind through per interval, so that something
// that fails the same way over and over (a peer resetting every connection)
// cannot flood the log. Kinds are small numbers (errno values), so the record
// stays small. Any thread.
class LogThrottle
{
public:
    using Clock = std::chrono::steady_clock;

    explicit LogThrottle(Clock::duration interval) : m_interval(interval) { }

    // Whether a line of this kind may be written now: none went out within the interval.
    bool admits(int kind, Clock::time_point now = Clock::now());

private:
    const Clock::duration m_interval;
    std::mutex m_mutex;
    std::map<int, Clock::time_point> m_lastWritten;
};
