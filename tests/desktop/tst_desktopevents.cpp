#include "DesktopFixture.h"
#include "DesktopImageView.h"
#include "PauseReasons.h"
#include "LogCapture.h"
#include "SystemVersion.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <chrono>

using namespace std::chrono_literals;

// What the desktop controller does when the system sleeps, wakes, locks,
// switches session, changes displays or covers the desktop.
class tst_DesktopEvents : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void wakeWithNothingShowingDoesNothing();
    void wakeKeepsAMissingDisplayUntilTheRetry();
    void displayChangeRetriesOnlyWhenTheCountChanged_data();
    void displayChangeRetriesOnlyWhenTheCountChanged();
    void sleepAndLockPauseAndWakeAndUnlockResume();
    void oneUnlockWakesOnce_data();
    void oneUnlockWakesOnce();
    void uncoveringResumesOnlyWhatTheCoverPaused_data();
    void uncoveringResumesOnlyWhatTheCoverPaused();
    void fullScreenWindowPausesOnlyItsDisplay_data();
    void fullScreenWindowPausesOnlyItsDisplay();
    void fullScreenFrameIsMeasuredInDevicePixels_data();
    void fullScreenFrameIsMeasuredInDevicePixels();
    void videoPlaysOnlyWhileNoReasonHolds_data();
    void videoPlaysOnlyWhileNoReasonHolds();
    void wallpaperAlwaysComesBack_data();
    void wallpaperAlwaysComesBack();

private:
    // Two displays showing one video.
    DesktopWindowController& showOnTwoDisplays();
    // Begins or ends a reason to pause the video of the second display.
    void setReason(PauseReason reason, bool holds);

    std::unique_ptr<DesktopFixture> m_fixture;
    ConnectedDisplay m_second;
    QUrl m_video;
};

void tst_DesktopEvents::init()
{
    SystemVersion::setCurrent(QVersionNumber(26, 0, 0));
    m_fixture = std::make_unique<DesktopFixture>();
}

void tst_DesktopEvents::cleanup()
{
    m_fixture.reset();
    SystemVersion::setCurrent(QVersionNumber(26, 0, 0));
}

DesktopWindowController& tst_DesktopEvents::showOnTwoDisplays()
{
    DesktopFixture& f = *m_fixture;
    m_second = f.addTwoDisplays();
    f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("Poster.png"));
    m_video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    DesktopWindowController& controller = f.start();
    controller.showVideoWallpaper(m_video);
    f.settle();
    return controller;
}

void tst_DesktopEvents::wakeWithNothingShowingDoesNothing()
{
    DesktopFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    f.start();
    LogCapture log;
    f.workspace.raiseScreensDidWake();
    f.workspace.raiseSessionDidBecomeActive();
    QCOMPARE(log.lines(), QStringList { QStringLiteral("Lanto: sessionDidBecomeActive (screen unlocked) — resuming") });
    QCOMPARE(f.scheduler.pendingCount(), 0);
}

void tst_DesktopEvents::wakeKeepsAMissingDisplayUntilTheRetry()
{
    DesktopFixture& f = *m_fixture;
    showOnTwoDisplays();
    f.workspace.raiseScreensDidSleep();
    QVERIFY(!f.isPlaying(QStringLiteral("1")));

    // The display is missing from the list for a moment as the system wakes.
    f.displays.removeDisplay(m_second.uuid);
    LogCapture log;
    f.workspace.raiseScreensDidWake();
    QVERIFY(f.window(QStringLiteral("2")));
    QVERIFY(f.player(QStringLiteral("2")));
    QCOMPARE(f.playing(QStringLiteral("1")), m_video);
    QVERIFY(!f.controller->screenModels().constFind(QStringLiteral("2"))->isConnection);

    f.scheduler.advance(1500ms);
    QVERIFY(log.contains(QStringLiteral("Lanto: handleWake delayed retry — re-syncing and resuming")));
    QVERIFY(!f.window(QStringLiteral("2")));
    QVERIFY(!f.player(QStringLiteral("2")));
}

void tst_DesktopEvents::displayChangeRetriesOnlyWhenTheCountChanged_data()
{
    QTest::addColumn<bool>("secondArrivesLate");
    QTest::addColumn<int>("callbacks");
    QTest::newRow("count unchanged") << false << 1;
    QTest::newRow("second display counted late") << true << 2;
}

