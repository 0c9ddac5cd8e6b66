// Lanto quitting hands the playing desktop to the agent: it waits for the
// agent's word only when there is a video and an agent, hides the main
// windows meanwhile, and gives up at the time-out.
#include "AgentTakeover.h"
#include "DistributedNotifications.h"
#include "FakeDistributedNotifications.h"
#include "FakeRunningApplications.h"
#include "LogCapture.h"

#include <QTest>
#include <QTimer>
#include <QWindow>

class tst_AgentTakeover : public QObject
{
    Q_OBJECT

private slots:
    void waitsOnlyForARunningAgentWithAVideo_data();
    void waitsOnlyForARunningAgentWithAVideo();
};

void tst_AgentTakeover::waitsOnlyForARunningAgentWithAVideo_data()
{
    QTest::addColumn<bool>("agentRuns");
    QTest::addColumn<bool>("videoPlays");
    QTest::addColumn<bool>("agentAnswers");
    QTest::addColumn<bool>("waits");

    QTest::newRow("the agent answers") << true << true << true << true;
    QTest::newRow("the agent keeps silent: the time-out") << true << true << false << true;
    QTest::newRow("no agent") << false << true << true << false;
    QTest::newRow("no video") << true << false << true << false;
}

void tst_AgentTakeover::waitsOnlyForARunningAgentWithAVideo()
{
    QFETCH(bool, agentRuns);
    QFETCH(bool, videoPlays);
    QFETCH(bool, agentAnswers);
    QFETCH(bool, waits);

    FakeDistributedNotifications notifications;
    FakeRunningApplications applications;
    if (agentRuns)
        applications.add(10, BundleIdentifiers::lantoAgent, QStringLiteral("LantoAgent"));
    QWindow main;
    main.show();
    LogCapture log;
    int posted = 0;
    AgentTakeover::handOver(notifications, applications, videoPlays, { &main }, [&] {
        ++posted;
        // The agent answers from its own process, a moment later.
        if (agentAnswers)
            QTimer::singleShot(50, &notifications,
                [&] { notifications.deliver(DistributedNotificationNames::agentDesktopShown); });
    });
    QCOMPARE(posted, 1);
    QCOMPARE(main.isVisible(), !waits);
    if (!waits) {
        QVERIFY(log.lines().isEmpty());
        return;
    }
    if (agentAnswers)
        QVERIFY(!log.lines().filter(QStringLiteral("Lanto: LantoAgent shows the desktop after")).isEmpty());
    else
        QVERIFY(log.contains(QStringLiteral("Lanto: LantoAgent did not show the desktop within 2000 ms")));
}

QTEST_MAIN(tst_AgentTakeover)
#include "tst_agenttakeover.moc"
