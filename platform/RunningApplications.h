#pragma once

#include <QList>
#include <QString>

// One application of the current user that is running now.
struct RunningApplication
{
    qint64 pid = 0;
    QString bundleIdentifier;
    QString localizedName;
};

// The bundle identifiers of our own two programs. Linux has no bundles, so the
// process list maps the programs' executable names onto these.
namespace BundleIdentifiers {
inline constexpr QLatin1String lanto("com.lanto.mac");
inline constexpr QLatin1String lantoAgent("com.lanto.mac.agent");
} // namespace BundleIdentifiers

// The applications running in the user's session, and the requests to end them.
class RunningApplications
{
public:
    virtual ~RunningApplications() = default;

    // In ascending order of pid.
    virtual QList<RunningApplication> runningApplications() const = 0;
    // Whether an application with that bundle identifier is among them.
    bool isRunning(const QString& bundleIdentifier) const;

    // Asks the application to quit (SIGTERM); true when the request was accepted.
    virtual bool terminate(const RunningApplication& application) = 0;

    // Ends the application at once (SIGKILL); true when the request was accepted.
    virtual bool forceTerminate(const RunningApplication& application) = 0;
};

// The real list, read from /proc: the current user's processes that have a
// command line (kernel threads and zombies have none), in this session.
//
// A session is told by its session bus, over which our programs tell each
// other of their starts and ends: a process started on another bus (another
// login of the same user, a test's private bus) is not in this session, and
// is neither listed nor signalled. A process whose bus cannot be read, and
// every process when this one has no bus, counts as in the session.
//
// The bundle identifier is the executable's base name (our own programs map to
// BundleIdentifiers), the localized name the process name, in full where the
// command line shows it. Everything in /proc is read with bounded reads, and a
// process that ends while it is read is simply left out.
class ProcRunningApplications final : public RunningApplications
{
public:
    // sessionBus: the address of this session's bus, empty when there is none.
    explicit ProcRunningApplications(const QString& procPath = QStringLiteral("/proc"),
        const QString& sessionBus = ourSessionBus());

    // This process's session bus address ($DBUS_SESSION_BUS_ADDRESS).
    static QString ourSessionBus();

    QList<RunningApplication> runningApplications() const override;

    // Both signal only a process that is still the application that was listed
    // (same user, same bundle identifier), so a pid reused since the listing is
    // never hit.
    bool terminate(const RunningApplication& application) override;
    bool forceTerminate(const RunningApplication& application) override;

    // The entry for one pid, or an application with pid 0 when that process is
    // not one of the user's running applications.
    RunningApplication application(qint64 pid) const;

private:
    bool sendSignal(const RunningApplication& application, int signal);
    bool isInOurSession(const QString& processDir) const;

    QString m_procPath;
    QString m_sessionBus;
};
