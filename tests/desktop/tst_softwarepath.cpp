// The software render path in windows that Qt Quick renders without OpenGL,
// as the agent's are on a machine without a graphics card: the poster shows
// first and the video fades in over it, a rounded view leaves its corners to
// what lies beneath, a replacement swaps in only once it plays, and two displays showing one file share one playback in step until
// one of them seeks elsewhere. A pass that ended on its last frame plays again
// from the start when asked.
#include "DesktopImageView.h"
#include "DesktopVideoPlayer.h"
#include "LantoSettings.h"
#include "LogCapture.h"
#include "MpvPlayback.h"
#include "MpvPlayerBackend.h"
#include "TemporaryHome.h"
#include "TestClip.h"
#include "TestPictures.h"
#include "VideoRenderPath.h"
#include "Workspace.h"

#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

constexpr int timeout = 20000;

// A window with an image view, as a display's wallpaper window has.
struct WallpaperWindow
{
    WallpaperWindow()
    {
        window.resize(160, 90);
        imageView = new DesktopImageView(window.contentItem());
        imageView->setSize(QSizeF(160, 90));
        window.show();
    }

    // The share of the upper and lower halves in the colours given.
    bool shows(QColor upper, QColor lower)
    {
        const QImage shot = window.grabWindow();
        const QRect top(8, 6, shot.width() - 16, shot.height() / 2 - 12);
        const QRect bottom = top.translated(0, shot.height() / 2);
        const int area = top.width() * top.height();
        return TestPictures::count(shot, top, upper) > area * 9 / 10
            && TestPictures::count(shot, bottom, lower) > area * 9 / 10;
    }

    QQuickWindow window;
    DesktopImageView* imageView = nullptr;
};

MpvPlayback* playbackOf(const DesktopVideoPlayer& player)
{
    return static_cast<MpvPlayerBackend*>(player.player())->playback();
}

} // namespace

class tst_SoftwarePath : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void posterFirstThenVideo();
    void roundedViewLeavesItsCorners();
    void replacementSwapsInOnceItPlays();
    void displaysShareOnePlaybackUntilOneSeeks_data();
    void displaysShareOnePlaybackUntilOneSeeks();
    void endedPassPlaysAgainFromTheStart();

private:
    QUrl writeClip(const QString& name, QColor upper, QColor lower, QColor poster);

    TemporaryHome m_home;
    std::unique_ptr<LantoSettings> m_settings;
    Workspace m_workspace;
    MpvPlayerBackendFactory m_backends;
    QUrl m_blueOverYellow;
    QUrl m_green;
};

void tst_SoftwarePath::initTestCase()
{
    qputenv(VideoRenderPath::environmentVariable, "software");
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QVERIFY(VideoRenderPath::isSoftware());
    m_settings = std::make_unique<LantoSettings>(m_home.appSupportPath(), MainThreadScheduler::shared());
    m_blueOverYellow = writeClip(QStringLiteral("first"), Qt::blue, Qt::yellow, Qt::red);
    m_green = writeClip(QStringLiteral("second"), Qt::green, Qt::green, Qt::magenta);
}

QUrl tst_SoftwarePath::writeClip(const QString& name, QColor upper, QColor lower, QColor poster)
{
    const QString folder = m_home.filePath(name);
    QDir().mkpath(folder);
    TestClip::Recipe recipe;
    recipe.frames = 60;
    recipe.colour = [upper](int) { return upper; };
    recipe.lowerHalf = lower;
    const QString path = QDir(folder).filePath(QStringLiteral("clip.mp4"));
    QString error;
    if (!TestClip::write(path, recipe, &error))
        qWarning() << error;
    TestPictures::stripes(folder, QStringLiteral("Poster.png"), QSize(32, 18), { poster });
    return QUrl::fromLocalFile(path);
}

