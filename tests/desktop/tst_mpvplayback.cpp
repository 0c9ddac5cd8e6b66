// The desktop video player on libmpv, in a real desktop window on the X
// display: the video loops, its frames reach the screen the right way up and
// cover the poster, all but the corners when the view is rounded. On the
// software path a playing video's frames go to the screen without a scene
// graph frame each, and the scene, when it renders, shows the newest one.
#include "DesktopImageView.h"
#include "DesktopVideoPlayer.h"
#include "DesktopWindow.h"
#include "LantoSettings.h"
#include "LogCapture.h"
#include "MpvPlayerBackend.h"
#include "TemporaryHome.h"
#include "TestClip.h"
#include "TestPictures.h"
#include "VideoRenderPath.h"
#include "Workspace.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <cmath>

namespace {

// A desktop window over frame on the X display, with a player for its image view.
struct DesktopPlayback
{
    explicit DesktopPlayback(const QString& settingsFolder)
        : settings(settingsFolder, MainThreadScheduler::shared()),
          window(frame, QGuiApplication::primaryScreen()),
          imageView(new DesktopImageView(window.contentItem())),
          player({ backends, workspace, settings, MainThreadScheduler::shared() })
    {
        imageView->setSize(frame.size());
    }

    const QRect frame { 200, 150, 320, 180 };
    LantoSettings settings;
    Workspace workspace;
    MpvPlayerBackendFactory backends;
    DesktopWindow window;
    DesktopImageView* imageView;
    DesktopVideoPlayer player;
};

} // namespace

class tst_MpvPlayback : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loopsAndShowsVideoOverPoster_data();
    void loopsAndShowsVideoOverPoster();
    void softwareFramesBypassTheScene();

private:
    TemporaryHome m_home;
    QUrl m_clip;
    QUrl m_turningClip;
};

void tst_MpvPlayback::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    const QString folder = m_home.filePath(QStringLiteral("clip"));
    QVERIFY(QDir().mkpath(folder));
    // One second, blue above yellow; the poster beside it is red.
    TestClip::Recipe recipe;
    recipe.size = QSize(320, 180);
    recipe.colour = [](int) { return QColor(Qt::blue); };
    recipe.lowerHalf = Qt::yellow;
    QString error;
    QVERIFY2(TestClip::write(QDir(folder).filePath(QStringLiteral("clip.mp4")), recipe, &error), qPrintable(error));
    m_clip = QUrl::fromLocalFile(QDir(folder).filePath(QStringLiteral("clip.mp4")));
    TestPictures::stripes(folder, QStringLiteral("Poster.png"), QSize(32, 18), { Qt::red });
    // Two seconds: a second of green, then a second of blue.
    recipe.frames = 60;
    recipe.colour = [](int frame) { return frame < 30 ? QColor(Qt::green) : QColor(Qt::blue); };
    recipe.lowerHalf = QColor();
    m_turningClip = QUrl::fromLocalFile(QDir(folder).filePath(QStringLiteral("turning.mp4")));
    QVERIFY2(TestClip::write(m_turningClip.toLocalFile(), recipe, &error), qPrintable(error));
}

void tst_MpvPlayback::loopsAndShowsVideoOverPoster_data()
{
    QTest::addColumn<bool>("handoff");
    QTest::addColumn<double>("position");
    QTest::addColumn<double>("radius");

    QTest::newRow("first play, over the poster") << false << 0.0 << 0.0;
    // Taken over from the other program: shown at once, at its position.
    QTest::newRow("hand-over at 0.7 s") << true << 0.7 << 0.0;
    QTest::newRow("rounded corners") << false << 0.0 << 24.0;
}

