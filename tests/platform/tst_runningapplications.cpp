#include "FakeRunningApplications.h"
#include "RunningApplications.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

std::optional<RunningApplication> findPid(const QList<RunningApplication>& applications, qint64 pid)
{
    for (const RunningApplication& application : applications) {
        if (application.pid == pid)
            return application;
    }
    return std::nullopt;
}

// A process of our own that ends only when signalled.
class Sleeper
{
public:
    // With a marker file, the process survives SIGTERM and writes the file
    // when it gets one; only SIGKILL ends it.
    explicit Sleeper(const QString& termMarker = QString())
    {
        if (termMarker.isEmpty()) {
            m_process.start(QStringLiteral("sleep"), { QStringLiteral("30") });
        } else {
            // "$0.ready" tells that the handler is in place.
            const QString script
                = QStringLiteral("trap 'echo term > \"$0\"' TERM; touch \"$0.ready\"; while :; do sleep 0.05; done");
            m_process.start(QStringLiteral("/bin/sh"), { QStringLiteral("-c"), script, termMarker });
        }
        m_process.waitForStarted();
        // The child may show an empty command line for a moment after it started.
        const QString cmdline = QStringLiteral("/proc/%1/cmdline").arg(pid());
        m_executed = QTest::qWaitFor([&] {
            QFile file(cmdline);
            return file.open(QIODevice::ReadOnly) && !file.read(64).isEmpty();
        });
    }
    ~Sleeper()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    qint64 pid() const { return m_process.processId(); }
    bool isRunning() const { return m_process.state() == QProcess::Running; }
    bool hasExecuted() const { return m_executed; }

private:
    QProcess m_process;
    bool m_executed = false;
};

// One entry of a made-up /proc folder.
void writeProcess(const QString& proc, const QString& pid, const QByteArray& commandLine, const QByteArray& comm,
    const QString& executable, const QByteArray& environment = QByteArray())
{
    const QString dir = proc + QLatin1Char('/') + pid;
    QDir().mkpath(dir);
    QFile cmdline(dir + QStringLiteral("/cmdline"));
    QVERIFY(cmdline.open(QIODevice::WriteOnly));
    cmdline.write(commandLine);
    if (!comm.isNull()) {
        QFile commFile(dir + QStringLiteral("/comm"));
        QVERIFY(commFile.open(QIODevice::WriteOnly));
        commFile.write(comm + '\n');
    }
    if (!executable.isEmpty())
        QVERIFY(QFile::link(executable, dir + QStringLiteral("/exe")));
    if (!environment.isNull()) {
        QFile environ(dir + QStringLiteral("/environ"));
        QVERIFY(environ.open(QIODevice::WriteOnly));
        environ.write(environment);
    }
}

} // namespace

class tst_RunningApplications : public QObject
{
    Q_OBJECT

private slots:
    void findsAChildProcess();
    void terminateEndsTheProcess();
    void forceTerminateEndsWhatTerminateCannot();
    void refusesAProcessThatIsNoLongerTheListedOne();
    void readsProcessEntries_data();
    void readsProcessEntries();
    void listsInNumericPidOrderAndSkipsOtherEntries();
    void boundsAnOversizedCommandLine();
    void keepsToTheSessionBus_data();
    void keepsToTheSessionBus();
    void childOnAnotherBusIsNotListed();
    void fakeAcceptsAndRefusesAsTold();
};

void tst_RunningApplications::findsAChildProcess()
{
    Sleeper sleeper;
    QVERIFY(sleeper.hasExecuted());
    ProcRunningApplications applications;
    const QList<RunningApplication> all = applications.runningApplications();

    const std::optional<RunningApplication> found = findPid(all, sleeper.pid());
    QVERIFY(found.has_value());
    QCOMPARE(found->bundleIdentifier, QStringLiteral("sleep"));
    QCOMPARE(found->localizedName, QStringLiteral("sleep"));
    QVERIFY(findPid(all, QCoreApplication::applicationPid()).has_value());
    QVERIFY(std::is_sorted(all.cbegin(), all.cend(),
        [](const RunningApplication& a, const RunningApplication& b) { return a.pid < b.pid; }));
}

void tst_RunningApplications::terminateEndsTheProcess()
{
    Sleeper sleeper;
    QVERIFY(sleeper.hasExecuted());
    ProcRunningApplications applications;
    const RunningApplication application = applications.application(sleeper.pid());
    QCOMPARE(application.pid, sleeper.pid());

    QVERIFY(applications.terminate(application));
    QTRY_VERIFY(!sleeper.isRunning());
    QTRY_COMPARE(applications.application(application.pid).pid, 0);
    // The process is gone: a second request is not accepted.
    QVERIFY(!applications.terminate(application));
}

void tst_RunningApplications::forceTerminateEndsWhatTerminateCannot()
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("got-term"));
    Sleeper sleeper(marker);
    QTRY_VERIFY(QFile::exists(marker + QStringLiteral(".ready")));
    ProcRunningApplications applications;
    const RunningApplication application = applications.application(sleeper.pid());
    QCOMPARE(application.pid, sleeper.pid());

    // The request arrives as SIGTERM, which this process handles and survives.
    QVERIFY(applications.terminate(application));
    QTRY_VERIFY(QFile::exists(marker));
    QVERIFY(sleeper.isRunning());

    QVERIFY(applications.forceTerminate(application));
    QTRY_VERIFY(!sleeper.isRunning());
}

