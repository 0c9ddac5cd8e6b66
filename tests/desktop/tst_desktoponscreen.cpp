// The desktop controller with the libmpv player on the X display: one video
// shown on two displays reaches the screen on both, straight from the drawing
// thread: from shared memory where the X server reads it (MIT-SHM), in the
// requests where it does not. CTest runs it on a server of each kind.
#include "DesktopWindowController.h"
#include "FakeDesktopPicture.h"
#include "FakeDisplays.h"
#include "FakeDistributedNotifications.h"
#include "FakeRunningApplications.h"
#include "FakeSystemCommands.h"
#include "LantoSettings.h"
#include "MitShm.h"
#include "MpvPlayerBackend.h"
#include "PlayerLayerView.h"
#include "TemporaryHome.h"
#include "TestClip.h"
#include "TestPictures.h"
#include "Workspace.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QQuickWindow>
#include <QScreen>
#include <QTest>

namespace {

// Each desktop window with its video view and how many scene frames it has shown.
struct Watched
{
    QQuickWindow* window = nullptr;
    PlayerLayerView* view = nullptr;
    std::shared_ptr<int> sceneFrames = std::make_shared<int>(0);
};

std::vector<Watched> watchDesktopWindows()
{
    std::vector<Watched> watched;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        auto* quick = qobject_cast<QQuickWindow*>(window);
        if (!quick || !quick->isVisible())
            continue;
        Watched entry { quick, quick->contentItem()->findChild<PlayerLayerView*>() };
        QObject::connect(quick, &QQuickWindow::frameSwapped, quick, [count = entry.sceneFrames] { ++*count; });
        watched.push_back(entry);
    }
    return watched;
}

} // namespace

class tst_DesktopOnScreen : public QObject
{
    Q_OBJECT

private slots:
    void videoReachesBothDisplays();
};

void tst_DesktopOnScreen::videoReachesBothDisplays()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    TemporaryHome home;
    const QString folder = home.filePath(QStringLiteral("Downloads/aa"));
    QVERIFY(QDir().mkpath(folder));
    TestClip::Recipe recipe;
    recipe.colour = [](int) { return QColor(Qt::blue); };
    recipe.lowerHalf = Qt::yellow;
    QString error;
    const QString clip = QDir(folder).filePath(QStringLiteral("content.mp4"));
    QVERIFY2(TestClip::write(clip, recipe, &error), qPrintable(error));
    TestPictures::stripes(folder, QStringLiteral("Poster.png"), QSize(32, 18), { Qt::red });

    // Two displays side by side on the one X screen of the test display.
    FakeDisplays displays;
    QScreen* screen = QGuiApplication::primaryScreen();
    const QList<QRect> frames { QRect(100, 100, 320, 180), QRect(480, 100, 320, 180) };
    for (int i = 0; i < frames.size(); ++i)
        displays.addDisplay(ConnectedDisplay { quint32(i + 1), QStringLiteral("Display %1").arg(i + 1), frames[i],
            FakeDisplays::uuidForNumber(i + 1), screen });
    Workspace workspace;
    FakeDistributedNotifications notifications;
    FakeDesktopPicture pictures;
    FakeRunningApplications applications;
    FakeSystemCommands commands;
    LantoSettings settings(home.appSupportPath(), MainThreadScheduler::shared());
    MpvPlayerBackendFactory backends;
    DesktopWindowController controller({ displays, workspace, notifications, pictures, applications, commands, settings,
        MainThreadScheduler::shared(), home.filePath(QStringLiteral("Downloads")), backends });

    controller.showVideoWallpaper(QUrl::fromLocalFile(clip));
    const auto screenshot = [screen] { return screen->grabWindow(0).toImage(); };
    for (const QRect& frame : frames) {
        const QRect upper(frame.x() + 10, frame.y() + 10, frame.width() - 20, frame.height() / 2 - 20);
        const int area = upper.width() * upper.height();
        QTRY_VERIFY_WITH_TIMEOUT(TestPictures::count(screenshot(), upper, Qt::blue) > area * 9 / 10, 20000);
        QVERIFY(TestPictures::count(screenshot(), upper.translated(0, frame.height() / 2), Qt::yellow) > area * 9 / 10);
    }

    // Which way the frames went: straight out, with the scene idle while the
    // video plays on, in shared memory or in the requests.
    const bool shared = serverHasMitShm();
    std::vector<Watched> watched = watchDesktopWindows();
    QCOMPARE(watched.size(), std::size_t(2));
    for (const Watched& entry : watched) {
        QVERIFY(entry.view);
        const quint64 before = entry.view->framesShown();
        QTRY_VERIFY_WITH_TIMEOUT(entry.view->framesShown() >= before + 20, 20000);
        const int newFrames = int(entry.view->framesShown() - before);
        const int sceneFrames = *entry.sceneFrames;
        const QString drawn = QStringLiteral("%1 new frames, %2 scene frames, pixels %3")
                                  .arg(newFrames)
                                  .arg(sceneFrames)
                                  .arg(shared ? "in shared memory (MIT-SHM)" : "in the requests (no MIT-SHM)");
        qInfo("%s", qPrintable(drawn));
        QVERIFY2(sceneFrames <= newFrames / 4, qPrintable(drawn));
    }
    controller.removeWallpaper();
}

QTEST_MAIN(tst_DesktopOnScreen)
#include "tst_desktoponscreen.moc"