void tst_DesktopEvents::displayChangeRetriesOnlyWhenTheCountChanged()
{
    QFETCH(bool, secondArrivesLate);
    QFETCH(int, callbacks);
    DesktopFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    DesktopWindowController& controller = f.start();
    int called = 0;
    controller.setOnScreensChanged([&] { ++called; });

    LogCapture log;
    f.workspace.raiseScreenParametersChanged();
    QCOMPARE(called, 1);
    if (secondArrivesLate)
        f.displays.addDisplay(QStringLiteral("Display 2"), QRect(800, 0, 800, 600));
    f.scheduler.advance(1500ms);
    QCOMPARE(called, callbacks);
    QCOMPARE(log.contains(QStringLiteral("Lanto: Screen change delayed retry — re-syncing (1 → 2 screens)")),
        secondArrivesLate);
    QCOMPARE(bool(f.window(QStringLiteral("2"))), secondArrivesLate);
}

void tst_DesktopEvents::sleepAndLockPauseAndWakeAndUnlockResume()
{
    DesktopFixture& f = *m_fixture;
    DesktopWindowController& controller = showOnTwoDisplays();
    f.workspace.raiseSessionDidResignActive();
    QVERIFY(!f.isPlaying(QStringLiteral("1")));
    QVERIFY(!f.isPlaying(QStringLiteral("2")));
    f.notifications.deliver(DistributedNotificationNames::screenIsUnlocked);
    QCOMPARE(f.playing(QStringLiteral("1")), m_video);
    QCOMPARE(f.playing(QStringLiteral("2")), m_video);

    // A display whose record lost its video keeps its player stopped.
    controller.removeWallpaper(QStringLiteral("2"));
    f.workspace.raiseScreensDidSleep();
    f.workspace.raiseScreensDidWake();
    QCOMPARE(f.playing(QStringLiteral("1")), m_video);
    QVERIFY(f.playing(QStringLiteral("2")).isEmpty());
}

void tst_DesktopEvents::oneUnlockWakesOnce_data()
{
    QTest::addColumn<bool>("sessionFirst");
    QTest::newRow("session, then notice") << true;
    QTest::newRow("notice, then session") << false;
}

void tst_DesktopEvents::oneUnlockWakesOnce()
{
    QFETCH(bool, sessionFirst);
    DesktopFixture& f = *m_fixture;
    showOnTwoDisplays();
    LogCapture log;
    const auto unlock = [&] {
        f.workspace.raiseSessionDidResignActive();
        if (sessionFirst)
            f.workspace.raiseSessionDidBecomeActive();
        f.notifications.deliver(DistributedNotificationNames::screenIsUnlocked);
        if (!sessionFirst)
            f.workspace.raiseSessionDidBecomeActive();
        f.scheduler.advance(1500ms);
    };
    const auto count = [&](const char* line) { return log.lines().filter(QString::fromUtf8(line)).size(); };

    for (int round = 1; round <= 2; ++round) {
        unlock();
        QCOMPARE(count("Lanto: handleWake — resuming wallpaper"), round);
        QCOMPARE(count("Lanto: handleWake delayed retry"), round);
        QCOMPARE(f.playing(QStringLiteral("1")), m_video);
    }
}

void tst_DesktopEvents::uncoveringResumesOnlyWhatTheCoverPaused_data()
{
    QTest::addColumn<bool>("pauseOnFullscreen");
    QTest::newRow("pause on full screen") << true;
    QTest::newRow("play on under other windows") << false;
}

void tst_DesktopEvents::uncoveringResumesOnlyWhatTheCoverPaused()
{
    QFETCH(bool, pauseOnFullscreen);
    DesktopFixture& f = *m_fixture;
    f.settings.set(SettingsKey::pauseOnFullscreen, PlistValue(pauseOnFullscreen));
    showOnTwoDisplays();
    DesktopWindow* second = f.window(QStringLiteral("2"));
    QTRY_VERIFY(second->isOcclusionVisible());
    f.workspace.raiseScreensDidSleep();

    // Windows of other programs change nothing.
    QObject other;
    f.workspace.raiseWindowOcclusionChanged(&other);
    QVERIFY(!f.isPlaying(QStringLiteral("1")));

    // A desktop window's own report, with none covered, does not wake
    // displays that sleep: the cover paused nothing.
    second->orderOut();
    second->orderFront();
    QTRY_VERIFY(second->isOcclusionVisible());
    QVERIFY(!f.isPlaying(QStringLiteral("1")));
    QVERIFY(!f.isPlaying(QStringLiteral("2")));
}

