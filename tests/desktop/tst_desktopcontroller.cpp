#include "DesktopFixture.h"
#include "DesktopImageView.h"
#include "LogCapture.h"
#include "PrivateBus.h"
#include "PropertyList.h"
#include "SystemVersion.h"
#include "TestPictures.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <chrono>

#include <sys/stat.h>

using namespace std::chrono_literals;

namespace {

const QString wallpaperChanged = DistributedNotificationNames::wallpaperChanged;

QStringList linesStartingWith(const LogCapture& log, const QString& prefix)
{
    QStringList found;
    for (const QString& line : log.lines()) {
        if (line.startsWith(prefix))
            found.append(line);
    }
    return found;
}

// The record with that id; a record of no display when there is none, so that checks fail readably.
ScreenModel recordIn(const ScreenModelMap& records, const QString& id)
{
    const auto found = records.constFind(id);
    return found == records.cend() ? ScreenModel(0, QStringLiteral("none")) : *found;
}

} // namespace

class tst_DesktopController : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void restoresRecordedVideosAtLaunch();
    void handsOverOnlyPastHalfASecond_data();
    void handsOverOnlyPastHalfASecond();
    void listsConnectedScreensInNumericOrder();
    void unplugKeepsTheRecordAndReplugShowsItAgain();
    void perDisplayRemoveLeavesThePollUntilATickFindsNothing();
    void videoShowsRebuildOrReuseWindowsByVersion_data();
    void videoShowsRebuildOrReuseWindowsByVersion();
    void newVideoStartsFromTheBeginning();
    void unreadablePictureChangesNothing();
    void namedPipeInPlaceOfAPictureIsPassedOver_data();
    void namedPipeInPlaceOfAPictureIsPassedOver();
    void removeAllClearsUnpluggedDisplaysToo();
    void savesBeforeTellingTheOtherProgram();
    void snapshotRecordsPositionsThenSavesAndPosts();
    void folderLookupsSkipTheTintCopy();

private:
    std::unique_ptr<DesktopFixture> m_fixture;
};

void tst_DesktopController::init()
{
    SystemVersion::setCurrent(QVersionNumber(26, 0, 0));
    m_fixture = std::make_unique<DesktopFixture>();
}

void tst_DesktopController::cleanup()
{
    m_fixture.reset();
    SystemVersion::setCurrent(QVersionNumber(26, 0, 0));
}

void tst_DesktopController::restoresRecordedVideosAtLaunch()
{
    DesktopFixture& f = *m_fixture;
    f.addTwoDisplays();
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    f.saveRecords({ DesktopFixture::showing(1, video, 12.0), DesktopFixture::showing(2, video) });

    LogCapture log;
    DesktopWindowController& controller = f.start();
    f.settle();
    QVERIFY(log.contains(QStringLiteral("Lanto: Restored 2 persisted wallpaper(s) on launch")));
    QCOMPARE(linesStartingWith(log, QStringLiteral("Lanto: startVideo")),
        (QStringList { QStringLiteral("Lanto: startVideo serial=1, videoURL=content.mov, pos=12.0s, handoff=1"),
            QStringLiteral("Lanto: startVideo serial=2, videoURL=content.mov, pos=0.0s, handoff=0") }));
    for (const QString& id : { QStringLiteral("1"), QStringLiteral("2") }) {
        QCOMPARE(f.playing(id), video);
        QVERIFY(f.window(id)->isVisible());
    }
    QVERIFY(controller.windowOrder().isZOrderPolling());
    // A restore shows what was saved: it neither saves nor posts.
    QVERIFY(f.notifications.posted().isEmpty());
}

void tst_DesktopController::handsOverOnlyPastHalfASecond_data()
{
    QTest::addColumn<double>("position");
    QTest::addColumn<bool>("handoff");
    QTest::newRow("0.5 s") << 0.5 << false;
    QTest::newRow("0.6 s") << 0.6 << true;
}

void tst_DesktopController::handsOverOnlyPastHalfASecond()
{
    QFETCH(double, position);
    QFETCH(bool, handoff);
    DesktopFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    f.saveRecords(
        { DesktopFixture::showing(1, f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("v.mp4")), position) });
    LogCapture log;
    f.start();
    f.settle();
    QVERIFY(log.lines().contains(QStringLiteral("Lanto: startVideo serial=1, videoURL=v.mp4, pos=%1s, handoff=%2")
                                     .arg(position, 0, 'f', 1)
                                     .arg(handoff ? 1 : 0)));
    // A hand-over decodes from its position rather than seeking there after a start from 0.
    QCOMPARE(f.backend(QStringLiteral("1"))->startSeconds(), handoff ? position : 0.0);
    QVERIFY(f.backend(QStringLiteral("1"))->seeks().isEmpty());
}

