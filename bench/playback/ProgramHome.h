#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A program of ours run as a user would meet it, on a home of its own: the
// folder is bound over the user's home in a mount namespace, with a process
// namespace and a session bus of its own, so that it neither sees nor
// disturbs the user's settings, programs or bus. Everything it started ends
// with the object.
class ProgramHome
{
public:
    // Child process, on the X display: writes into home the settings of a
    // signed-in user whose displays all show clip as their wallpaper, from
    // the folder a download of it leaves (content file, poster, record), or
    // without its poster.
    static int seedProcess(const QString& home, const QString& clip, bool withPoster);

    ProgramHome(const QString& home, const QString& display, const QString& program, const QStringList& arguments);
    ~ProgramHome();

    // The program's own process; 0 until it runs.
    qint64 pid();

private:
    QProcess m_namespace;
    QString m_name;
    qint64 m_pid = 0;
};
