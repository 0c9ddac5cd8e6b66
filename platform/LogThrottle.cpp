#include "LogThrottle.h"

bool LogThrottle::admits(int kind, Clock::time_point now)
{
    std::lock_guard lock(m_mutex);
    const auto [last, first] = m_lastWritten.try_emplace(kind, now);
    if (first)
        return true;
    if (now - last->second < m_interval)
        return false;
    last->second = now;
    return true;
}
