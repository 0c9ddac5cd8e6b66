// A stand-in for Lanto in the hand-over test, built from the real desktop
// controller with libmpv players on the real displays and the session bus. It
// does what Lanto does at start and at quit:
//   Lanto [video]   brings back what the records show, shows the video when
//                   one is given, and posts "com.lanto.mac.appLaunched";
//   "position" on its standard input prints where the first display's video is;
//   any other line (or the input's end) records each display's playback
//   position, writes the settings, posts "com.lanto.mac.appWillTerminate" and quits.
// It asks no other program to quit and runs no system command.
#include "DesktopPicture.h"
#include "DesktopVideoPlayer.h"
#include "DesktopWindowController.h"
#include "DistributedNotifications.h"
#include "FakeDesktopPicture.h"
#include "FakeRunningApplications.h"
#include "FakeSystemCommands.h"
#include "LantoSettings.h"
#include "MpvPlayerBackend.h"
#include "Scheduler.h"
#include "Workspace.h"

#include <QFile>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QTextStream>
#include <QUrl>

#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    DBusDistributedNotifications notifications;
    ScreenDisplays displays;
    Workspace workspace;
    FakeDesktopPicture pictures;
    FakeRunningApplications applications;
    FakeSystemCommands commands;
    MpvPlayerBackendFactory players;
    DesktopWindowController controller({ displays, workspace, notifications, pictures, applications, commands,
        LantoSettings::shared(), MainThreadScheduler::shared(), LantoSettings::downloadsDirectory(), players });
    if (app.arguments().size() > 1)
        controller.showVideoWallpaper(QUrl::fromLocalFile(app.arguments().at(1)));
    notifications.post(DistributedNotificationNames::appLaunched);

    QFile standardInput;
    if (!standardInput.open(stdin, QIODevice::ReadOnly))
        return 1;
    QSocketNotifier input(standardInput.handle(), QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        const QByteArray command = standardInput.readLine().trimmed();
        if (command == "position") {
            const auto& players = controller.videoPlayers();
            const double position = players.empty() ? 0 : players.begin()->second->currentPosition();
            QTextStream(stdout) << "position " << position << Qt::endl;
            return;
        }
        input.setEnabled(false);
        controller.snapshotForHandoff();
        LantoSettings::shared().flush();
        notifications.post(DistributedNotificationNames::appWillTerminate);
        app.quit();
    });
    return app.exec();
}
