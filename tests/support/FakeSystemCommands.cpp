#include "FakeSystemCommands.h"

SystemCommands::Result FakeSystemCommands::success()
{
    Result result;
    result.started = true;
    result.exitCode = 0;
    return result;
}

SystemCommands::Result FakeSystemCommands::failedToStart(const QString& error)
{
    Result result;
    result.error = error;
    return result;
}

SystemCommands::Result FakeSystemCommands::killall(
    const QString& processName, KillSignal signal, std::chrono::milliseconds timeout)
{
    m_killallCalls.append({ processName, signal, false });
    m_lastTimeout = timeout;
    if (m_killallHook)
        m_killallHook(processName);
    return m_killallResult;
}

SystemCommands::Result FakeSystemCommands::killallDetached(const QString& processName, KillSignal signal)
{
    m_killallCalls.append({ processName, signal, true });
    // A detached command is never awaited: no exit status.
    Result result = m_killallResult;
    result.exitCode.reset();
    return result;
}

SystemCommands::Result FakeSystemCommands::startDetached(const QString& program, const QStringList& arguments)
{
    if (m_startHook)
        m_startHook();
    m_startCalls.append({ program, arguments });
    Result result = m_startResult;
    result.exitCode.reset();
    return result;
}
