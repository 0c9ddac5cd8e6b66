#include "FakeRunningApplications.h"

#include <algorithm>

QList<RunningApplication> FakeRunningApplications::runningApplications() const
{
    QList<RunningApplication> sorted = m_applications;
    std::stable_sort(sorted.begin(), sorted.end(),
        [](const RunningApplication& a, const RunningApplication& b) { return a.pid < b.pid; });
    return sorted;
}

bool FakeRunningApplications::terminate(const RunningApplication& application)
{
    m_terminateRequests.append(application.pid);
    return isListed(application.pid) && !m_refusingTerminate.contains(application.pid);
}

bool FakeRunningApplications::forceTerminate(const RunningApplication& application)
{
    m_forceTerminateRequests.append(application.pid);
    return isListed(application.pid) && !m_refusingForceTerminate.contains(application.pid);
}

RunningApplication FakeRunningApplications::add(
    qint64 pid, const QString& bundleIdentifier, const QString& localizedName)
{
    const RunningApplication application { pid, bundleIdentifier, localizedName };
    m_applications.append(application);
    return application;
}

void FakeRunningApplications::remove(qint64 pid)
{
    m_applications.removeIf([pid](const RunningApplication& application) { return application.pid == pid; });
}

void FakeRunningApplications::setRefusesTerminate(qint64 pid, bool refuses)
{
    if (refuses)
        m_refusingTerminate.insert(pid);
    else
        m_refusingTerminate.remove(pid);
}

void FakeRunningApplications::setRefusesForceTerminate(qint64 pid, bool refuses)
{
    if (refuses)
        m_refusingForceTerminate.insert(pid);
    else
        m_refusingForceTerminate.remove(pid);
}

bool FakeRunningApplications::isListed(qint64 pid) const
{
    return std::any_of(m_applications.cbegin(), m_applications.cend(),
        [pid](const RunningApplication& application) { return application.pid == pid; });
}
