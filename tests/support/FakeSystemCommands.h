#pragma once

#include "SystemCommands.h"

#include <QList>

#include <functional>

// Records the commands instead of running them, and answers with the results
// the test chose (by default: started, exit status 0).
class FakeSystemCommands final : public SystemCommands
{
public:
    struct KillallCall
    {
        QString processName;
        KillSignal signal = KillSignal::Default;
        bool detached = false;
        bool operator==(const KillallCall&) const = default;
    };
    struct StartCall
    {
        QString program;
        QStringList arguments;
        bool operator==(const StartCall&) const = default;
    };

    Result killall(const QString& processName, KillSignal signal, std::chrono::milliseconds timeout) override;
    Result killallDetached(const QString& processName, KillSignal signal) override;
    Result startDetached(const QString& program, const QStringList& arguments) override;

    QList<KillallCall> killallCalls() const { return m_killallCalls; }
    QList<StartCall> startCalls() const { return m_startCalls; }
    // The timeout of the last awaited killall.
    std::chrono::milliseconds lastTimeout() const { return m_lastTimeout; }

    void setKillallResult(const Result& result) { m_killallResult = result; }
    void setStartResult(const Result& result) { m_startResult = result; }
    // Runs inside every awaited killall, on the caller's thread: a test can hold the caller there.
    void setKillallHook(std::function<void(const QString& processName)> hook) { m_killallHook = std::move(hook); }
    // Runs inside every detached start, on the caller's thread.
    void setStartHook(std::function<void()> hook) { m_startHook = std::move(hook); }

    static Result success();
    static Result failedToStart(const QString& error);

private:
    QList<KillallCall> m_killallCalls;
    QList<StartCall> m_startCalls;
    std::chrono::milliseconds m_lastTimeout { 0 };
    Result m_killallResult = success();
    Result m_startResult = success();
    std::function<void(const QString&)> m_killallHook;
    std::function<void()> m_startHook;
};