void tst_RunningApplications::refusesAProcessThatIsNoLongerTheListedOne()
{
    Sleeper sleeper;
    QVERIFY(sleeper.hasExecuted());
    ProcRunningApplications applications;
    RunningApplication other = applications.application(sleeper.pid());
    // As if the pid had been taken over by another program since the listing.
    other.bundleIdentifier = QStringLiteral("another-program");
    QVERIFY(!applications.terminate(other));
    QVERIFY(!applications.forceTerminate(other));
    QVERIFY(sleeper.isRunning());
}

void tst_RunningApplications::readsProcessEntries_data()
{
    QTest::addColumn<QByteArray>("commandLine");
    QTest::addColumn<QByteArray>("comm");
    QTest::addColumn<QString>("executable");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("bundleIdentifier");
    QTest::addColumn<QString>("localizedName");

    QTest::newRow("plain") << QByteArray("/usr/bin/foo\0--flag\0", 20) << QByteArray("foo") << "/usr/bin/foo" << true
                           << "foo"
                           << "foo";
    QTest::newRow("name longer than comm")
        << QByteArray("/opt/x/averyverylongprogramname\0", 32) << QByteArray("averyverylongpr")
        << "/opt/x/averyverylongprogramname" << true << "averyverylongprogramname"
        << "averyverylongprogramname";
    QTest::newRow("rewritten command line")
        << QByteArray("sshd: user@pts/0\0", 17) << QByteArray("sshd") << "/usr/sbin/sshd" << true << "sshd"
        << "sshd";
    QTest::newRow("argv0 unrelated to comm") << QByteArray("python3\0/x/tool.py\0", 19) << QByteArray("tool")
                                             << "/usr/bin/python3.11" << true << "python3.11"
                                             << "tool";
    QTest::newRow("executable replaced on disk")
        << QByteArray("/usr/bin/foo\0", 13) << QByteArray("foo") << "/usr/bin/foo (deleted)" << true << "foo"
        << "foo";
    QTest::newRow("unreadable executable")
        << QByteArray("/usr/bin/bar\0", 13) << QByteArray("bar") << QString() << true << "bar"
        << "bar";
    QTest::newRow("no comm") << QByteArray("/usr/bin/baz\0", 13) << QByteArray() << "/usr/bin/baz" << true << "baz"
                             << "baz";
    QTest::newRow("the application") << QByteArray("/opt/lanto/Lanto\0", 17) << QByteArray("Lanto")
                                     << "/opt/lanto/Lanto" << true << "com.lanto.mac"
                                     << "Lanto";
    QTest::newRow("the agent") << QByteArray("/opt/lanto/LantoAgent\0", 22) << QByteArray("LantoAgent")
                               << "/opt/lanto/LantoAgent" << true << "com.lanto.mac.agent"
                               << "LantoAgent";
    QTest::newRow("kernel thread or zombie")
        << QByteArray() << QByteArray("kworker/0:1") << QString() << false << QString() << QString();
}

void tst_RunningApplications::readsProcessEntries()
{
    QFETCH(QByteArray, commandLine);
    QFETCH(QByteArray, comm);
    QFETCH(QString, executable);
    QFETCH(bool, listed);
    QFETCH(QString, bundleIdentifier);
    QFETCH(QString, localizedName);

    QTemporaryDir proc;
    writeProcess(proc.path(), QStringLiteral("4242"), commandLine, comm, executable);
    const QList<RunningApplication> all = ProcRunningApplications(proc.path()).runningApplications();

    QCOMPARE(all.size(), listed ? 1 : 0);
    if (!listed)
        return;
    QCOMPARE(all.first().pid, 4242);
    QCOMPARE(all.first().bundleIdentifier, bundleIdentifier);
    QCOMPARE(all.first().localizedName, localizedName);
}

void tst_RunningApplications::listsInNumericPidOrderAndSkipsOtherEntries()
{
    QTemporaryDir proc;
    for (const QString& pid : { QStringLiteral("100"), QStringLiteral("9"), QStringLiteral("10") })
        writeProcess(proc.path(), pid, QByteArray("/bin/p") + pid.toLatin1() + '\0', QByteArray(), QString());
    for (const QString& other : { QStringLiteral("self"), QStringLiteral("12abc"), QStringLiteral("007"),
             QStringLiteral("-5"), QStringLiteral("99999999999") })
        writeProcess(proc.path(), other, QByteArray("/bin/other\0", 11), QByteArray(), QString());

    QList<qint64> pids;
    const QList<RunningApplication> all = ProcRunningApplications(proc.path()).runningApplications();
    for (const RunningApplication& application : all)
        pids << application.pid;
    QCOMPARE(pids, (QList<qint64> { 9, 10, 100 }));
}

