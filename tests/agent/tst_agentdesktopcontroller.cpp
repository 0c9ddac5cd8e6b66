// The agent's desktop: taking the desktop over from Lanto at the recorded
// positions, giving it back, and following displays, sleep and wake, in
// virtual time with made-up displays and players.
#include "AgentDesktopFixture.h"
#include "DesktopImageView.h"
#include "LogCapture.h"
#include "PauseReasons.h"
#include "SystemVersion.h"
#include "TestPictures.h"

#include <QElapsedTimer>
#include <QTest>

#include <chrono>

#include <sys/stat.h>

using namespace std::chrono_literals;

class tst_AgentDesktopController : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void takeOverResumesAtTheHandedOverPosition_data();
    void takeOverResumesAtTheHandedOverPosition();
    void givingBackWritesPositionsBeforeAnythingStops();
    void takeOverTellsLantoOnceTheVideosShow_data();
    void takeOverTellsLantoOnceTheVideosShow();
    void takenOverAgainWhileGivenUpGoesOnPlaying();
    void aPositionStaysWithItsVideo();
    void terminationNotices();
    void windowsFollowTheRecords();
    void missingVideoFileLeavesThePosterInFront();
    void namedPipeInPlaceOfAPictureIsPassedOver_data();
    void namedPipeInPlaceOfAPictureIsPassedOver();
    void displaysComingAndGoing();
    void sleepPausesAndWakeResumesTwice();
    void fullScreenWindowPausesItsDisplayThroughWake();
    void videoPlaysOnlyWhileNoReasonHolds_data();
    void videoPlaysOnlyWhileNoReasonHolds();
    void wakeWhileInactive_data();
    void wakeWhileInactive();

private:
    // Lanto ran with the video on display 1 at the position, then quit.
    void takeOverFromLanto(double position);

    std::unique_ptr<AgentFixture> m_fixture;
    QUrl m_video;
};

void tst_AgentDesktopController::init()
{
    SystemVersion::setCurrent(QVersionNumber(15, 0, 0));
    m_fixture = std::make_unique<AgentFixture>();
    m_video = m_fixture->wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    TestPictures::stripes(
        QFileInfo(m_video.toLocalFile()).path(), QStringLiteral("Poster.png"), QSize(4, 4), { Qt::red });
    FakePlayerBackend::Media minute;
    minute.durationSeconds = 60;
    m_fixture->backends.setMedia(m_video, minute);
}

void tst_AgentDesktopController::cleanup()
{
    m_fixture.reset();
    SystemVersion::setCurrent(QVersionNumber(26, 0, 0));
}

void tst_AgentDesktopController::takeOverFromLanto(double position)
{
    AgentFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    f.lantoRuns();
    f.startAgent();
    f.lantoWrites({ DesktopFixture::showing(1, m_video, position) });
    f.lantoQuits();
}

void tst_AgentDesktopController::takeOverResumesAtTheHandedOverPosition_data()
{
    QTest::addColumn<double>("position");
    QTest::addColumn<bool>("handoff");

    QTest::newRow("37.2 s: hand-over") << 37.2 << true;
    QTest::newRow("0.4 s: no hand-over") << 0.4 << false;
}

void tst_AgentDesktopController::takeOverResumesAtTheHandedOverPosition()
{
    QFETCH(double, position);
    QFETCH(bool, handoff);
    AgentFixture& f = *m_fixture;
    LogCapture log;

    takeOverFromLanto(position);
    QVERIFY(f.agent->isActive());
    const QString starting = QStringLiteral("Starting video: content.mov on screen 1 at %1s handoff=%2")
                                 .arg(position, 0, 'f', 1)
                                 .arg(handoff ? QStringLiteral("true") : QStringLiteral("false"));
    QVERIFY2(log.contains(starting), qPrintable(log.lines().join('\n')));
    QVERIFY(log.contains(QStringLiteral("IPC appWillTerminate handled in 0.000s")));
    QVERIFY(log.contains(QStringLiteral("activate() screen=1 video=content.mov image=nil")));

    f.settle();
    QCOMPARE(f.agentPlaying(QStringLiteral("1")), m_video);
    QCOMPARE(f.agentBackend(QStringLiteral("1"))->startSeconds(), handoff ? position : 0.0);
    QVERIFY(f.agentBackend(QStringLiteral("1"))->seeks().isEmpty());
    const DesktopWindow* window = f.agentWindow(QStringLiteral("1"));
    QVERIFY(window->isVisible());
    QCOMPARE(window->level(), DesktopLevelWindow::desktopLevel);
    // The poster stands in until the first frame, but not for a hand-over: it is the video's start.
    const QImage poster = f.agent->imageViews().value(QStringLiteral("1"))->image();
    if (handoff)
        QVERIFY(poster.isNull());
    else
        QCOMPARE(poster.pixelColor(0, 0), QColor(Qt::red));
}

