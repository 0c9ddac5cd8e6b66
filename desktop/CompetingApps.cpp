#include "CompetingApps.h"

#include "Log.h"

#include <QSet>
#include <QString>

namespace {

// Other live-wallpaper programs for Linux desktops, by executable name.
const QSet<QString>& competingIdentifiers()
{
    static const QSet<QString> identifiers {
        QStringLiteral("komorebi"),
        QStringLiteral("linux-wallpaperengine"),
        QStringLiteral("mpvpaper"),
        QStringLiteral("xwinwrap"),
    };
    return identifiers;
}

// One more, known by its process name: it runs under the Python interpreter,
// so its executable name is the interpreter's.
const QSet<QString>& competingNames()
{
    static const QSet<QString> names { QStringLiteral("hidamari") };
    return names;
}

bool isCompeting(const RunningApplication& application)
{
    if (!application.bundleIdentifier.isEmpty() && competingIdentifiers().contains(application.bundleIdentifier))
        return true;
    return !application.localizedName.isEmpty() && competingNames().contains(application.localizedName);
}

} // namespace

QList<RunningApplication> CompetingApps::running() const
{
    QList<RunningApplication> matches;
    for (const RunningApplication& application : m_runningApplications.runningApplications()) {
        if (isCompeting(application))
            matches.append(application);
    }
    return matches;
}

void CompetingApps::terminate()
{
    for (const RunningApplication& application : running()) {
        const QString name
            = application.localizedName.isEmpty() ? QStringLiteral("unknown") : application.localizedName;
        Log::write(QStringLiteral("Lanto: Requesting termination of ") + name);
        if (!m_runningApplications.terminate(application))
            m_runningApplications.forceTerminate(application);
    }
}