void tst_DesktopController::listsConnectedScreensInNumericOrder()
{
    DesktopFixture& f = *m_fixture;
    for (const quint32 number : { 10u, 9u, 100u })
        f.displays.addDisplay(ConnectedDisplay { number, QStringLiteral("D%1").arg(number), QRect(), {}, nullptr });
    DesktopWindowController& controller = f.start();
    QList<ConnectedDisplay> remaining = f.displays.displays();
    remaining.removeLast();
    f.displays.setDisplays(remaining);
    f.workspace.raiseScreenParametersChanged();

    QList<quint32> serials;
    for (const ScreenModel& model : controller.connectedScreens())
        serials.append(model.serialNumber());
    QCOMPARE(serials, (QList<quint32> { 9, 10 }));
    QVERIFY(!recordIn(controller.screenModels(), QStringLiteral("100")).isConnection);
}

void tst_DesktopController::unplugKeepsTheRecordAndReplugShowsItAgain()
{
    DesktopFixture& f = *m_fixture;
    const ConnectedDisplay second = f.addTwoDisplays();
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    DesktopWindowController& controller = f.start();
    controller.showVideoWallpaper(video);
    f.settle();
    QCOMPARE(f.playing(QStringLiteral("2")), video);

    f.displays.removeDisplay(second.uuid);
    f.workspace.raiseScreenParametersChanged();
    QVERIFY(!f.window(QStringLiteral("2")));
    QVERIFY(!f.player(QStringLiteral("2")));
    const ScreenModel kept = recordIn(controller.screenModels(), QStringLiteral("2"));
    QVERIFY(!kept.isConnection);
    QVERIFY(kept.isShowingWallpaper);
    QCOMPARE(kept.videoURL, video);
    controller.showVideoWallpaper(video); // any save keeps the unplugged display's record
    QVERIFY(f.savedRecords().contains(QStringLiteral("2")));

    f.displays.addDisplay(second);
    f.workspace.raiseScreenParametersChanged();
    f.settle();
    QVERIFY(f.window(QStringLiteral("2"))->isVisible());
    QCOMPARE(f.playing(QStringLiteral("2")), video);
    QVERIFY(recordIn(controller.screenModels(), QStringLiteral("2")).isConnection);
    // The other display was left playing as it was.
    QCOMPARE(f.playing(QStringLiteral("1")), video);
}

void tst_DesktopController::perDisplayRemoveLeavesThePollUntilATickFindsNothing()
{
    DesktopFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    DesktopWindowController& controller = f.start();
    const QUrl picture = TestPictures::stripes(f.downloads, QStringLiteral("p.png"), QSize(8, 8), { Qt::blue });
    controller.showWallpaper(picture);
    QVERIFY(f.window(QStringLiteral("1"))->isVisible());

    controller.removeWallpaper(QStringLiteral("1"));
    QVERIFY(!f.window(QStringLiteral("1"))->isVisible());
    QVERIFY(controller.windowOrder().isZOrderPolling());
    f.scheduler.advance(2100ms);
    QVERIFY(!controller.windowOrder().isZOrderPolling());
    f.scheduler.advance(10s);
    QCOMPARE(f.scheduler.pendingCount(), 0);
}

void tst_DesktopController::videoShowsRebuildOrReuseWindowsByVersion_data()
{
    QTest::addColumn<int>("major");
    QTest::addColumn<bool>("rebuilt");
    QTest::addColumn<int>("pendingTasks"); // the poll, and the six re-assertions on macOS 26
    QTest::newRow("macOS 15") << 15 << true << 1;
    QTest::newRow("macOS 26") << 26 << false << 7;
}

void tst_DesktopController::videoShowsRebuildOrReuseWindowsByVersion()
{
    QFETCH(int, major);
    QFETCH(bool, rebuilt);
    QFETCH(int, pendingTasks);
    SystemVersion::setCurrent(QVersionNumber(major, 0, 0));
    DesktopFixture& f = *m_fixture;
    f.addTwoDisplays();
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    DesktopWindowController& controller = f.start();
    QPointer<DesktopWindow> first = f.window(QStringLiteral("1"));

    LogCapture log;
    controller.showVideoWallpaper(video);
    f.settle();
    QCOMPARE(first.isNull(), rebuilt);
    QVERIFY(log.contains(QStringLiteral("Lanto: Video wallpaper shown on 2 screen(s)")));
    for (const QString& id : { QStringLiteral("1"), QStringLiteral("2") }) {
        QCOMPARE(f.playing(id), video);
        QVERIFY(f.window(id)->isVisible());
        QCOMPARE(f.window(id)->level(), DesktopLevelWindow::desktopLevel);
    }
    QCOMPARE(f.scheduler.pendingCount(), pendingTasks);
    QCOMPARE(f.notifications.posted(), QStringList { wallpaperChanged });
    QCOMPARE(recordIn(f.savedRecords(), QStringLiteral("2")).videoURL, video);
}

