#include "ApplicationExitWatcher.h"

ApplicationExitWatcher::ApplicationExitWatcher(
    const RunningApplications& applications, std::chrono::milliseconds interval, QObject* parent)
    : QObject(parent), m_applications(applications), m_last(applications.runningApplications())
{
    connect(&m_timer, &QTimer::timeout, this, &ApplicationExitWatcher::check);
    m_timer.start(interval);
}

void ApplicationExitWatcher::setWatching(bool watching)
{
    if (watching == isWatching())
        return;
    if (watching) {
        m_last = m_applications.runningApplications();
        m_timer.start();
    } else {
        m_timer.stop();
    }
}

void ApplicationExitWatcher::check()
{
    QList<RunningApplication> current = m_applications.runningApplications();
    // Both lists are in ascending pid order. A pid taken over by another
    // program counts as the old application gone.
    auto now = current.cbegin();
    QList<RunningApplication> gone;
    for (const RunningApplication& before : std::as_const(m_last)) {
        while (now != current.cend() && now->pid < before.pid)
            ++now;
        const bool stillRunning
            = now != current.cend() && now->pid == before.pid && now->bundleIdentifier == before.bundleIdentifier;
        if (!stillRunning)
            gone.append(before);
    }
    m_last = std::move(current);
    for (const RunningApplication& application : std::as_const(gone))
        emit terminated(application);
}