void tst_AgentDesktopController::givingBackWritesPositionsBeforeAnythingStops()
{
    AgentFixture& f = *m_fixture;
    takeOverFromLanto(10.0);
    f.settle();
    f.playerClock.advance(5s);
    const double position = *f.agentBackend(QStringLiteral("1"))->currentTime();
    QVERIFY(position >= 15.0);

    // What Lanto would read, taken at the moment the player stops.
    LogCapture log;
    std::optional<double> onDiskAtStop;
    const Log::Sink previous = Log::setSink([&](const QString& line) {
        if (line.contains(QStringLiteral("] stop() — url=content.mov")))
            onDiskAtStop = f.positionOnDisk(QStringLiteral("1"));
        previous(line);
    });
    f.lantoRuns();
    f.notifications.deliver(DistributedNotificationNames::appLaunched);

    // Given up, but still on screen and playing under Lanto's coming windows, until Lanto ends the agent.
    QCOMPARE(f.positionOnDisk(QStringLiteral("1")), position);
    QVERIFY(log.contains(QStringLiteral("deactivate() START — tearing down 1 window(s), 1 player(s)")));
    QVERIFY(log.contains(QStringLiteral("deactivate() snapshot screen=1 pos=%1s").arg(position, 0, 'f', 1)));
    QVERIFY(log.contains(QStringLiteral("IPC appLaunched handled — 0.000s")));
    QVERIFY(!f.agent->isActive());
    QVERIFY(f.agentWindow(QStringLiteral("1"))->isVisible());
    QCOMPARE(f.agentBackend(QStringLiteral("1"))->rate(), 1.0);
    f.scheduler.advance(4999ms);
    QVERIFY(!f.agent->windows().empty());
    f.scheduler.advance(1ms);
    Log::setSink(previous);

    QCOMPARE(onDiskAtStop, position);
    QVERIFY(f.agent->windows().empty());
    QVERIFY(f.agent->videoPlayers().empty());
    QVERIFY(f.agent->imageViews().isEmpty());
    QCOMPARE(f.backends.alive(), 0);

    log.clear();
    f.notifications.deliver(DistributedNotificationNames::appLaunched);
    QCOMPARE(log.lines(),
        QStringList({ QStringLiteral("IPC appLaunched received — yielding"),
            QStringLiteral("deactivate() SKIPPED — not active"), QStringLiteral("IPC appLaunched handled — 0.000s") }));
}

void tst_AgentDesktopController::takeOverTellsLantoOnceTheVideosShow_data()
{
    QTest::addColumn<double>("position");
    QTest::addColumn<bool>("plays");

    QTest::newRow("shown once the seek lands") << 20.0 << true;
    QTest::newRow("shown as it plays, without a seek") << 0.3 << true;
    QTest::newRow("a seek that never lands: at the time-out") << 20.0 << false;
}

void tst_AgentDesktopController::takeOverTellsLantoOnceTheVideosShow()
{
    QFETCH(double, position);
    QFETCH(bool, plays);

    AgentFixture& f = *m_fixture;
    const auto told = [&] { return f.notifications.posted().count(DistributedNotificationNames::agentDesktopShown); };
    if (!plays) {
        FakePlayerBackend::Media neverReady;
        neverReady.loadTime.reset();
        f.backends.setMedia(m_video, neverReady);
    }
    takeOverFromLanto(position);
    if (plays) {
        f.settle(); // the seek lands
        QCOMPARE(told(), 1);
    } else {
        QCOMPARE(told(), 0);
        f.scheduler.advance(1999ms);
        QCOMPARE(told(), 0);
        f.scheduler.advance(1ms);
        QCOMPARE(told(), 1);
        f.agentBackend(QStringLiteral("1"))->finishLoading();
        f.settle();
    }
    // A second notice of Lanto's end, already active and showing: told again, at once.
    f.notifications.deliver(DistributedNotificationNames::appWillTerminate);
    QTRY_COMPARE(told(), 2);
}

