#include "SystemVersion.h"

#include <QMutex>

namespace {

QMutex versionMutex;

QVersionNumber& reportedVersion()
{
    // The newest behaviour is the default.
    static QVersionNumber version(26, 0, 0);
    return version;
}

} // namespace

QVersionNumber SystemVersion::current()
{
    QMutexLocker lock(&versionMutex);
    return reportedVersion();
}

void SystemVersion::setCurrent(const QVersionNumber& version)
{
    QMutexLocker lock(&versionMutex);
    reportedVersion() = version;
}

bool SystemVersion::isAtLeast(int major, int minor, int patch)
{
    return current() >= QVersionNumber(major, minor, patch);
}
