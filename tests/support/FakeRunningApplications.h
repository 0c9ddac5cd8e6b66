#pragma once

#include "RunningApplications.h"

#include <QSet>

// Running applications made up by a test. Terminate requests are recorded and
// accepted for listed applications unless the test makes one refuse; the list
// itself changes only when the test changes it.
class FakeRunningApplications final : public RunningApplications
{
public:
    QList<RunningApplication> runningApplications() const override;
    bool terminate(const RunningApplication& application) override;
    bool forceTerminate(const RunningApplication& application) override;

    // Adds an application; returns it.
    RunningApplication add(qint64 pid, const QString& bundleIdentifier, const QString& localizedName = QString());
    void remove(qint64 pid);
    void setRefusesTerminate(qint64 pid, bool refuses = true);
    void setRefusesForceTerminate(qint64 pid, bool refuses = true);

    // The pids asked to terminate, in order of the requests (accepted or not).
    QList<qint64> terminateRequests() const { return m_terminateRequests; }
    QList<qint64> forceTerminateRequests() const { return m_forceTerminateRequests; }

private:
    bool isListed(qint64 pid) const;

    QList<RunningApplication> m_applications;
    QSet<qint64> m_refusingTerminate;
    QSet<qint64> m_refusingForceTerminate;
    QList<qint64> m_terminateRequests;
    QList<qint64> m_forceTerminateRequests;
};
