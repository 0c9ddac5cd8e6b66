#include "DesktopFixture.h"
#include "LogCapture.h"

#include <QTest>

using Applications = QList<RunningApplication>;
using Pids = QList<qint64>;

class tst_CompetingApps : public QObject
{
    Q_OBJECT

private slots:
    void asksEachCompetingProgramToQuit_data();
    void asksEachCompetingProgramToQuit();
};

void tst_CompetingApps::asksEachCompetingProgramToQuit_data()
{
    QTest::addColumn<Applications>("running");
    QTest::addColumn<Pids>("refusing");
    QTest::addColumn<Pids>("terminated");
    QTest::addColumn<Pids>("forced");
    QTest::addColumn<QStringList>("log");

    const Applications ordinary { { 100, QStringLiteral("bash"), QStringLiteral("bash") },
        { 200, QStringLiteral("firefox-esr"), QStringLiteral("firefox-esr") } };

    QTest::newRow("none running: nothing logged, nothing asked")
        << ordinary << Pids {} << Pids {} << Pids {} << QStringList {};
    QTest::newRow("listed identifier") << (ordinary
        + Applications { { 300, QStringLiteral("mpvpaper"), QStringLiteral("mpvpaper") } })
                                       << Pids {} << Pids { 300 } << Pids {}
                                       << QStringList { QStringLiteral("Lanto: Requesting termination of mpvpaper") };
    QTest::newRow("listed name under an unlisted identifier")
        << Applications { { 400, QStringLiteral("python3.11"), QStringLiteral("hidamari") } } << Pids {} << Pids { 400 }
        << Pids {} << QStringList { QStringLiteral("Lanto: Requesting termination of hidamari") };
    QTest::newRow("names and identifiers compare exactly") << Applications {
        { 500, QStringLiteral("python3.11"), QStringLiteral("Hidamari") },
        { 501, QStringLiteral("MPVPaper"), QStringLiteral("MPVPaper") }, { 502, QString(), QStringLiteral("komorebi") }
    } << Pids {} << Pids {} << Pids {} << QStringList {};
    QTest::newRow("no name: logged as unknown")
        << Applications { { 600, QStringLiteral("komorebi"), QString() } } << Pids {} << Pids { 600 } << Pids {}
        << QStringList { QStringLiteral("Lanto: Requesting termination of unknown") };
    QTest::newRow("refused request is forced, accepted one is not")
        << Applications { { 700, QStringLiteral("xwinwrap"), QStringLiteral("xwinwrap") },
               { 701, QStringLiteral("linux-wallpaperengine"), QStringLiteral("linux-wallpaperengine") } }
        << Pids { 700 } << Pids { 700, 701 } << Pids { 700 }
        << QStringList { QStringLiteral("Lanto: Requesting termination of xwinwrap"),
               QStringLiteral("Lanto: Requesting termination of linux-wallpaperengine") };
}

void tst_CompetingApps::asksEachCompetingProgramToQuit()
{
    QFETCH(Applications, running);
    QFETCH(Pids, refusing);
    QFETCH(Pids, terminated);
    QFETCH(Pids, forced);
    QFETCH(QStringList, log);

    DesktopFixture fixture;
    FakeRunningApplications& applications = fixture.applications;
    for (const RunningApplication& application : running)
        applications.add(application.pid, application.bundleIdentifier, application.localizedName);
    for (const qint64 pid : refusing)
        applications.setRefusesTerminate(pid);
    DesktopWindowController& controller = fixture.start();

    Pids competing;
    for (const RunningApplication& application : controller.competingApps())
        competing.append(application.pid);
    QCOMPARE(competing, terminated);

    LogCapture lines;
    controller.terminateCompetingApps();
    QCOMPARE(applications.terminateRequests(), terminated);
    QCOMPARE(applications.forceTerminateRequests(), forced);
    QCOMPARE(lines.lines(), log);
}

QTEST_GUILESS_MAIN(tst_CompetingApps)
#include "tst_competingapps.moc"
