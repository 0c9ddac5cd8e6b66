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

    // What a desktop shows, by screen id; both programs' controllers keep the same maps.
    using VideoPlayers = DesktopWindowController::VideoPlayers;
    using Windows = DesktopWindowController::Windows;

    static const DesktopVideoPlayer* player(const VideoPlayers& players, const QString& screenId)
    {
        const auto found = players.find(screenId);
        return found == players.end() ? nullptr : found->second.get();
    }
    static FakePlayerBackend* backend(const VideoPlayers& players, const QString& screenId)
    {
        const DesktopVideoPlayer* found = player(players, screenId);
        return found ? static_cast<FakePlayerBackend*>(found->player()) : nullptr;
    }
    static bool isPlaying(const VideoPlayers& players, const QString& screenId)
    {
        const FakePlayerBackend* found = backend(players, screenId);
        return found != nullptr && found->timeControlStatus() == PlayerBackend::TimeControlStatus::playing;
    }
    static QUrl playing(const VideoPlayers& players, const QString& screenId)
    {
        return isPlaying(players, screenId) ? player(players, screenId)->currentURL() : QUrl();
    }
    static DesktopWindow* window(const Windows& windows, const QString& screenId)
    {
        const auto found = windows.find(screenId);
        return found == windows.end() ? nullptr : found->second.get();
    }

    const DesktopVideoPlayer* player(const QString& screenId) const
    {
        return player(controller->videoPlayers(), screenId);
    }

    // Lets the players load and report that they play.
    void settle()
    {
        QCoreApplication::sendPostedEvents();
        playerClock.advance(std::chrono::milliseconds(300));
        QCoreApplication::sendPostedEvents();
    }

    // The display's player backend, the newest one.
    FakePlayerBackend* backend(const QString& screenId) const { return backend(controller->videoPlayers(), screenId); }

    bool isPlaying(const QString& screenId) const { return isPlaying(controller->videoPlayers(), screenId); }

    // The video a display's player plays; empty when it has no player or plays nothing.
    QUrl playing(const QString& screenId) const { return playing(controller->videoPlayers(), screenId); }

    DesktopWindow* window(const QString& screenId) const { return window(controller->windows(), screenId); }
};
