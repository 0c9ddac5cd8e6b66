#include "WindowOrderKeeper.h"

#include "DesktopWindow.h"
#include "Log.h"

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto pollInterval = 2000ms;
constexpr std::chrono::milliseconds reassertionDelays[] = { 50ms, 150ms, 300ms, 600ms, 1000ms, 2000ms };

} // namespace

WindowOrderKeeper::WindowOrderKeeper(const Windows& windows, Scheduler& scheduler)
    : m_windows(windows), m_reassertions(scheduler), m_scheduler(scheduler)
{
}

WindowOrderKeeper::~WindowOrderKeeper() { stopZOrderPolling(); }

void WindowOrderKeeper::reassertWindowLevels() { reassertWindowLevels(m_windows); }

void WindowOrderKeeper::reassertWindowLevels(const Windows& windows)
{
    for (const auto& [id, window] : windows) {
        if (!window->isVisible())
            continue;
        window->setLevel(DesktopLevelWindow::desktopLevel);
        window->orderFront();
    }
}

void WindowOrderKeeper::bringShownWindowsForward(const Windows& windows)
{
    for (const auto& [id, window] : windows) {
        if (window->isVisible())
            window->orderFront();
    }
}

bool WindowOrderKeeper::hasVisibleWindow() const
{
    for (const auto& [id, window] : m_windows) {
        if (window->isVisible())
            return true;
    }
    return false;
}

void WindowOrderKeeper::startZOrderPolling()
{
    stopZOrderPolling();
    scheduleNextTick();
}

void WindowOrderKeeper::stopZOrderPolling()
{
    if (m_poll)
        m_poll->cancel();
    m_poll.reset();
}

void WindowOrderKeeper::scheduleNextTick()
{
    m_poll = m_scheduler.after(pollInterval, [this] {
        pollZOrder();
        if (m_poll)
            scheduleNextTick();
    });
}

void WindowOrderKeeper::pollZOrder()
{
    if (!hasVisibleWindow()) {
        stopZOrderPolling();
        return;
    }
    for (const auto& [id, window] : m_windows) {
        if (!window->isVisible())
            continue;
        if (!window->isOcclusionVisible()) {
            reassertWindowLevels();
            Log::write(QStringLiteral("Lanto: Z-order poll re-assert"));
            return;
        }
    }
}

void WindowOrderKeeper::scheduleReassertions()
{
    for (const auto delay : reassertionDelays) {
        m_reassertions.after(delay, [this] {
            if (hasVisibleWindow())
                reassertWindowLevels();
        });
    }
}
