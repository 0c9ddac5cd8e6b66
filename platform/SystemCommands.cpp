#include "SystemCommands.h"

#include <QProcess>

namespace {

SystemCommands::Result notStarted(const QString& error)
{
    SystemCommands::Result result;
    result.error = error;
    return result;
}

SystemCommands::Result startDetachedQuietly(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached())
        return notStarted(process.errorString());
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
