#include "TemporaryHome.h"

#include "UserHome.h"

namespace {

// The desktop folders' variables as they were before the first live home.
int liveHomes = 0;
QByteArray realDataHome;
QByteArray realConfigHome;

void restore(const char* variable, const QByteArray& value)
{
    if (value.isNull())
        qunsetenv(variable);
    else
        qputenv(variable, value);
}

} // namespace

TemporaryHome::TemporaryHome()
{
    if (liveHomes++ == 0) {
        realDataHome = qgetenv("XDG_DATA_HOME");
        realConfigHome = qgetenv("XDG_CONFIG_HOME");
    }
    UserHome::setPathForProcess(m_dir.path());
    qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral(".local/share")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_dir.filePath(QStringLiteral(".config")).toLocal8Bit());
}

TemporaryHome::~TemporaryHome()
{
    // A home made before this one was let go keeps the newer one in place: a test that
    // replaces its rig makes the new home first, and must not be left with the real one.
    if (UserHome::path() == m_dir.path())
        UserHome::setPathForProcess(QString());
    if (--liveHomes == 0) {
        restore("XDG_DATA_HOME", realDataHome);
        restore("XDG_CONFIG_HOME", realConfigHome);
    }
}