void tst_DesktopController::newVideoStartsFromTheBeginning()
{
    DesktopFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    const QUrl first = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    const QUrl second = f.wallpaperFile(QStringLiteral("bb"), QStringLiteral("content.mov"));
    f.saveRecords({ DesktopFixture::showing(1, first, 42.0) });
    LogCapture log;
    DesktopWindowController& controller = f.start();
    f.settle();
    QCOMPARE(f.backend(QStringLiteral("1"))->startSeconds(), 42.0);

    // The same video again keeps its place; another one starts at 0 without the hand-over look.
    controller.showVideoWallpaper(first, QStringLiteral("1"));
    QCOMPARE(recordIn(controller.screenModels(), QStringLiteral("1")).playbackPosition, 42.0);
    controller.showVideoWallpaper(second);
    f.settle();
    QVERIFY(log.contains(QStringLiteral("Lanto: startVideo serial=1, videoURL=content.mov, pos=0.0s, handoff=0")));
    QCOMPARE(f.playing(QStringLiteral("1")), second);
    QCOMPARE(f.backend(QStringLiteral("1"))->startSeconds(), 0.0);
    QVERIFY(f.backend(QStringLiteral("1"))->seeks().isEmpty());
    QCOMPARE(recordIn(controller.screenModels(), QStringLiteral("1")).playbackPosition, 0.0);
}

void tst_DesktopController::unreadablePictureChangesNothing()
{
    DesktopFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    DesktopWindowController& controller = f.start();
    const QUrl broken = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("broken.png"), "not a picture");
    LogCapture log;
    controller.showWallpaper(broken);
    controller.showWallpaper(broken, QStringLiteral("1"));
    QCOMPARE(linesStartingWith(log, QStringLiteral("Lanto: FAILED to load image at ")).size(), 2);
    QVERIFY(f.notifications.posted().isEmpty());
    QVERIFY(!f.window(QStringLiteral("1"))->isVisible());

    // The flag went down with the failures: later shows work.
    const QUrl video = f.wallpaperFile(QStringLiteral("bb"), QStringLiteral("content.mov"));
    controller.showVideoWallpaper(video);
    f.settle();
    QCOMPARE(f.playing(QStringLiteral("1")), video);
}

// A named pipe nobody writes to, where a poster or a recorded picture should
// be: opening it to read would wait for ever, so it is passed over at once.
void tst_DesktopController::namedPipeInPlaceOfAPictureIsPassedOver_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("the recorded video's poster, at launch") << QStringLiteral("poster");
    QTest::newRow("the recorded picture, at launch") << QStringLiteral("recorded");
    QTest::newRow("a picture shown") << QStringLiteral("shown");
}