void tst_SoftwarePath::posterFirstThenVideo()
{
    LogCapture log;
    WallpaperWindow display;
    QVERIFY(QTest::qWaitForWindowExposed(&display.window));
    DesktopVideoPlayer player({ m_backends, m_workspace, *m_settings, MainThreadScheduler::shared() });
    player.play(m_blueOverYellow, display.imageView, false, 0);

    // Until the video plays, the poster bridges: the view is clear over it.
    QCOMPARE(player.playerView()->opacity(), 0.0);
    QVERIFY(display.shows(Qt::red, Qt::red));

    QTRY_VERIFY_WITH_TIMEOUT(!log.lines().filter(QStringLiteral("fade-in started (0.3s)")).isEmpty(), timeout);
    QTRY_COMPARE_WITH_TIMEOUT(player.playerView()->opacity(), 1.0, timeout);
    QTRY_VERIFY_WITH_TIMEOUT(display.shows(Qt::blue, Qt::yellow), timeout);
    QVERIFY(player.playerView()->framesShown() > 0);
    // Covered by the video, the poster is not kept decoded; stopped, the video leaves it in sight again.
    QTRY_VERIFY_WITH_TIMEOUT(display.imageView->isCovered(), timeout);
    QVERIFY(display.imageView->image().isNull());
    player.stop();
    QVERIFY(!display.imageView->isCovered());
    QTRY_VERIFY_WITH_TIMEOUT(display.shows(Qt::red, Qt::red), timeout);
    QVERIFY(log.lines().filter(QStringLiteral("cannot draw")).isEmpty());
}

void tst_SoftwarePath::roundedViewLeavesItsCorners()
{
    WallpaperWindow display;
    QVERIFY(QTest::qWaitForWindowExposed(&display.window));
    DesktopVideoPlayer player({ m_backends, m_workspace, *m_settings, MainThreadScheduler::shared() });
    player.play(m_blueOverYellow, display.imageView, false, 0);
    QTRY_VERIFY_WITH_TIMEOUT(display.shows(Qt::blue, Qt::yellow), timeout);

    player.playerView()->setCornerRadius(20);
    const auto corners = [&] {
        const QImage shot = display.window.grabWindow();
        const QPoint last(shot.width() - 1, shot.height() - 1);
        return QList<QColor> { shot.pixelColor(1, 1), shot.pixelColor(last.x() - 1, 1),
            shot.pixelColor(1, last.y() - 1), shot.pixelColor(last - QPoint(1, 1)) };
    };
    QTRY_VERIFY_WITH_TIMEOUT(!TestPictures::near(corners().at(0), Qt::blue, 40), timeout);
    const QList<QColor> shown = corners();
    QVERIFY(!TestPictures::near(shown.at(1), Qt::blue, 40));
    QVERIFY(!TestPictures::near(shown.at(2), Qt::yellow, 40));
    QVERIFY(!TestPictures::near(shown.at(3), Qt::yellow, 40));
    // Inside the rounding the video still fills the view.
    QVERIFY(display.shows(Qt::blue, Qt::yellow));
    player.stop();
}

void tst_SoftwarePath::replacementSwapsInOnceItPlays()
{
    LogCapture log;
    WallpaperWindow display;
    QVERIFY(QTest::qWaitForWindowExposed(&display.window));
    DesktopVideoPlayer player({ m_backends, m_workspace, *m_settings, MainThreadScheduler::shared() });
    player.play(m_blueOverYellow, display.imageView, false, 0);
    QTRY_VERIFY_WITH_TIMEOUT(display.shows(Qt::blue, Qt::yellow), timeout);

    log.clear();
    player.play(m_green, display.imageView, false, 0);
    // Still the old video, not the new poster nor a black frame, until the new one plays.
    QVERIFY(display.shows(Qt::blue, Qt::yellow));
    QTRY_VERIFY_WITH_TIMEOUT(
        !log.lines().filter(QStringLiteral("deferred swap — old video replaced seamlessly")).isEmpty(), timeout);
    QTRY_VERIFY_WITH_TIMEOUT(display.shows(Qt::green, Qt::green), timeout);
    QVERIFY(log.lines().filter(QStringLiteral("poster loaded as bridge")).isEmpty());
    player.stop();
}