void tst_RunningApplications::boundsAnOversizedCommandLine()
{
    QTemporaryDir proc;
    writeProcess(proc.path(), QStringLiteral("7"), QByteArray(4 * 1024 * 1024, 'a'), QByteArray("aaaa"), QString());
    const QList<RunningApplication> all = ProcRunningApplications(proc.path()).runningApplications();
    QCOMPARE(all.size(), 1);
    QVERIFY(all.first().localizedName.size() <= 4096);
}

// Another login of the user, or a test on a bus of its own, runs programs of
// ours that this session must neither wait for nor end.
void tst_RunningApplications::keepsToTheSessionBus_data()
{
    QTest::addColumn<QString>("ourBus");
    QTest::addColumn<QByteArray>("environment"); // null: no environ file
    QTest::addColumn<bool>("listed");

    const QString ours = QStringLiteral("unix:path=/run/user/1000/bus");
    QTest::newRow("same bus") << ours << QByteArray("HOME=/h\0DBUS_SESSION_BUS_ADDRESS=unix:path=/run/user/1000/bus\0", 62)
                              << true;
    QTest::newRow("another bus") << ours << QByteArray("DBUS_SESSION_BUS_ADDRESS=unix:path=/tmp/b/bus\0", 46) << false;
    QTest::newRow("a longer name that starts alike")
        << ours << QByteArray("XDBUS_SESSION_BUS_ADDRESS=unix:path=/tmp/b/bus\0", 47) << true;
    QTest::newRow("no bus in its environment") << ours << QByteArray("HOME=/h\0", 8) << true;
    QTest::newRow("an empty bus address") << ours << QByteArray("DBUS_SESSION_BUS_ADDRESS=\0", 26) << true;
    QTest::newRow("environment unreadable") << ours << QByteArray() << true;
    QTest::newRow("we have no bus") << QString() << QByteArray("DBUS_SESSION_BUS_ADDRESS=unix:path=/tmp/b/bus\0", 46)
                                    << true;
    QByteArray late(300 * 1024, 'x');
    late += QByteArray("\0DBUS_SESSION_BUS_ADDRESS=unix:path=/tmp/b/bus\0", 47);
    QTest::newRow("bus beyond what is read") << ours << late << true;
}

void tst_RunningApplications::keepsToTheSessionBus()
{
    QFETCH(QString, ourBus);
    QFETCH(QByteArray, environment);
    QFETCH(bool, listed);

    QTemporaryDir proc;
    writeProcess(proc.path(), QStringLiteral("31"), QByteArray("/opt/lanto/Lanto\0", 17), QByteArray("Lanto"),
        QString(), environment);
    ProcRunningApplications applications(proc.path(), ourBus);
    QCOMPARE(applications.isRunning(BundleIdentifiers::lanto), listed);
    QCOMPARE(applications.application(31).pid, listed ? 31 : 0);
}

void tst_RunningApplications::childOnAnotherBusIsNotListed()
{
    const QString ours = QStringLiteral("unix:path=/tmp/lanto-test-ours/bus");
    const auto startOn = [](QProcess& process, const QString& bus) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus);
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral("sleep"), { QStringLiteral("30") });
        // The environment is the new program's once its command line is.
        return process.waitForStarted() && QTest::qWaitFor([&] {
            QFile file(QStringLiteral("/proc/%1/cmdline").arg(process.processId()));
            return file.open(QIODevice::ReadOnly) && file.readAll().contains("sleep");
        });
    };
    QProcess same;
    QProcess other;
    QVERIFY(startOn(same, ours));
    QVERIFY(startOn(other, QStringLiteral("unix:path=/tmp/lanto-test-theirs/bus")));

    ProcRunningApplications applications(QStringLiteral("/proc"), ours);
    QCOMPARE(applications.application(same.processId()).pid, same.processId());
    QCOMPARE(applications.application(other.processId()).pid, 0);
    QVERIFY(!applications.forceTerminate({ other.processId(), QStringLiteral("sleep"), QStringLiteral("sleep") }));
    QVERIFY(applications.forceTerminate(applications.application(same.processId())));
    QVERIFY(same.waitForFinished());
    QCOMPARE(other.state(), QProcess::Running);
    other.kill();
    other.waitForFinished();
}

void tst_RunningApplications::fakeAcceptsAndRefusesAsTold()
{
    FakeRunningApplications applications;
    const RunningApplication willing = applications.add(20, QStringLiteral("com.example.willing"));
    const RunningApplication stubborn = applications.add(10, QStringLiteral("com.example.stubborn"));
    applications.setRefusesTerminate(stubborn.pid);

    QCOMPARE(applications.runningApplications().first().pid, 10);
    QVERIFY(applications.terminate(willing));
    QVERIFY(!applications.terminate(stubborn));
    QVERIFY(applications.forceTerminate(stubborn));
    applications.remove(willing.pid);
    QVERIFY(!applications.terminate(willing));
    QCOMPARE(applications.terminateRequests(), (QList<qint64> { 20, 10, 20 }));
    QCOMPARE(applications.forceTerminateRequests(), QList<qint64> { 10 });
}

QTEST_GUILESS_MAIN(tst_RunningApplications)

#include "tst_runningapplications.moc"
