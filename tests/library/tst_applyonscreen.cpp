// A downloaded video applied through the library reaches the X display
// through the real desktop controller and the libmpv player.
#include "ControllerDesktop.h"
#include "DesktopWindowController.h"
#include "FakeDesktopPicture.h"
#include "FakeDistributedNotifications.h"
#include "FakeRunningApplications.h"
#include "FakeSystemCommands.h"
#include "LibraryRig.h"
#include "MpvPlayerBackend.h"
#include "TestClip.h"
#include "TestPictures.h"
#include "Workspace.h"

#include <QGuiApplication>
#include <QScreen>

class TestApplyOnScreen : public QObject
{
    Q_OBJECT

private slots:
    void downloadedVideoPlays()
    {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        LibraryRig rig;
        const Wallpaper wallpaper = catalogueItem(1);
        const QString folder = rig.downloads() + "/" + wallpaper.hexID();
        QVERIFY(QDir().mkpath(folder));
        TestClip::Recipe recipe;
        recipe.colour = [](int) { return QColor(Qt::blue); };
        QString error;
        QVERIFY2(TestClip::write(folder + "/content.mp4", recipe, &error), qPrintable(error));

        QScreen* screen = QGuiApplication::primaryScreen();
        const QRect frame(120, 120, 320, 180);
        rig.displays.addDisplay(ConnectedDisplay { 7, "Display", frame, FakeDisplays::uuidForNumber(7), screen });
        Workspace workspace;
        FakeDistributedNotifications notifications;
        FakeDesktopPicture pictures;
        FakeRunningApplications applications;
        FakeSystemCommands commands;
        MpvPlayerBackendFactory backends;
        DesktopWindowController controller({ rig.displays, workspace, notifications, pictures, applications, commands,
            rig.settings, MainThreadScheduler::shared(), rig.downloads(), backends });
        ControllerDesktop desktop(controller);
        WallpaperManager& library = rig.start(desktop, desktop);
        library.setSelectedScreenKey(std::nullopt);

        library.apply(wallpaper);
        QCOMPARE(rig.service.events, QStringList { "apply " + wallpaper.hexID() });
        QCOMPARE(library.screenWallpapers(), (QMap<QString, QUuid> { { "7", wallpaper.id } }));
        QCOMPARE(controller.screenModels().value("7", ScreenModel(0, {})).wallpaperID, wallpaper.id);
        const QRect inside = frame.adjusted(10, 10, -10, -10);
        const int area = inside.width() * inside.height();
        QTRY_VERIFY_WITH_TIMEOUT(
            TestPictures::count(screen->grabWindow(0).toImage(), inside, Qt::blue) > area * 9 / 10, 20000);

        library.deleteWallpaper(wallpaper);
        const ScreenModel record = controller.screenModels().value("7", ScreenModel(0, {}));
        QVERIFY(!record.isShowingWallpaper);
        QVERIFY(!record.wallpaperID);
    }
};

QTEST_MAIN(TestApplyOnScreen)
#include "tst_applyonscreen.moc"
