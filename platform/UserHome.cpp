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

// The folder a base-directory variable names; relative ones are to be ignored.
QString xdgFolder(const char* variable, const QString& fallbackBelowHome)
{
    const QString named = qEnvironmentVariable(variable);
    if (named.startsWith(QLatin1Char('/')))
        return named;
    return UserHome::path() + QLatin1Char('/') + fallbackBelowHome;
}

} // namespace

QString UserHome::dataHome() { return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share")); }

QString UserHome::configHome() { return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config")); }

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