void tst_DesktopController::namedPipeInPlaceOfAPictureIsPassedOver()
{
    QFETCH(QString, kind);
    DesktopFixture& f = *m_fixture;
    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    const QString pipe = QFileInfo(video.toLocalFile()).dir().filePath(
        kind == QStringLiteral("poster") ? QStringLiteral("Poster.png") : QStringLiteral("picture.png"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ScreenModel record = DesktopFixture::showing(1, video);
    if (kind == QStringLiteral("recorded")) {
        record.videoURL.reset();
        record.wallpaperImageURL = QUrl::fromLocalFile(pipe);
    }
    if (kind != QStringLiteral("shown"))
        f.saveRecords({ record });

    QElapsedTimer elapsed;
    elapsed.start();
    DesktopWindowController& controller = f.start();
    if (kind == QStringLiteral("shown"))
        controller.showWallpaper(QUrl::fromLocalFile(pipe));
    f.settle();
    QVERIFY2(elapsed.elapsed() < 2000, "a picture held the main thread");
    QVERIFY(f.controller->imageViews().value(QStringLiteral("1"))->image().isNull());
    QCOMPARE(f.playing(QStringLiteral("1")), kind == QStringLiteral("poster") ? video : QUrl());
}

void tst_DesktopController::removeAllClearsUnpluggedDisplaysToo()
{
    DesktopFixture& f = *m_fixture;
    const ConnectedDisplay second = f.addTwoDisplays();
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    DesktopWindowController& controller = f.start();
    controller.showVideoWallpaper(video);
    f.displays.removeDisplay(second.uuid);
    f.workspace.raiseScreenParametersChanged();

    controller.removeWallpaper();
    QVERIFY(!controller.windowOrder().isZOrderPolling());
    QVERIFY(!f.window(QStringLiteral("1"))->isVisible());
    QVERIFY(f.player(QStringLiteral("1"))->currentURL().isEmpty());
    f.displays.addDisplay(second);
    f.workspace.raiseScreenParametersChanged();
    QVERIFY(!f.window(QStringLiteral("2"))->isVisible());
    QVERIFY(!recordIn(f.savedRecords(), QStringLiteral("2")).isShowingWallpaper);
}

void tst_DesktopController::savesBeforeTellingTheOtherProgram()
{
    DesktopFixture& f = *m_fixture;
    // A session of the test's own: the user's agent on theirs must not hear of it.
    PrivateBus session;
    QVERIFY(session.isReady());
    // The other program: its own bus connection, its own view of the settings file.
    DBusDistributedNotifications ours(session.connect(QStringLiteral("ours")));
    DBusDistributedNotifications theirs(session.connect(QStringLiteral("other")));
    QList<ScreenModelMap> seen;
    const QString settingsFolder = f.home.appSupportPath();
    theirs.observe(wallpaperChanged, this, [&] {
        VirtualScheduler writes;
        LantoSettings reader(settingsFolder, writes);
        seen.append(ScreenModel::loadAll(reader));
    });

    f.displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    DesktopWindowController& controller = f.start(ours);
    controller.showVideoWallpaper(video);
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 1, 10000);
    QCOMPARE(recordIn(seen.first(), QStringLiteral("1")).videoURL, video);

    controller.removeWallpaper();
    QTRY_COMPARE_WITH_TIMEOUT(seen.size(), 2, 10000);
    QVERIFY(!recordIn(seen.last(), QStringLiteral("1")).isShowingWallpaper);
    f.controller.reset(); // before the notices it posts through
}

void tst_DesktopController::snapshotRecordsPositionsThenSavesAndPosts()
{
    DesktopFixture& f = *m_fixture;
    f.addTwoDisplays();
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    const QUrl loading = f.wallpaperFile(QStringLiteral("bb"), QStringLiteral("content.mov"));
    f.backends.setMedia(loading, { 10, std::nullopt, QString() });
    DesktopWindowController& controller = f.start();
    controller.showVideoWallpaper(video);
    controller.showVideoWallpaper(loading, QStringLiteral("2"));
    f.settle();
    f.playerClock.advance(7s);
    const double position = f.player(QStringLiteral("1"))->currentPosition();
    QVERIFY(position > 7);
    f.notifications.clearPosted();

    LogCapture log;
    controller.snapshotForHandoff();
    // A video still loading records 0.
    QCOMPARE(linesStartingWith(log, QStringLiteral("Lanto: Snapshot position")),
        (QStringList { QStringLiteral("Lanto: Snapshot position for screen 1: %1s").arg(position, 0, 'f', 2),
            QStringLiteral("Lanto: Snapshot position for screen 2: 0.00s") }));
    QCOMPARE(recordIn(f.savedRecords(), QStringLiteral("1")).playbackPosition, position);
    QCOMPARE(recordIn(f.savedRecords(), QStringLiteral("2")).playbackPosition, 0.0);
    QCOMPARE(f.notifications.posted(), QStringList { wallpaperChanged });
    // Written at once, for the agent that takes over.
    QVERIFY(PropertyList::readFile(f.settings.filePath()).has_value());
}

void tst_DesktopController::folderLookupsSkipTheTintCopy()
{
    DesktopFixture& f = *m_fixture;
    DesktopWindowController& controller = f.start();
    f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("DesktopImage.png"));
    f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("Poster.png"));
    QVERIFY(!controller.contentFileURL(QStringLiteral("aa")));
    QCOMPARE(controller.posterURL(QStringLiteral("aa")), QUrl::fromLocalFile(f.downloads + "/aa/Poster.png"));
    const QUrl video = f.wallpaperFile(QStringLiteral("aa"), QStringLiteral("content.mov"));
    QCOMPARE(controller.contentFileURL(QStringLiteral("aa")), video);
    QVERIFY(!controller.contentFileURL(QStringLiteral("..")));
}

QTEST_MAIN(tst_DesktopController)
#include "tst_desktopcontroller.moc"
