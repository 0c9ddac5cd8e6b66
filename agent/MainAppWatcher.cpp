#include "MainAppWatcher.h"

#include <QSocketNotifier>

#include <sys/syscall.h>
#include <unistd.h>

namespace {

int openProcessDescriptor(qint64 pid)
{
#ifdef SYS_pidfd_open
    return int(::syscall(SYS_pidfd_open, pid_t(pid), 0));
#else
    Q_UNUSED(pid);
    return -1;
#endif
}

} // namespace

MainAppWatcher::MainAppWatcher(const RunningApplications& applications, QObject* parent)
    : QObject(parent), m_applications(applications)
{
}

MainAppWatcher::~MainAppWatcher() { release(); }

bool MainAppWatcher::watch()
{
    for (const RunningApplication& application : m_applications.runningApplications()) {
        if (application.bundleIdentifier != BundleIdentifiers::lanto)
            continue;
        if (m_descriptor >= 0 && m_watched.pid == application.pid)
            return true;
        const int descriptor = openProcessDescriptor(application.pid);
        if (descriptor < 0)
            continue; // ended meanwhile, or the kernel has no process descriptors
        release();
        m_watched = application;
        m_descriptor = descriptor;
        m_notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &MainAppWatcher::onExited);
        return true;
    }
    return false;
}

void MainAppWatcher::release()
{
    if (m_notifier) {
        m_notifier->setEnabled(false);
        std::exchange(m_notifier, nullptr)->deleteLater(); // it may be the sender of the signal being handled
    }
    if (m_descriptor >= 0)
        ::close(m_descriptor);
    m_descriptor = -1;
}

void MainAppWatcher::onExited()
{
    const RunningApplication ended = m_watched;
    release();
    emit terminated(ended);
}
