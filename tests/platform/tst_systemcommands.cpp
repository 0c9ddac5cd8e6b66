#include "FakeSystemCommands.h"
#include "SystemCommands.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

const QString killallPath = QStringLiteral("/usr/bin/killall");

// A copy of sleep under a name no other process has, so that killall reaches
// only the process this test starts.
class NamedSleeper
{
public:
    // With survivesTerm, a shell runs the copy with SIGTERM ignored, which
    // the copy inherits: only "-9" ends it.
    explicit NamedSleeper(const QTemporaryDir& dir, bool survivesTerm = false)
        : m_name(QStringLiteral("lzt%1").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0')))
    {
        const QString copy = dir.filePath(m_name);
        if (!QFile::copy(QStringLiteral("/bin/sleep"), copy))
            return;
        if (survivesTerm)
            m_process.start(QStringLiteral("/bin/sh"),
                { QStringLiteral("-c"), QStringLiteral("trap '' TERM; exec \"$0\" 30"), copy });
        else
            m_process.start(copy, { QStringLiteral("30") });
        m_process.waitForStarted();
        // The copy's name shows once the program has really been replaced.
        m_running = QTest::qWaitFor([this] {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(m_process.processId()));
            return comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == m_name.toLatin1();
        });
    }
    ~NamedSleeper()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    QString name() const { return m_name; }
    bool hasStarted() const { return m_running; }
    bool isRunning() const { return m_process.state() == QProcess::Running; }

private:
    QString m_name;
    QProcess m_process;
    bool m_running = false;
};

} // namespace

class tst_SystemCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void killallEndsTheNamedProcess();
    void killallWithoutSignalLeavesWhatIgnoresTerm();
    void killallReportsNoSuchProcess();
    void aNameIsNeverReadAsAnOption();
    void killallThatCannotStartSaysWhy();
    void killallThatHangsIsCutOff();
    void detachedKillallEndsTheProcess();
    void startDetachedRunsTheProgram();
    void startDetachedOfAMissingProgramFails();
    void fakeRecordsCalls();

private:
    QTemporaryDir m_dir;
};

void tst_SystemCommands::init()
{
    if (!QFile::exists(killallPath))
        QSKIP("killall (psmisc) is not installed");
}

void tst_SystemCommands::killallEndsTheNamedProcess()
{
    NamedSleeper sleeper(m_dir);
    QVERIFY(sleeper.hasStarted());

    ProcessSystemCommands commands;
    const SystemCommands::Result result = commands.killall(sleeper.name(), SystemCommands::KillSignal::Kill, 5s);
    QVERIFY(result.started);
    QCOMPARE(result.exitCode, std::optional<int>(0));
    QTRY_VERIFY(!sleeper.isRunning());
}

void tst_SystemCommands::killallWithoutSignalLeavesWhatIgnoresTerm()
{
    NamedSleeper sleeper(m_dir, /*survivesTerm*/ true);
    QVERIFY(sleeper.hasStarted());
    ProcessSystemCommands commands;

    // killall's default is SIGTERM: sent (exit status 0) and ignored.
    QCOMPARE(commands.killall(sleeper.name(), SystemCommands::KillSignal::Default, 5s).exitCode, std::optional<int>(0));
    QVERIFY(sleeper.isRunning());

    QCOMPARE(commands.killall(sleeper.name(), SystemCommands::KillSignal::Kill, 5s).exitCode, std::optional<int>(0));
    QTRY_VERIFY(!sleeper.isRunning());
}

void tst_SystemCommands::killallReportsNoSuchProcess()
{
    ProcessSystemCommands commands;
    const SystemCommands::Result result
        = commands.killall(QStringLiteral("lzt-nobody-runs-this"), SystemCommands::KillSignal::Kill, 5s);
    QVERIFY(result.started);
    QVERIFY(result.exitCode.has_value());
    QVERIFY(*result.exitCode != 0);
}

void tst_SystemCommands::aNameIsNeverReadAsAnOption()
{
    // killall is given the signal and the name alone.
    QCOMPARE(SystemCommands::killallArguments(QStringLiteral("WallpaperAgent"), SystemCommands::KillSignal::Kill),
        QStringList({ QStringLiteral("-9"), QStringLiteral("WallpaperAgent") }));
    // As an option, "-l" would list the signals and succeed: it is not passed on.
    ProcessSystemCommands commands;
    for (const SystemCommands::Result& result :
        { commands.killall(QStringLiteral("-l"), SystemCommands::KillSignal::Default, 5s),
            commands.killallDetached(QStringLiteral("-l"), SystemCommands::KillSignal::Default) }) {
        QVERIFY(!result.started);
        QCOMPARE(result.error, QStringLiteral("-l is not a process name"));
    }
}