void tst_AgentDesktopController::takenOverAgainWhileGivenUpGoesOnPlaying()
{
    AgentFixture& f = *m_fixture;
    takeOverFromLanto(10.0);
    f.settle();
    FakePlayerBackend* backend = f.agentBackend(QStringLiteral("1"));
    f.lantoRuns();
    f.notifications.deliver(DistributedNotificationNames::appLaunched);
    QVERIFY(!f.agent->isActive());
    f.playerClock.advance(2s);
    const double reached = *backend->currentTime();

    // Lanto quits again before it ended the agent: the windows never went, the video goes on.
    f.lantoQuits();
    f.settle();
    QVERIFY(f.agent->isActive());
    QCOMPARE(f.agentBackend(QStringLiteral("1")), backend);
    QVERIFY(backend->seeks().isEmpty()); // the first take-over started there; this one goes on
    QVERIFY(*backend->currentTime() >= reached);
    QVERIFY(f.agentWindow(QStringLiteral("1"))->isVisible());
    // Nothing closes them later either.
    f.scheduler.advance(10s);
    QVERIFY(f.agentWindow(QStringLiteral("1"))->isVisible());
}

void tst_AgentDesktopController::aPositionStaysWithItsVideo()
{
    AgentFixture& f = *m_fixture;
    takeOverFromLanto(10.0);
    f.settle();
    f.playerClock.advance(5s);
    // The records change under the agent to another video, with a position of its own.
    const QUrl other = f.wallpaperFile(QStringLiteral("bb"), QStringLiteral("content.mov"));
    f.lantoWrites({ DesktopFixture::showing(1, other, 3.0) });
    f.notifications.deliver(DistributedNotificationNames::wallpaperChanged);

    f.notifications.deliver(DistributedNotificationNames::appLaunched);
    QCOMPARE(f.positionOnDisk(QStringLiteral("1")), 3.0);
}

void tst_AgentDesktopController::terminationNotices()
{
    AgentFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    f.lantoRuns();
    LogCapture log;
    f.startAgent();
    QCOMPARE(log.lines(), QStringList { QStringLiteral("Main app is running — desktop windows deferred to main app") });
    f.lantoWrites({ DesktopFixture::showing(1, m_video, 2.0) });

    // Another program ending means nothing.
    log.clear();
    f.workspace.raiseApplicationDidTerminate({ 77, QStringLiteral("other"), QStringLiteral("other") });
    QVERIFY(log.lines().isEmpty());

    // Lanto's notice first, then the workspace telling of the same end.
    f.lantoQuits();
    QVERIFY(f.agent->isActive());
    log.clear();
    f.workspace.raiseApplicationDidTerminate(
        { AgentFixture::lantoPid, BundleIdentifiers::lanto, QStringLiteral("Lanto") });
    QCOMPARE(log.lines(),
        QStringList({ QStringLiteral("Detected main app termination via NSWorkspace — reclaiming immediately"),
            QStringLiteral("activate() START — reloading plist"),
            QStringLiteral("activate() SKIPPED — already active") }));

    // A second report of that same process is not acted on again.
    log.clear();
    f.workspace.raiseApplicationDidTerminate(
        { AgentFixture::lantoPid, BundleIdentifiers::lanto, QStringLiteral("Lanto") });
    QVERIFY(log.lines().isEmpty());
}