void tst_DesktopEvents::fullScreenWindowPausesOnlyItsDisplay_data()
{
    QTest::addColumn<bool>("pauseOnFullscreen");
    QTest::newRow("pause on full screen") << true;
    QTest::newRow("play on under full-screen windows") << false;
}

void tst_DesktopEvents::fullScreenWindowPausesOnlyItsDisplay()
{
    QFETCH(bool, pauseOnFullscreen);
    DesktopFixture& f = *m_fixture;
    f.settings.set(SettingsKey::pauseOnFullscreen, PlistValue(pauseOnFullscreen));
    showOnTwoDisplays();
    const QString first = QStringLiteral("1");
    const QString second = QStringLiteral("2");
    QTRY_VERIFY(f.window(first)->isOcclusionVisible() && f.window(second)->isOcclusionVisible());
    QVERIFY(f.isPlaying(first) && f.isPlaying(second));

    // A full-screen window on the second display, a panel's strip short of it.
    f.workspace.setFullScreenWindowFrame(QRect(800, 0, 800, 570));
    QVERIFY(f.window(second)->isCoveredByFullScreen());
    QVERIFY(!f.window(first)->isCoveredByFullScreen());
    QVERIFY(f.isPlaying(first));
    QCOMPARE(f.isPlaying(second), !pauseOnFullscreen);
    // The setting turned while the display is covered holds at once, either way.
    f.settings.set(SettingsKey::pauseOnFullscreen, PlistValue(!pauseOnFullscreen));
    QTRY_COMPARE(f.isPlaying(second), pauseOnFullscreen);
    f.settings.set(SettingsKey::pauseOnFullscreen, PlistValue(pauseOnFullscreen));
    QTRY_COMPARE(f.isPlaying(second), !pauseOnFullscreen);
    QVERIFY(f.isPlaying(first));

    // Wake and unlock leave the covered display paused.
    f.workspace.raiseScreensDidSleep();
    f.workspace.raiseScreensDidWake();
    f.settle();
    QVERIFY(f.isPlaying(first));
    QCOMPARE(f.isPlaying(second), !pauseOnFullscreen);

    // The window moves to the first display, then leaves full screen.
    f.workspace.setFullScreenWindowFrame(QRect(0, 0, 800, 600));
    f.settle();
    QCOMPARE(f.isPlaying(first), !pauseOnFullscreen);
    QVERIFY(f.isPlaying(second));
    f.workspace.setFullScreenWindowFrame(QRect());
    f.settle();
    QVERIFY(f.isPlaying(first));
    QVERIFY(f.isPlaying(second));
}

void tst_DesktopEvents::wallpaperAlwaysComesBack_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("macOS 15") << 15 << 1u;
    QTest::newRow("macOS 26") << 26 << 2u;
    QTest::newRow("macOS 26, other order") << 26 << 3u;
}

