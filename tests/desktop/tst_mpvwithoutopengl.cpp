// A player forced onto the OpenGL path in a window that renders without
// OpenGL cannot draw: it says why, the poster stays, and nothing breaks. A
// view without a player says nothing.
#include "DesktopImageView.h"
#include "DesktopVideoPlayer.h"
#include "LantoSettings.h"
#include "LogCapture.h"
#include "MpvPlayerBackend.h"
#include "PlayerLayerView.h"
#include "TemporaryHome.h"
#include "TestClip.h"
#include "TestPictures.h"
#include "VideoRenderPath.h"
#include "Workspace.h"

#include <QQuickWindow>
#include <QTest>

class tst_MpvWithoutOpenGL : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv(VideoRenderPath::environmentVariable, "opengl");
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
    void posterStaysAndReasonIsLogged();
};

void tst_MpvWithoutOpenGL::posterStaysAndReasonIsLogged()
{
    TemporaryHome home;
    const QString folder = home.filePath(QStringLiteral("clip"));
    QVERIFY(QDir().mkpath(folder));
    const QString clip = QDir(folder).filePath(QStringLiteral("clip.mp4"));
    QVERIFY(TestClip::write(clip, TestClip::Recipe()));
    TestPictures::stripes(folder, QStringLiteral("Poster.png"), QSize(32, 18), { Qt::red });

    LogCapture log;
    LantoSettings settings(home.appSupportPath(), MainThreadScheduler::shared());
    Workspace workspace;
    MpvPlayerBackendFactory backends;
    QQuickWindow window;
    window.resize(160, 90);
    auto* imageView = new DesktopImageView(window.contentItem());
    imageView->setSize(QSizeF(160, 90));
    auto* idleView = new PlayerLayerView(window.contentItem());
    idleView->setSize(QSizeF(160, 90));
    DesktopVideoPlayer player({ backends, workspace, settings, MainThreadScheduler::shared() });
    player.play(QUrl::fromLocalFile(clip), imageView, false, 0);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QString reason = QStringLiteral("cannot draw the video — the window renders without OpenGL");
    QTRY_VERIFY(!log.lines().filter(reason).isEmpty());
    // The idle view was synced in the same frame: only the player's view spoke.
    QCOMPARE(log.lines().filter(QStringLiteral("cannot draw")).size(), 1);
    const QImage shot = window.grabWindow();
    QCOMPARE(TestPictures::count(shot, QRect(QPoint(0, 0), shot.size()), Qt::red), shot.width() * shot.height());
    QCOMPARE(player.player()->timeControlStatus(), PlayerBackend::TimeControlStatus::waitingToPlayAtSpecifiedRate);
    player.stop();
}

QTEST_MAIN(tst_MpvWithoutOpenGL)
#include "tst_mpvwithoutopengl.moc"