void tst_AgentDesktopController::windowsFollowTheRecords()
{
    AgentFixture& f = *m_fixture;
    for (int i = 1; i <= 3; ++i)
        f.displays.addDisplay(QStringLiteral("Display %1").arg(i), QRect(800 * (i - 1), 0, 800, 600));
    const QUrl picture = f.wallpaperFile(QStringLiteral("cc"), QStringLiteral("content.png"));
    QImage(4, 4, QImage::Format_RGB32).save(picture.toLocalFile(), "PNG");
    ScreenModel still(1, QStringLiteral("Display 1"));
    still.isShowingWallpaper = true;
    still.wallpaperImageURL = picture;
    ScreenModel empty(2, QStringLiteral("Display 2"));
    empty.isShowingWallpaper = true;
    f.lantoWrites({ still, empty });
    LogCapture log;
    f.startAgent();

    QVERIFY(log.contains(QStringLiteral("activate() creating windows for 2 screen(s)")));
    QVERIFY(log.contains(QStringLiteral("activate() screen=2 video=nil image=nil")));
    // A picture record shows its picture; an empty one its clear window; a display without a record stays hidden.
    QVERIFY(f.agentWindow(QStringLiteral("1"))->isVisible());
    QVERIFY(!f.agent->imageViews().value(QStringLiteral("1"))->image().isNull());
    QVERIFY(f.agentWindow(QStringLiteral("2"))->isVisible());
    QVERIFY(f.agent->imageViews().value(QStringLiteral("2"))->image().isNull());
    QVERIFY(!f.agentWindow(QStringLiteral("3"))->isVisible());
    QVERIFY(log.contains(QStringLiteral("Created desktop window for screen 3")));
    QVERIFY(f.agent->videoPlayers().empty());

    // Nothing left to show: the agent keeps what it has.
    f.lantoWrites({});
    log.clear();
    f.agent->activate();
    QVERIFY(log.contains(QStringLiteral("activate() — no active wallpapers, nothing to display")));
    QVERIFY(f.agent->isActive());
    QCOMPARE(f.agent->windows().size(), size_t(3));
}

void tst_AgentDesktopController::missingVideoFileLeavesThePosterInFront()
{
    AgentFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    const QUrl gone = QUrl::fromLocalFile(QFileInfo(m_video.toLocalFile()).path() + QStringLiteral("/gone.mov"));
    f.lantoWrites({ DesktopFixture::showing(1, gone, 8.0) });
    LogCapture log;
    f.startAgent();

    QVERIFY(log.contains(QStringLiteral("Video file missing: ") + gone.toLocalFile()));
    QVERIFY(f.agent->videoPlayers().empty());
    QVERIFY(f.agentWindow(QStringLiteral("1"))->isVisible());
    QCOMPARE(f.agent->imageViews().value(QStringLiteral("1"))->image().pixelColor(0, 0), QColor(Qt::red));
}

// A named pipe nobody writes to in place of a poster or of the recorded
// picture: the agent passes it over at once and keeps the desktop going.
void tst_AgentDesktopController::namedPipeInPlaceOfAPictureIsPassedOver_data()
{
    QTest::addColumn<bool>("poster");
    QTest::newRow("the video's poster") << true;
    QTest::newRow("the recorded picture") << false;
}

void tst_AgentDesktopController::namedPipeInPlaceOfAPictureIsPassedOver()
{
    QFETCH(bool, poster);
    AgentFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    const QString folder = QFileInfo(m_video.toLocalFile()).path();
    const QString pipe = QDir(folder).filePath(poster ? QStringLiteral("Poster.png") : QStringLiteral("picture.png"));
    QFile::remove(pipe);
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ScreenModel record = DesktopFixture::showing(1, m_video);
    if (!poster) {
        record.videoURL.reset();
        record.wallpaperImageURL = QUrl::fromLocalFile(pipe);
    }
    f.lantoWrites({ record });

    QElapsedTimer elapsed;
    elapsed.start();
    f.startAgent();
    f.settle();
    QVERIFY2(elapsed.elapsed() < 2000, "a picture held the main thread");
    QVERIFY(f.agent->isActive());
    QVERIFY(f.agentWindow(QStringLiteral("1"))->isVisible());
    QVERIFY(f.agent->imageViews().value(QStringLiteral("1"))->image().isNull());
    QCOMPARE(f.agentPlaying(QStringLiteral("1")), poster ? m_video : QUrl());
}

void tst_AgentDesktopController::displaysComingAndGoing()
{
    AgentFixture& f = *m_fixture;
    const ConnectedDisplay second = f.addTwoDisplays();
    f.lantoWrites({ DesktopFixture::showing(1, m_video), DesktopFixture::showing(2, m_video) });
    f.startAgent();
    f.settle();
    QCOMPARE(f.agentPlaying(QStringLiteral("2")), m_video);

    LogCapture log;
    f.displays.removeDisplay(second.uuid);
    f.workspace.raiseScreenParametersChanged();
    QVERIFY(log.contains(QStringLiteral("Screen parameters changed — re-syncing")));
    QVERIFY(!f.agentWindow(QStringLiteral("2")));
    QVERIFY(!f.agent->imageViews().contains(QStringLiteral("2")));
    QCOMPARE(f.agent->videoPlayers().count(QStringLiteral("2")), size_t(0));
    QCOMPARE(f.agentPlaying(QStringLiteral("1")), m_video);

    // Plugged in again: a window at once, and its video.
    f.displays.addDisplay(second);
    f.workspace.raiseScreenParametersChanged();
    f.settle();
    QVERIFY(f.agentWindow(QStringLiteral("2"))->isVisible());
    QCOMPARE(f.agentPlaying(QStringLiteral("2")), m_video);

    // While Lanto owns the desktop the agent does not follow displays.
    f.lantoRuns();
    f.notifications.deliver(DistributedNotificationNames::appLaunched);
    f.scheduler.advance(5s); // the given-up windows close
    log.clear();
    f.workspace.raiseScreenParametersChanged();
    f.workspace.raiseActiveSpaceDidChange();
    QVERIFY(log.lines().isEmpty());
    QVERIFY(f.agent->windows().empty());
}

