#include "UserHome.h"

#include <QMutex>

#include <pwd.h>
#include <unistd.h>

namespace {

QMutex overrideMutex;
QString overridePath;

QString homeFromUserDatabase()
{
    const passwd* entry = getpwuid(getuid());
    if (entry == nullptr || entry->pw_dir == nullptr)
        return QStringLiteral("/");
    return QString::fromLocal8Bit(entry->pw_dir);
}

} // namespace

QString UserHome::path()
{
    {
        QMutexLocker lock(&overrideMutex);
        if (!overridePath.isEmpty())
            return overridePath;
    }
    static const QString realHome = homeFromUserDatabase();
    return realHome;
}

void UserHome::setPathForProcess(const QString& path)
{
    QMutexLocker lock(&overrideMutex);
    overridePath = path;
}