void tst_SystemCommands::killallThatCannotStartSaysWhy()
{
    ProcessSystemCommands commands(m_dir.filePath(QStringLiteral("no-such-killall")));
    const SystemCommands::Result blocking = commands.killall(QStringLiteral("x"), SystemCommands::KillSignal::Kill, 5s);
    QVERIFY(!blocking.started);
    QVERIFY(!blocking.error.isEmpty());
    const SystemCommands::Result detached
        = commands.killallDetached(QStringLiteral("x"), SystemCommands::KillSignal::Default);
    QVERIFY(!detached.started);
    QVERIFY(!detached.error.isEmpty());
}

void tst_SystemCommands::killallThatHangsIsCutOff()
{
    // sleep stands in for a killall that never returns: "sleep -- 30".
    ProcessSystemCommands commands(QStringLiteral("/bin/sleep"));
    QElapsedTimer timer;
    timer.start();
    const SystemCommands::Result result
        = commands.killall(QStringLiteral("30"), SystemCommands::KillSignal::Default, 200ms);
    QVERIFY(timer.elapsed() < 10000);
    QVERIFY(result.started);
    QVERIFY(!result.exitCode.has_value());
    QVERIFY(!result.error.isEmpty());
}

void tst_SystemCommands::detachedKillallEndsTheProcess()
{
    NamedSleeper sleeper(m_dir);
    QVERIFY(sleeper.hasStarted());
    ProcessSystemCommands commands;
    const SystemCommands::Result result = commands.killallDetached(sleeper.name(), SystemCommands::KillSignal::Default);
    QVERIFY(result.started);
    QVERIFY(!result.exitCode.has_value());
    QTRY_VERIFY(!sleeper.isRunning());
}

void tst_SystemCommands::startDetachedRunsTheProgram()
{
    // The program, found on the PATH, writes its own /proc stat line: "pid (comm) state ppid pgrp session ...".
    const QString marker = m_dir.filePath(QStringLiteral("started"));
    ProcessSystemCommands commands;
    const SystemCommands::Result result = commands.startDetached(QStringLiteral("sh"),
        { QStringLiteral("-c"), QStringLiteral("cat /proc/$$/stat > \"$0.part\" && mv \"$0.part\" \"$0\""), marker });
    QVERIFY(result.started);
    QTRY_VERIFY(QFile::exists(marker));
    QFile stat(marker);
    QVERIFY(stat.open(QIODevice::ReadOnly));
    const QList<QByteArray> fields = stat.readAll().split(' ');
    QVERIFY(fields.size() > 5);
    // Not this process's child, which would stay a zombie once it ends, and a session of its own.
    QVERIFY(fields[3].toLongLong() != QCoreApplication::applicationPid());
    QCOMPARE(fields[5], fields[0]);
}

void tst_SystemCommands::startDetachedOfAMissingProgramFails()
{
    ProcessSystemCommands commands;
    const SystemCommands::Result result = commands.startDetached(m_dir.filePath(QStringLiteral("missing")), {});
    QVERIFY(!result.started);
    QVERIFY(!result.error.isEmpty());
}

void tst_SystemCommands::fakeRecordsCalls()
{
    FakeSystemCommands commands;
    commands.killall(QStringLiteral("WallpaperAgent"), SystemCommands::KillSignal::Kill, 3s);
    commands.killallDetached(QStringLiteral("WallpaperImageExtension"), SystemCommands::KillSignal::Default);
    commands.setStartResult(FakeSystemCommands::failedToStart(QStringLiteral("denied")));
    const SystemCommands::Result start = commands.startDetached(QStringLiteral("/opt/lanto/LantoAgent"), {});

    using Call = FakeSystemCommands::KillallCall;
    QCOMPARE(commands.killallCalls(),
        (QList<Call> { { QStringLiteral("WallpaperAgent"), SystemCommands::KillSignal::Kill, false },
            { QStringLiteral("WallpaperImageExtension"), SystemCommands::KillSignal::Default, true } }));
    QCOMPARE(commands.lastTimeout(), 3000ms);
    QCOMPARE(commands.startCalls().size(), 1);
    QVERIFY(!start.started);
    QCOMPARE(start.error, QStringLiteral("denied"));
}

QTEST_GUILESS_MAIN(tst_SystemCommands)

#include "tst_systemcommands.moc"