void tst_AgentDesktopController::sleepPausesAndWakeResumesTwice()
{
    AgentFixture& f = *m_fixture;
    takeOverFromLanto(20.0);
    f.settle();
    FakePlayerBackend* backend = f.agentBackend(QStringLiteral("1"));
    f.playerClock.advance(4s);

    f.workspace.raiseScreensDidSleep();
    QCOMPARE(backend->rate(), 0.0);
    const double asleep = *backend->currentTime();
    QVERIFY(asleep >= 24.0);
    f.workspace.raiseScreensDidWake();
    f.settle();
    // The same player goes on from where it paused, not from the take-over's position.
    QCOMPARE(f.agentBackend(QStringLiteral("1")), backend);
    QCOMPARE(backend->rate(), 1.0);
    QVERIFY(*backend->currentTime() >= asleep);

    // The second pass 1.5 s later leaves paused what a lock paused meanwhile;
    // the session's return resumes it, and its own second pass follows.
    f.workspace.raiseSessionDidResignActive();
    QCOMPARE(backend->rate(), 0.0);
    f.scheduler.advance(1500ms);
    QCOMPARE(backend->rate(), 0.0);
    f.workspace.raiseSessionDidBecomeActive();
    QCOMPARE(backend->rate(), 1.0);
    QCOMPARE(f.agentBackend(QStringLiteral("1")), backend);
    f.scheduler.advance(1500ms);
    QCOMPARE(backend->rate(), 1.0);
    QCOMPARE(f.scheduler.pendingCount(), 0);
}

void tst_AgentDesktopController::fullScreenWindowPausesItsDisplayThroughWake()
{
    AgentFixture& f = *m_fixture;
    f.addTwoDisplays();
    f.lanto.set(SettingsKey::pauseOnFullscreen, PlistValue(true));
    f.lantoWrites({ DesktopFixture::showing(1, m_video), DesktopFixture::showing(2, m_video) });
    f.startAgent();
    f.settle();
    const QString first = QStringLiteral("1");
    const QString second = QStringLiteral("2");
    QTRY_VERIFY(f.agentWindow(first)->isOcclusionVisible() && f.agentWindow(second)->isOcclusionVisible());

    f.workspace.setFullScreenWindowFrame(QRect(800, 0, 800, 600));
    QCOMPARE(f.agentBackend(first)->rate(), 1.0);
    QCOMPARE(f.agentBackend(second)->rate(), 0.0);

    // Wake and its second pass leave the covered display paused.
    f.workspace.raiseScreensDidSleep();
    f.workspace.raiseScreensDidWake();
    f.scheduler.advance(1500ms);
    f.settle();
    QCOMPARE(f.agentBackend(first)->rate(), 1.0);
    QCOMPARE(f.agentBackend(second)->rate(), 0.0);

    // Turned off meanwhile, the setting holds as soon as the agent reads it.
    f.lanto.set(SettingsKey::pauseOnFullscreen, PlistValue(false));
    f.lanto.flush();
    f.notifications.deliver(DistributedNotificationNames::wallpaperChanged);
    QTRY_COMPARE(f.agentBackend(second)->rate(), 1.0);
    f.lanto.set(SettingsKey::pauseOnFullscreen, PlistValue(true));
    f.lanto.flush();
    f.notifications.deliver(DistributedNotificationNames::wallpaperChanged);
    QTRY_COMPARE(f.agentBackend(second)->rate(), 0.0);

    f.workspace.setFullScreenWindowFrame(QRect());
    QCOMPARE(f.agentBackend(second)->rate(), 1.0);
}

