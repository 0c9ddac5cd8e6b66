#pragma once

#include "RunningApplications.h"

#include <QObject>

class QSocketNotifier;

// Tells the moment Lanto ends, however it ends: the process found in the
// running applications is held by a process descriptor, which the kernel
// makes readable when the process exits. No polling.
class MainAppWatcher final : public QObject
{
    Q_OBJECT

public:
    explicit MainAppWatcher(const RunningApplications& applications, QObject* parent = nullptr);
    ~MainAppWatcher() override;

    // Watches the running Lanto, if any; true when one is watched now.
    bool watch();

signals:
    void terminated(const RunningApplication& application);

private:
    void release();
    void onExited();

    const RunningApplications& m_applications;
    RunningApplication m_watched;
    int m_descriptor = -1;
    QSocketNotifier* m_notifier = nullptr;
};