void tst_DesktopEvents::wallpaperAlwaysComesBack()
{
    QFETCH(int, major);
    QFETCH(quint32, seed);
    SystemVersion::setCurrent(QVersionNumber(major, 0, 0));
    DesktopFixture& f = *m_fixture;
    DesktopWindowController& controller = showOnTwoDisplays();
    QRandomGenerator random(seed);

    enum Pair { sleepWake, lockUnlock, unplugReplug };
    for (int cycle = 0; cycle < 50; ++cycle) {
        // Each pair starts and ends once per cycle; the pairs interleave at random.
        QList<Pair> order { sleepWake, sleepWake, lockUnlock, lockUnlock, unplugReplug, unplugReplug };
        for (qsizetype i = order.size() - 1; i > 0; --i)
            order.swapItemsAt(i, random.bounded(int(i + 1)));
        QSet<Pair> started;
        for (const Pair pair : std::as_const(order)) {
            const bool begins = !started.contains(pair);
            started.insert(pair);
            switch (pair) {
            case sleepWake:
                begins ? f.workspace.raiseScreensDidSleep() : f.workspace.raiseScreensDidWake();
                break;
            case lockUnlock:
                if (begins) {
                    f.workspace.raiseSessionDidResignActive();
                } else {
                    f.notifications.deliver(DistributedNotificationNames::screenIsUnlocked);
                    f.workspace.raiseSessionDidBecomeActive();
                }
                break;
            case unplugReplug:
                if (begins)
                    f.displays.removeDisplay(m_second.uuid);
                else
                    f.displays.addDisplay(m_second);
                // Sometimes the system reports the change only later, or never before a wake.
                if (random.bounded(3) != 0)
                    f.workspace.raiseScreenParametersChanged();
                break;
            }
            const std::chrono::milliseconds pause(random.bounded(2500));
            f.scheduler.advance(pause);
            f.playerClock.advance(pause);
            QCoreApplication::sendPostedEvents();
        }
    }
    f.scheduler.advance(5s);
    f.settle();

    QCOMPARE(controller.windows().size(), size_t(2));
    QVERIFY(controller.videoPlayers().size() <= 2);
    for (const QString& id : { QStringLiteral("1"), QStringLiteral("2") }) {
        QCOMPARE(f.playing(id), m_video);
        QVERIFY(f.window(id)->isVisible());
        QCOMPARE(f.window(id)->level(), DesktopLevelWindow::desktopLevel);
        QCOMPARE(f.player(id)->playerView()->parentItem(), controller.imageViews().value(id));
    }
    // Nothing runs but the window-order poll.
    QVERIFY(controller.windowOrder().isZOrderPolling());
    QCOMPARE(f.scheduler.pendingCount(), 1);
}

// The window system reports the full-screen window in device pixels; on a
// scaled session Qt gives a display's position in them and its size in
// device-independent pixels. A display is covered when the window lies over
// half of it or more.
void tst_DesktopEvents::fullScreenFrameIsMeasuredInDevicePixels_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<QRect>("fullScreen");
    QTest::addColumn<bool>("firstCovered");
    QTest::addColumn<bool>("secondCovered");
    for (const int scale : { 1, 2 }) {
        const int width = 800 * scale;
        const int height = 600 * scale;
        QTest::addRow("scale %d, over the second display", scale)
            << scale << QRect(width, 0, width, height) << false << true;
        QTest::addRow("scale %d, over the first display", scale) << scale << QRect(0, 0, width, height) << true << false;
        QTest::addRow("scale %d, two fifths of each", scale)
            << scale << QRect(width * 3 / 5, 0, width * 4 / 5, height) << false << false;
        QTest::addRow("scale %d, three fifths of the second", scale)
            << scale << QRect(width * 7 / 5, 0, width * 3 / 5, height) << false << true;
    }
}

void tst_DesktopEvents::fullScreenFrameIsMeasuredInDevicePixels()
{
    QFETCH(int, scale);
    QFETCH(QRect, fullScreen);
    QFETCH(bool, firstCovered);
    QFETCH(bool, secondCovered);
    DesktopFixture& f = *m_fixture;
    f.settings.set(SettingsKey::pauseOnFullscreen, PlistValue(true));
    for (quint32 number : { 1u, 2u }) {
        ConnectedDisplay display;
        display.number = number;
        display.localizedName = QStringLiteral("Display %1").arg(number);
        display.uuid = FakeDisplays::uuidForNumber(number);
        display.frame = QRect(int(number - 1) * 800 * scale, 0, 800, 600);
        display.pixelFrame = ConnectedDisplay::devicePixelFrame(display.frame, scale);
        f.displays.addDisplay(display);
    }
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    f.start().showVideoWallpaper(video);
    f.settle();
    QTRY_VERIFY(f.window(QStringLiteral("1"))->isOcclusionVisible() && f.window(QStringLiteral("2"))->isOcclusionVisible());

    f.workspace.setFullScreenWindowFrame(fullScreen);
    f.settle();
    QCOMPARE(f.isPlaying(QStringLiteral("1")), !firstCovered);
    QCOMPARE(f.isPlaying(QStringLiteral("2")), !secondCovered);
}