// Sleep, lock and a full-screen window each pause the display's video on
// their own, whichever ends first, also in windows just given up to Lanto,
// which stay on screen for a while and do not play again before they close.
void tst_AgentDesktopController::videoPlaysOnlyWhileNoReasonHolds_data()
{
    QTest::addColumn<PauseReason>("first");
    QTest::addColumn<PauseReason>("second");
    QTest::addColumn<bool>("givenUp");
    const QList<std::pair<PauseReason, const char*>> reasons {
        { PauseReason::sleep, "sleep" }, { PauseReason::lock, "lock" }, { PauseReason::cover, "cover" }
    };
    for (const auto& [first, firstName] : reasons) {
        for (const auto& [second, secondName] : reasons) {
            if (first != second)
                QTest::addRow("%s, then %s; %s ends first", firstName, secondName, firstName)
                    << first << second << false;
        }
        if (first != PauseReason::cover)
            QTest::addRow("%s in windows given up", firstName) << first << first << true;
    }
}

void tst_AgentDesktopController::videoPlaysOnlyWhileNoReasonHolds()
{
    QFETCH(PauseReason, first);
    QFETCH(PauseReason, second);
    QFETCH(bool, givenUp);
    AgentFixture& f = *m_fixture;
    f.addTwoDisplays();
    f.lanto.set(SettingsKey::pauseOnFullscreen, PlistValue(true));
    f.lantoWrites({ DesktopFixture::showing(1, m_video), DesktopFixture::showing(2, m_video) });
    f.startAgent();
    f.settle();
    const QString id = QStringLiteral("2");
    QTRY_VERIFY(f.agentWindow(id)->isOcclusionVisible());
    FakePlayerBackend* backend = f.agentBackend(id);
    QCOMPARE(backend->rate(), 1.0);
    if (givenUp) {
        f.lantoRuns();
        f.notifications.deliver(DistributedNotificationNames::appLaunched);
        QVERIFY(!f.agent->isActive());
    }
    const auto setReason = [&](PauseReason reason, bool holds) {
        if (reason == PauseReason::sleep)
            holds ? f.workspace.raiseScreensDidSleep() : f.workspace.raiseScreensDidWake();
        else if (reason == PauseReason::lock)
            holds ? f.workspace.raiseSessionDidResignActive() : f.workspace.raiseSessionDidBecomeActive();
        else
            f.workspace.setFullScreenWindowFrame(holds ? QRect(800, 0, 800, 600) : QRect());
        f.settle();
    };

    setReason(first, true);
    QCOMPARE(backend->rate(), 0.0);
    if (first != second) {
        setReason(second, true);
        setReason(first, false);
        QCOMPARE(backend->rate(), 0.0);
        // The second pass after a wake leaves it paused too.
        f.scheduler.advance(1500ms);
        QCOMPARE(backend->rate(), 0.0);
        setReason(second, false);
    } else {
        setReason(first, false);
    }
    QCOMPARE(f.agentBackend(id), backend);
    if (givenUp) {
        // Lanto plays its own now: the video given up stays paused while its
        // window lingers, until the desktop is the agent's again.
        QCOMPARE(backend->rate(), 0.0);
        f.lantoQuits();
        QCOMPARE(f.agentBackend(id), backend);
    }
    QCOMPARE(backend->rate(), 1.0);
}

void tst_AgentDesktopController::wakeWhileInactive_data()
{
    QTest::addColumn<bool>("lantoRunning");
    QTest::newRow("Lanto not running: the agent takes over") << false;
    QTest::newRow("Lanto running: nothing happens") << true;
}

void tst_AgentDesktopController::wakeWhileInactive()
{
    QFETCH(bool, lantoRunning);
    AgentFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    f.lantoRuns();
    f.startAgent();
    f.lantoWrites({ DesktopFixture::showing(1, m_video) });
    if (!lantoRunning)
        f.applications.remove(AgentFixture::lantoPid); // it ended without a word the agent heard

    f.workspace.raiseSessionDidBecomeActive();
    f.settle();
    QCOMPARE(f.agent->isActive(), !lantoRunning);
    QCOMPARE(f.agentPlaying(QStringLiteral("1")), lantoRunning ? QUrl() : m_video);
}

QTEST_MAIN(tst_AgentDesktopController)
#include "tst_agentdesktopcontroller.moc"