void tst_MpvPlayback::loopsAndShowsVideoOverPoster()
{
    QFETCH(bool, handoff);
    QFETCH(double, position);
    QFETCH(double, radius);
    LogCapture log;
    DesktopPlayback playback(m_home.appSupportPath());
    DesktopVideoPlayer& player = playback.player;
    DesktopWindow& window = playback.window;
    const QRect frame = playback.frame;

    player.play(m_clip, playback.imageView, handoff, position);
    player.playerView()->setCornerRadius(radius);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY_WITH_TIMEOUT(!log.lines().filter(QStringLiteral("STATUS → playing")).isEmpty(), 20000);

    // Past the end of the one-second clip: the position grows, then wraps.
    double highest = 0;
    QTRY_VERIFY_WITH_TIMEOUT((highest = std::max(highest, player.currentPosition())) > 0.6, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() < highest - 0.3, 10000);

    const QRect upper(frame.x() + 10, frame.y() + 10, frame.width() - 20, frame.height() / 2 - 20);
    const QRect lower = upper.translated(0, frame.height() / 2);
    const auto screenshot = [] { return QGuiApplication::primaryScreen()->grabWindow(0).toImage(); };
    const int area = upper.width() * upper.height();
    QTRY_VERIFY_WITH_TIMEOUT(TestPictures::count(screenshot(), upper, Qt::blue) > area * 9 / 10, 10000);
    const QImage shot = screenshot();
    QVERIFY(TestPictures::count(shot, lower, Qt::yellow) > area * 9 / 10);
    // The poster beneath shows only where the rounding leaves the corners.
    const QList<QPoint> corners { frame.topLeft(), frame.topRight(), frame.bottomLeft(), frame.bottomRight() };
    if (radius > 0) {
        for (const QPoint corner : corners)
            QVERIFY(TestPictures::near(shot.pixelColor(corner), Qt::red));
        const int cornerArea = int(4 * radius * radius * (1 - M_PI / 4));
        QVERIFY(TestPictures::count(shot, frame, Qt::red) < cornerArea * 11 / 10);
    } else {
        QCOMPARE(TestPictures::count(shot, frame, Qt::red), 0);
    }

    player.stop();
    QVERIFY(log.lines().filter(QStringLiteral("cannot draw")).isEmpty());
}

void tst_MpvPlayback::softwareFramesBypassTheScene()
{
    if (!VideoRenderPath::isSoftware())
        QSKIP("frames drawn through OpenGL are drawn in the scene");
    LogCapture log;
    DesktopPlayback playback(m_home.appSupportPath());
    DesktopVideoPlayer& player = playback.player;
    DesktopWindow& window = playback.window;
    const QRect frame = playback.frame;
    player.play(m_turningClip, playback.imageView, false, 0);
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_COMPARE_WITH_TIMEOUT(player.playerView()->opacity(), 1.0, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!player.playerView()->isFading(), 5000);
    QTest::qWait(200);

    // A second of playing: thirty frames on screen, hardly a scene frame.
    int sceneFrames = 0;
    connect(&window, &QQuickWindow::frameSwapped, this, [&sceneFrames] { ++sceneFrames; });
    const quint64 framesBefore = player.playerView()->framesShown();
    QTest::qWait(1000);
    QVERIFY2(player.playerView()->framesShown() - framesBefore >= 20,
        qPrintable(QString::number(player.playerView()->framesShown() - framesBefore)));
    QVERIFY2(sceneFrames <= 2, qPrintable(QString::number(sceneFrames)));

    // Paused on green or blue: the screen shows it, and so does the scene once it renders.
    player.pause();
    QTest::qWait(300);
    const QRect middle(frame.x() + 20, frame.y() + 20, frame.width() - 40, frame.height() - 40);
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QColor shown = screen.pixelColor(middle.center());
    QVERIFY2(TestPictures::near(shown, Qt::green) || TestPictures::near(shown, Qt::blue), qPrintable(shown.name()));
    const int area = middle.width() * middle.height();
    QVERIFY(TestPictures::count(screen, middle, shown) > area * 9 / 10);
    const QImage scene = window.grabWindow();
    QVERIFY(TestPictures::count(scene, middle.translated(-frame.topLeft()), shown) > area * 9 / 10);

    player.stop();
    QVERIFY(log.lines().filter(QStringLiteral("cannot draw")).isEmpty());
}

QTEST_MAIN(tst_MpvPlayback)
#include "tst_mpvplayback.moc"
