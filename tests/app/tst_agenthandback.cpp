// Lanto asks a running agent to give the desktop back before it takes it,
// and reads the positions the agent wrote.
#include "AgentHandback.h"
#include "FakeDistributedNotifications.h"
#include "FakeRunningApplications.h"
#include "LantoSettings.h"
#include "LogCapture.h"
#include "ScreenModel.h"
#include "TemporaryHome.h"
#include "VirtualScheduler.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {

ScreenModelMap showing(double position, bool video = true)
{
    ScreenModel model(7, "Display");
    model.isShowingWallpaper = true;
    if (video)
        model.videoURL = QUrl::fromLocalFile("/videos/content.mp4");
    else
        model.wallpaperImageURL = QUrl::fromLocalFile("/pictures/still.png");
    model.playbackPosition = position;
    return { { model.id(), model } };
}

struct Rig
{
    Rig() { QDir().mkpath(home.appSupportPath()); }

    // What Lanto's store holds at its start.
    void recordBeforeStart(const ScreenModelMap& models)
    {
        LantoSettings earlier(home.appSupportPath(), scheduler);
        ScreenModel::saveAll(models, earlier);
        earlier.flush();
        settings.reload();
    }

    // The agent as it answers "appLaunched": only its own key, written at once.
    void agentWrites(double position)
    {
        LantoSettings agent(home.appSupportPath(), agentScheduler);
        agent.setOwnedKeys({ SettingsKey::screenModels });
        ScreenModel::saveAll(showing(position), agent);
        agent.flush();
    }

    double position() { return ScreenModel::loadAll(settings).value("7", ScreenModel(0, {})).playbackPosition; }

    TemporaryHome home;
    VirtualScheduler scheduler;
    VirtualScheduler agentScheduler;
    LantoSettings settings { home.appSupportPath(), scheduler };
    FakeRunningApplications applications;
    FakeDistributedNotifications notifications;
    LogCapture log;
    AgentHandback handback { applications, notifications, settings, scheduler };
};

} // namespace

class tst_AgentHandback : public QObject
{
    Q_OBJECT

private slots:
    void nothingToAsk_data()
    {
        QTest::addColumn<bool>("agentRuns");
        QTest::addColumn<bool>("video");
        QTest::newRow("no agent") << false << true;
        QTest::newRow("a still picture") << true << false;
    }
    void nothingToAsk()
    {
        QFETCH(bool, agentRuns);
        QFETCH(bool, video);
        Rig rig;
        if (agentRuns)
            rig.applications.add(5, "com.lanto.mac.agent");
        rig.recordBeforeStart(showing(1, video));
        QSignalSpy finished(&rig.handback, &AgentHandback::finished);
        rig.handback.start();
        QCOMPARE(finished.size(), 1);
        QVERIFY(rig.notifications.posted().isEmpty());
    }

    void positionsTheAgentWroteAreRead()
    {
        Rig rig;
        rig.applications.add(5, "com.lanto.mac.agent");
        rig.recordBeforeStart(showing(3.0));
        QObject::connect(&rig.notifications, &DistributedNotifications::received, [&](const QString& name) {
            if (name == "com.lanto.mac.appLaunched")
                rig.agentWrites(42.5);
        });
        QSignalSpy finished(&rig.handback, &AgentHandback::finished);
        rig.handback.start();
        QCOMPARE(rig.notifications.posted(), QStringList { "com.lanto.mac.appLaunched" });
        QVERIFY(!rig.handback.isFinished());
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.size(), 1);
        QCOMPARE(rig.position(), 42.5);
        QVERIFY(rig.log.contains("Lanto: LantoAgent handed the desktop back"));
        // The deadline is off.
        rig.scheduler.advance(5s);
        QCOMPARE(finished.size(), 1);
    }

    void silentAgentIsNotWaitedForLong()
    {
        Rig rig;
        rig.applications.add(5, "com.lanto.mac.agent");
        rig.recordBeforeStart(showing(3.0));
        QSignalSpy finished(&rig.handback, &AgentHandback::finished);
        rig.handback.start();
        rig.scheduler.advance(1999ms);
        QVERIFY(finished.isEmpty());
        rig.scheduler.advance(1ms);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(rig.position(), 3.0);
        QVERIFY(rig.log.contains("Lanto: LantoAgent did not hand the desktop back within 2 s"));
    }
};

QTEST_GUILESS_MAIN(tst_AgentHandback)
#include "tst_agenthandback.moc"