void tst_DesktopEvents::setReason(PauseReason reason, bool holds)
{
    DesktopFixture& f = *m_fixture;
    switch (reason) {
    case PauseReason::sleep:
        holds ? f.workspace.raiseScreensDidSleep() : f.workspace.raiseScreensDidWake();
        break;
    case PauseReason::lock:
        if (holds) {
            f.workspace.raiseSessionDidResignActive();
        } else {
            f.workspace.raiseSessionDidBecomeActive();
            f.notifications.deliver(DistributedNotificationNames::screenIsUnlocked);
        }
        break;
    case PauseReason::cover:
        f.workspace.setFullScreenWindowFrame(holds ? m_second.frame : QRect());
        break;
    case PauseReason::battery:
        f.workspace.setOnBattery(holds);
        break;
    default:
        QFAIL("not a reason the desktop follows");
    }
    f.settle();
}

// Sleep, lock, a full-screen window over the display and the battery rule
// each pause the display's video on their own: it plays again only once none
// is left, whichever ends first, and a video replaced or a display returning
// while one holds starts under it.
void tst_DesktopEvents::videoPlaysOnlyWhileNoReasonHolds_data()
{
    QTest::addColumn<PauseReason>("first");
    QTest::addColumn<PauseReason>("second"); // the same as first: a change while it holds
    QTest::addColumn<QString>("change"); // "", "replace" or "return"
    const QList<std::pair<PauseReason, const char*>> reasons { { PauseReason::sleep, "sleep" },
        { PauseReason::lock, "lock" }, { PauseReason::cover, "cover" }, { PauseReason::battery, "battery" } };
    for (const auto& [first, firstName] : reasons) {
        for (const auto& [second, secondName] : reasons) {
            if (first != second)
                QTest::addRow("%s, then %s; %s ends first", firstName, secondName, firstName)
                    << first << second << QString();
        }
        QTest::addRow("new video during %s", firstName) << first << first << QStringLiteral("replace");
        QTest::addRow("display returns during %s", firstName) << first << first << QStringLiteral("return");
    }
}

void tst_DesktopEvents::videoPlaysOnlyWhileNoReasonHolds()
{
    QFETCH(PauseReason, first);
    QFETCH(PauseReason, second);
    QFETCH(QString, change);
    DesktopFixture& f = *m_fixture;
    f.settings.set(SettingsKey::pauseOnFullscreen, PlistValue(true));
    f.settings.set(SettingsKey::pauseOnBattery, PlistValue(true));
    DesktopWindowController& controller = showOnTwoDisplays();
    const QUrl other = f.wallpaperFile(QStringLiteral("bb"), QStringLiteral("content.mov"));
    const QString id = QStringLiteral("2");
    QTRY_VERIFY(f.window(id)->isOcclusionVisible());
    QVERIFY(f.isPlaying(id));
    // Stopped or paused: a player that plays nothing does not count as paused.
    const auto pausedOn = [&](const QUrl& video) {
        return f.player(id) && f.player(id)->currentURL() == video && !f.isPlaying(id);
    };

    setReason(first, true);
    QVERIFY(pausedOn(m_video));
    QUrl shown = m_video;
    if (change == QStringLiteral("replace")) {
        controller.showVideoWallpaper(other, id);
        f.settle();
        shown = other;
    } else if (change == QStringLiteral("return")) {
        f.displays.removeDisplay(m_second.uuid);
        f.workspace.raiseScreenParametersChanged();
        QVERIFY(!f.window(id));
        f.displays.addDisplay(m_second);
        f.workspace.raiseScreenParametersChanged();
        QTRY_VERIFY(f.window(id) && f.window(id)->isOcclusionVisible());
        f.settle();
    } else {
        setReason(second, true);
        QVERIFY(pausedOn(m_video));
    }
    QVERIFY2(pausedOn(shown), "plays while a reason holds");
    setReason(first, false);
    if (first != second) {
        QVERIFY2(pausedOn(shown), "the first reason's end resumed it under the second");
        setReason(second, false);
    }
    QCOMPARE(f.playing(id), shown);
    QCOMPARE(f.playing(QStringLiteral("1")), m_video);
}

QTEST_MAIN(tst_DesktopEvents)
#include "tst_desktopevents.moc"
