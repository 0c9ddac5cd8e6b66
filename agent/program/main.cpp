// LantoAgent: keeps the lock-screen aerial and the desktop windows in place
// while Lanto is closed. No arguments, no window of its own.

#include "AerialHTTPServer.h"
#include "AgentDelegate.h"
#include "AgentDesktopController.h"
#include "DesktopPicture.h"
#include "Displays.h"
#include "DistributedNotifications.h"
#include "LantoSettings.h"
#include "LoopbackAssetServer.h"
#include "MpvPlayerBackend.h"
#include "RunningApplications.h"
#include "Scheduler.h"
#include "SettingsKeys.h"
#include "SystemCommands.h"
#include "SystemWorkspace.h"
#include "UserHome.h"
#include "VideoRenderPath.h"

#include <QGuiApplication>
#include <QTimer>

#include <thread>

int main(int argc, char** argv)
{
    // The agent shows only wallpapers: without hardware OpenGL its windows render in software.
    VideoRenderPath::chooseBeforeApplication(argc, argv);
    QGuiApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    // The agent writes only its own keys; Lanto owns the rest of the file.
    LantoSettings::shared().setOwnedKeys({ SettingsKey::screenModels });

    DBusDistributedNotifications notifications;
    ProcRunningApplications applications;
    ScreenDisplays displays;
    // Lanto's end is seen at once by its process descriptor (MainAppWatcher); the process
    // list is only the fallback, looked at with the verification timer's period so the idle agent sleeps.
    SystemWorkspaceSources sources;
    sources.applicationCheckInterval = std::chrono::minutes(5);
    SystemWorkspace workspace(displays, applications, notifications, sources);
    ProcessSystemCommands commands;
    LoopbackAssetServer server(AerialHTTPServer::shared());
    FileDesktopPicture desktopPictures;
    MpvPlayerBackendFactory players;
    AgentDesktopController desktop({ displays, workspace, notifications, desktopPictures, applications, commands,
        LantoSettings::shared(), MainThreadScheduler::shared(), LantoSettings::downloadsDirectory(), players });
    AgentDelegate delegate(AgentEnvironment { notifications, workspace, applications, commands, server, desktop,
        MainThreadScheduler::shared(), [](std::chrono::milliseconds delay) { std::this_thread::sleep_for(delay); },
        UserHome::path() });

    QTimer::singleShot(0, &delegate, &AgentDelegate::start);
    return app.exec();
}
