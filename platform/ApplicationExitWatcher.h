#pragma once

#include "RunningApplications.h"

#include <QObject>
#include <QTimer>

#include <chrono>

// Notices applications that have ended, by comparing the running applications
// with those of the last look. Linux tells an unrelated process nothing when
// another one ends, so the watcher looks at a fixed interval.
class ApplicationExitWatcher : public QObject
{
    Q_OBJECT

public:
    ApplicationExitWatcher(
        const RunningApplications& applications, std::chrono::milliseconds interval, QObject* parent = nullptr);

    // Looks now: emits terminated for each application of the last look that is gone.
    void check();
    // Looks at the interval (as it does from the start) or not at all; going
    // back to it starts from the applications running then.
    void setWatching(bool watching);
    bool isWatching() const { return m_timer.isActive(); }

signals:
    void terminated(const RunningApplication& application);

private:
    const RunningApplications& m_applications;
    QList<RunningApplication> m_last;
    QTimer m_timer;
};
