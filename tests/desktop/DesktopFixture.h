#pragma once

#include "DesktopVideoPlayer.h"
#include "DesktopWindow.h"
#include "DesktopWindowController.h"
#include "FakeDesktopPicture.h"
#include "FakeDisplays.h"
#include "FakeDistributedNotifications.h"
#include "FakePlayerBackend.h"
#include "FakeRunningApplications.h"
#include "FakeSystemCommands.h"
#include "LantoSettings.h"
#include "PlayerLayerView.h"
#include "TemporaryHome.h"
#include "VirtualScheduler.h"
#include "Workspace.h"

#include <QDir>
#include <QFile>

#include <memory>

// A desktop controller's whole world made up: displays, workspace notices,
// desktop pictures, programs, commands, settings in a temporary home and
// virtual time. Construct the controller after arranging the start state.
struct DesktopFixture
{
    TemporaryHome home;
    FakeDisplays displays;
    Workspace workspace;
    FakeDistributedNotifications notifications;
    FakeDesktopPicture desktopPicture;
    FakeRunningApplications applications;
    FakeSystemCommands commands;
    VirtualScheduler scheduler;
    VirtualScheduler settingsWrites;
    // Media time of the players, apart from the controller's own delays.
    VirtualScheduler playerClock;
    FakePlayerBackendFactory backends { playerClock };
    LantoSettings settings { home.appSupportPath(), settingsWrites };
    QString downloads = QDir(home.appSupportPath()).filePath(QStringLiteral("Downloads"));
    std::unique_ptr<DesktopWindowController> controller;

    DesktopEnvironment environment(DistributedNotifications& notices)
    {
        return { displays, workspace, notices, desktopPicture, applications, commands, settings, scheduler, downloads,
            backends };
    }

    DesktopWindowController& start() { return start(notifications); }
    DesktopWindowController& start(DistributedNotifications& notices)
    {
        controller = std::make_unique<DesktopWindowController>(environment(notices));
        return *controller;
    }

    // A record of a display with a number, as a saved archive gives it back.
    static ScreenModel showing(quint32 number, const QUrl& videoURL, double position = 0)
    {
        ScreenModel record(number, QStringLiteral("Display %1").arg(number));
        record.isShowingWallpaper = true;
        record.videoURL = videoURL;
        record.playbackPosition = position;
        return record;
    }

    // The records as the settings hold them now.
    ScreenModelMap savedRecords() { return ScreenModel::loadAll(settings); }

    // Two displays side by side, the first the main one; gives the second.
    ConnectedDisplay addTwoDisplays()
    {
        displays.addDisplay(QStringLiteral("Display 1"), QRect(0, 0, 800, 600));
        return displays.addDisplay(QStringLiteral("Display 2"), QRect(800, 0, 800, 600));
    }

    // Records as the last run left them.
    void saveRecords(const QList<ScreenModel>& records)
    {
        ScreenModelMap map;
        for (const ScreenModel& record : records)
            map.insert(record.id(), record);
        ScreenModel::saveAll(map, settings);
    }

    // A file in the wallpaper folder named by hexID; its content does not matter.
    QUrl wallpaperFile(const QString& hexID, const QString& name, const QByteArray& content = "x")
    {
        const QString folder = QDir(downloads).filePath(hexID);
        QDir().mkpath(folder);
        QFile file(QDir(folder).filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.write(content);
        return QUrl::fromLocalFile(file.fileName());
    }

    const DesktopVideoPlayer* player(const QString& screenId) const
    {
        const auto found = controller->videoPlayers().find(screenId);
        return found == controller->videoPlayers().end() ? nullptr : found->second.get();
    }

    // Lets the players load and report that they play.
    void settle()
    {
        QCoreApplication::sendPostedEvents();
        playerClock.advance(std::chrono::milliseconds(300));
        QCoreApplication::sendPostedEvents();
    }

    // The display's player backend, the newest one.
    FakePlayerBackend* backend(const QString& screenId) const
    {
        const DesktopVideoPlayer* found = player(screenId);
        return found ? static_cast<FakePlayerBackend*>(found->player()) : nullptr;
    }

    bool isPlaying(const QString& screenId) const
    {
        const FakePlayerBackend* found = backend(screenId);
        return found != nullptr && found->timeControlStatus() == PlayerBackend::TimeControlStatus::playing;
    }

    // The video a display's player plays; empty when it has no player or plays nothing.
    QUrl playing(const QString& screenId) const
    {
        return isPlaying(screenId) ? player(screenId)->currentURL() : QUrl();
    }

    DesktopWindow* window(const QString& screenId) const
    {
        const auto found = controller->windows().find(screenId);
        return found == controller->windows().end() ? nullptr : found->second.get();
    }
};
