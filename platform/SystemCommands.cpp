#include "SystemCommands.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

constexpr const char* setsidPath = "/usr/bin/setsid";

SystemCommands::Result notStarted(const QString& error)
{
    SystemCommands::Result result;
    result.error = error;
    return result;
}

// The file a program names, a bare name looked for on the PATH as a shell
// would; empty, with why, when it cannot run. setsid's child would fail to
// run it unseen: it is told here.
QString runnableFile(const QString& program, QString& why)
{
    const QString found = program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        why = QStringLiteral("%1: not found").arg(program);
    else if (::access(QFile::encodeName(found).constData(), X_OK) != 0)
        why = QStringLiteral("%1: %2").arg(program, QString::fromLocal8Bit(std::strerror(errno)));
    else if (!QFileInfo(found).isFile())
        why = QStringLiteral("%1 is not a program").arg(program);
    return why.isEmpty() ? found : QString();
}

// Starts the program in a session of its own through setsid(1), which forks
// once more and leaves: the program is nobody's child here, and no zombie
// stays behind when it ends. posix_spawn starts setsid without copying this
// process's memory map, which fork would do: in a program that plays video,
// that stalls every thread for a good part of a frame. Nothing is awaited
// but setsid's own exit, which follows its fork at once.
SystemCommands::Result startDetachedQuietly(const QString& program, const QStringList& arguments)
{
    QString why;
    const QByteArray path = QFile::encodeName(runnableFile(program, why));
    if (path.isEmpty())
        return notStarted(why);

    std::vector<QByteArray> words { "setsid", "--fork", "--", path };
    for (const QString& argument : arguments)
        words.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // The caller's blocked and ignored signals are not the program's.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t launcher = 0;
    const int failed = posix_spawn(&launcher, setsidPath, &files, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&files);
    if (failed)
        return notStarted(QStringLiteral("%1: %2").arg(
            QString::fromLatin1(setsidPath), QString::fromLocal8Bit(std::strerror(failed))));

    int status = 0;
    while (::waitpid(launcher, &status, 0) < 0 && errno == EINTR) { }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return notStarted(QStringLiteral("%1 could not start %2").arg(QString::fromLatin1(setsidPath), program));
    SystemCommands::Result result;
    result.started = true;
    return result;
}

} // namespace

QStringList SystemCommands::killallArguments(const QString& processName, KillSignal signal)
{
    QStringList arguments;
    if (signal == KillSignal::Kill)
        arguments << QStringLiteral("-9");
    arguments << processName;
    return arguments;
}

namespace {

// Names that killall could read as options are never passed to it.
std::optional<SystemCommands::Result> refusedName(const QString& processName)
{
    if (processName.isEmpty())
        return notStarted(QStringLiteral("No process name given"));
    if (processName.startsWith(QLatin1Char('-')))
        return notStarted(QStringLiteral("%1 is not a process name").arg(processName));
    return std::nullopt;
}

} // namespace

ProcessSystemCommands::ProcessSystemCommands(const QString& killallPath) : m_killallPath(killallPath) { }

SystemCommands::Result ProcessSystemCommands::killall(
    const QString& processName, KillSignal signal, std::chrono::milliseconds timeout)
{
    if (const auto refused = refusedName(processName))
        return *refused;

    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(m_killallPath, killallArguments(processName, signal));
    if (!process.waitForStarted())
        return notStarted(process.errorString());

    Result result;
    result.started = true;
    if (!process.waitForFinished(int(timeout.count()))) {
        result.error = QStringLiteral("%1 did not finish within %2 ms").arg(m_killallPath).arg(timeout.count());
        process.kill();
        process.waitForFinished(1000);
        return result;
    }
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    else
        result.error = process.errorString();
    return result;
}

SystemCommands::Result ProcessSystemCommands::killallDetached(const QString& processName, KillSignal signal)
{
    if (const auto refused = refusedName(processName))
        return *refused;
    return startDetachedQuietly(m_killallPath, killallArguments(processName, signal));
}

SystemCommands::Result ProcessSystemCommands::startDetached(const QString& program, const QStringList& arguments)
{
    return startDetachedQuietly(program, arguments);
}
