#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

// The system commands the programs run: killall by process name, and starting
// a program in the background. An interface, so that callers can be tested
// with a fake that records the calls.
class SystemCommands
{
public:
    enum class KillSignal {
        Default, // killall's own default, SIGTERM
        Kill, // "-9"
    };

    struct Result
    {
        bool started = false; // the program could be started
        std::optional<int> exitCode; // set when it was awaited and exited normally
        QString error; // why it did not start, or did not exit normally
    };

    virtual ~SystemCommands() = default;

    // Runs killall for the name and waits for it, at most for the timeout
    // (then it is killed and the result has no exit code). Its output is dropped.
    virtual Result killall(const QString& processName, KillSignal signal, std::chrono::milliseconds timeout) = 0;

    // Starts killall for the name without waiting; the result tells only whether it started.
    virtual Result killallDetached(const QString& processName, KillSignal signal) = 0;

    // Starts a program in the background, with its output dropped; the result
    // tells only whether it started.
    virtual Result startDetached(const QString& program, const QStringList& arguments) = 0;

    // The arguments given to killall.
    static QStringList killallArguments(const QString& processName, KillSignal signal);
};

// The real commands, run with QProcess.
class ProcessSystemCommands final : public SystemCommands
{
public:
    explicit ProcessSystemCommands(const QString& killallPath = QStringLiteral("/usr/bin/killall"));

    Result killall(const QString& processName, KillSignal signal, std::chrono::milliseconds timeout) override;
    Result killallDetached(const QString& processName, KillSignal signal) override;
    Result startDetached(const QString& program, const QStringList& arguments) override;

private:
    QString m_killallPath;
};