void tst_SoftwarePath::displaysShareOnePlaybackUntilOneSeeks_data()
{
    QTest::addColumn<bool>("handoff");
    QTest::addColumn<double>("position");

    QTest::newRow("from the start") << false << 0.0;
    // Both displays were handed over at the same place: one seek serves both.
    QTest::newRow("handed over at the same place") << true << 1.2;
}

void tst_SoftwarePath::displaysShareOnePlaybackUntilOneSeeks()
{
    QFETCH(bool, handoff);
    QFETCH(double, position);
    LogCapture log;
    WallpaperWindow left;
    WallpaperWindow right;
    QVERIFY(QTest::qWaitForWindowExposed(&left.window));
    QVERIFY(QTest::qWaitForWindowExposed(&right.window));
    DesktopVideoPlayer leftPlayer({ m_backends, m_workspace, *m_settings, MainThreadScheduler::shared() });
    DesktopVideoPlayer rightPlayer({ m_backends, m_workspace, *m_settings, MainThreadScheduler::shared() });
    leftPlayer.play(m_blueOverYellow, left.imageView, handoff, position);
    rightPlayer.play(m_blueOverYellow, right.imageView, handoff, position);

    QTRY_COMPARE_WITH_TIMEOUT(log.lines().filter(QStringLiteral("STATUS → playing")).size(), 2, timeout);
    if (position > 0)
        QTRY_COMPARE_WITH_TIMEOUT(log.lines().filter(QStringLiteral("handoff resumed at")).size(), 2, timeout);
    QVERIFY(playbackOf(leftPlayer));
    QCOMPARE(playbackOf(leftPlayer), playbackOf(rightPlayer));
    QCOMPARE(playbackOf(leftPlayer)->playerCount(), 2);
    QTRY_VERIFY_WITH_TIMEOUT(left.shows(Qt::blue, Qt::yellow) && right.shows(Qt::blue, Qt::yellow), timeout);
    // One playback, one clock: both at the same place.
    QCOMPARE(leftPlayer.currentPosition(), rightPlayer.currentPosition());
    QVERIFY(leftPlayer.currentPosition() >= position);

    // A seek elsewhere on one display gives it a playback of its own.
    MpvPlayback* shared = playbackOf(rightPlayer);
    QSignalSpy landed(leftPlayer.player(), &PlayerBackend::seekCompleted);
    leftPlayer.player()->seekExactly(0.2);
    QTRY_VERIFY_WITH_TIMEOUT(playbackOf(leftPlayer) != shared, timeout);
    QVERIFY(landed.wait(timeout) || landed.size() == 1);
    QCOMPARE(playbackOf(rightPlayer), shared);
    QCOMPARE(shared->playerCount(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(
        leftPlayer.player()->timeControlStatus(), PlayerBackend::TimeControlStatus::playing, timeout);
    QCOMPARE(rightPlayer.player()->timeControlStatus(), PlayerBackend::TimeControlStatus::playing);
    QVERIFY(left.shows(Qt::blue, Qt::yellow));
    leftPlayer.stop();
    rightPlayer.stop();
}

void tst_SoftwarePath::endedPassPlaysAgainFromTheStart()
{
    std::unique_ptr<PlayerBackend> player = m_backends.create();
    player->setLoopsWholeFile(false);
    player->load(m_green, std::nullopt);
    player->play();
    QTRY_COMPARE_WITH_TIMEOUT(player->timeControlStatus(), PlayerBackend::TimeControlStatus::playing, timeout);
    // The pass ends on its last frame.
    QTRY_COMPARE_WITH_TIMEOUT(player->rate(), 0.0, timeout);
    QCOMPARE(player->itemStatus(), PlayerBackend::ItemStatus::readyToPlay);

    player->seekExactly(0);
    player->play();
    QTRY_COMPARE_WITH_TIMEOUT(player->timeControlStatus(), PlayerBackend::TimeControlStatus::playing, timeout);
    // It plays through once more, to its end.
    QTRY_COMPARE_WITH_TIMEOUT(player->rate(), 0.0, timeout);
    QCOMPARE(player->itemStatus(), PlayerBackend::ItemStatus::readyToPlay);
}

QTEST_MAIN(tst_SoftwarePath)
#include "tst_softwarepath.moc"
