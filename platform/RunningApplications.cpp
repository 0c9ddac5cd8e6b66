#include "RunningApplications.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <climits>
#include <optional>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Longer command lines are cut: only the first argument is used.
constexpr qint64 maxCommandLineBytes = 4096;
constexpr qint64 maxCommBytes = 64;
// An environment larger than this is not searched to its end.
constexpr qint64 maxEnvironmentBytes = 256 * 1024;

const QByteArray sessionBusVariable = QByteArrayLiteral("DBUS_SESSION_BUS_ADDRESS");

QByteArray readBounded(const QString& path, qint64 maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return file.read(maxBytes);
}

QString baseName(const QString& path) { return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1); }

QString executablePath(const QString& processDir)
{
    char buffer[PATH_MAX];
    const QByteArray link = QFile::encodeName(processDir + QStringLiteral("/exe"));
    const ssize_t length = ::readlink(link.constData(), buffer, sizeof buffer);
    if (length <= 0)
        return {};
    QString path = QFile::decodeName(QByteArray(buffer, int(length)));
    // The kernel marks an executable replaced on disk (for example by an upgrade).
    const QString deleted = QStringLiteral(" (deleted)");
    if (path.endsWith(deleted))
        path.chop(deleted.size());
    return path;
}

QString bundleIdentifierFor(const QString& executableName)
{
    if (executableName == QLatin1String("Lanto"))
        return BundleIdentifiers::lanto;
    if (executableName == QLatin1String("LantoAgent"))
        return BundleIdentifiers::lantoAgent;
    return executableName;
}

// The session bus address in a process's environment (as it was started);
// none when the environment cannot be read or names no bus.
std::optional<QByteArray> sessionBusOf(const QString& processDir)
{
    QFile file(processDir + QStringLiteral("/environ"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    // Most environments are a few kilobytes: read as much as there is, not the bound at once.
    QByteArray environment;
    while (environment.size() < maxEnvironmentBytes) {
        const QByteArray chunk = file.read(std::min<qint64>(16 * 1024, maxEnvironmentBytes - environment.size()));
        if (chunk.isEmpty())
            break;
        environment += chunk;
    }
    const QByteArray prefix = sessionBusVariable + '=';
    for (const QByteArray& entry : environment.split('\0')) {
        if (entry.startsWith(prefix) && entry.size() > prefix.size())
            return entry.mid(prefix.size());
    }
    return std::nullopt;
}

} // namespace

ProcRunningApplications::ProcRunningApplications(const QString& procPath, const QString& sessionBus)
    : m_procPath(procPath), m_sessionBus(sessionBus)
{
}

QString ProcRunningApplications::ourSessionBus() { return qEnvironmentVariable(sessionBusVariable.constData()); }

bool ProcRunningApplications::isInOurSession(const QString& processDir) const
{
    if (m_sessionBus.isEmpty())
        return true;
    const std::optional<QByteArray> bus = sessionBusOf(processDir);
    return !bus || QString::fromLocal8Bit(*bus) == m_sessionBus;
}

bool RunningApplications::isRunning(const QString& bundleIdentifier) const
{
    const QList<RunningApplication> running = runningApplications();
    return std::any_of(running.cbegin(), running.cend(),
        [&](const RunningApplication& application) { return application.bundleIdentifier == bundleIdentifier; });
}

QList<RunningApplication> ProcRunningApplications::runningApplications() const
{
    QList<qint64> pids;
    const QStringList entries = QDir(m_procPath).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (ok && pid > 0 && pid <= INT_MAX && QString::number(pid) == entry)
            pids.append(pid);
    }
    std::sort(pids.begin(), pids.end());

    QList<RunningApplication> applications;
    for (const qint64 pid : std::as_const(pids)) {
        RunningApplication application = this->application(pid);
        if (application.pid != 0)
            applications.append(std::move(application));
    }
    return applications;
}

RunningApplication ProcRunningApplications::application(qint64 pid) const
{
    const QString dir = m_procPath + QLatin1Char('/') + QString::number(pid);

    struct stat info
    {
    };
    if (::stat(QFile::encodeName(dir).constData(), &info) != 0 || info.st_uid != ::getuid())
        return {};

    const QByteArray commandLine = readBounded(dir + QStringLiteral("/cmdline"), maxCommandLineBytes);
    // A process that rewrote its command line may have left no terminator.
    const qsizetype end = commandLine.indexOf('\0');
    const QString firstArgument = QFile::decodeName(end < 0 ? commandLine : commandLine.left(end));
    if (firstArgument.isEmpty() || !isInOurSession(dir))
        return {};

    QString executable = executablePath(dir);
    if (executable.isEmpty())
        executable = firstArgument;

    const QString comm = QString::fromUtf8(readBounded(dir + QStringLiteral("/comm"), maxCommBytes)).trimmed();
    // comm is cut to 15 characters; the command line usually has the whole name,
    // unless the process rewrote it.
    const QString argumentName = baseName(firstArgument);
    const QString name = comm.isEmpty() || (argumentName.startsWith(comm) && !argumentName.contains(QLatin1Char(' ')))
        ? argumentName
        : comm;

    RunningApplication application;
    application.pid = pid;
    application.bundleIdentifier = bundleIdentifierFor(baseName(executable));
    application.localizedName = name;
    return application;
}

bool ProcRunningApplications::terminate(const RunningApplication& application)
{
    return sendSignal(application, SIGTERM);
}

bool ProcRunningApplications::forceTerminate(const RunningApplication& application)
{
    return sendSignal(application, SIGKILL);
}

bool ProcRunningApplications::sendSignal(const RunningApplication& application, int signal)
{
    // kill() with 0 or a negative pid would reach whole process groups.
    if (application.pid <= 0 || application.pid > INT_MAX)
        return false;
    const RunningApplication current = this->application(application.pid);
    if (current.pid == 0 || current.bundleIdentifier != application.bundleIdentifier)
        return false;
    return ::kill(pid_t(application.pid), signal) == 0;
}
