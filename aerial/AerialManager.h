#pragma once

#include "AerialAgentSettings.h"
#include "DesktopWindowController.h"
#include "PlacedAerialFiles.h"
#include "Scheduler.h"
#include "SystemWallpaper.h"
#include "WallpaperProcessKiller.h"

#include <QMap>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class AerialAssetServer;
class Displays;
class DistributedNotifications;
class LantoSettings;
class SystemCommands;
class Workspace;

// Registers one of the user's videos as the operating system's lock-screen
// aerial and keeps it there: the manifest entry and the linked files, the
// stamp in the wallpaper store, the restart of the wallpaper processes, the
// settings the agent keeps it in place from, and the re-stamping after lock,
// sleep, wake and display changes.
//
// Thread-safe: every operation holds the manager's one lock from start to end,
// so operations from the main thread, from callers' background tasks and from
// the manager's own delayed checks never interleave. Observed notices arrive on
// the main thread and are handled on the background scheduler.
class AerialManager : public QObject
{
    Q_OBJECT

public:
    struct Environment
    {
        LantoSettings& settings;
        Displays& displays;
        Workspace& workspace;
        DistributedNotifications& notifications;
        SystemCommands& commands;
        AerialAssetServer& server;
        // Runs the delayed checks and the handlers' work, off the main thread in the programs.
        Scheduler& background;
        SystemWallpaper::Paths paths = SystemWallpaper::Paths::current();
        // The picture every display but the main one shows while the aerial is stamped.
        std::function<QUrl()> blackoutImageURL = &DesktopWindowController::blackoutImageURL;
    };

    // Creates the aerials folders and starts the server. The first manager
    // alive becomes shared().
    explicit AerialManager(Environment environment, QObject* parent = nullptr);
    // Pending checks never run (a verification only says it was cancelled);
    // waits for an operation in progress.
    ~AerialManager() override;

    // The manager the application created; null before.
    static AerialManager* shared();

    // The manifest entry, linked files and stamp for the video; the new asset id, or none.
    std::optional<QUuid> inject(
        const QString& title, const QString& videoPath, const std::optional<QString>& displayUUID);
    // Takes the asset out of the manifest, then deletes its files.
    void remove(const QUuid& assetID);
    // Puts the recorded asset back in force when it is still installed.
    void resumeAtLaunch(const QUuid& assetID);
    // Listed in the manifest and its video is there.
    bool isAssetInstalled(const QUuid& assetID) const;

    std::optional<QString> mainDisplayUUID() const;
    QStringList allDisplayUUIDs() const;

    // Stamps unless stamped already, restarts the wallpaper processes and checks 3 s later.
    void apply(const QUuid& assetID, const QString& displayUUID, bool killExtension);
    // Stamps the aerial the settings record when the store no longer shows it.
    void restampActiveAerial();
    // The same on the background scheduler, for callers on the main thread (the
    // desktop controller's re-stamp hook); dropped when the manager goes first.
    void restampActiveAerialInBackground();
    bool isAerialStamped(const QString& assetID, const QString& displayUUID) const;
    // Ends the process with SIGKILL, at most once per 2 s per name.
    void kill(const QString& processName);

    // The store's read-modify-write: the aerial on the main display, the blackout
    // picture on the others. A store that exists but cannot be read is left alone.
    // True when the store was written.
    bool writeIndexPlist(const QUuid& assetID, const QString& mainDisplayUUID);
    void syncIndexPlistToDisk();

    std::optional<QUuid> activeAerialAssetID() const;
    std::optional<QString> activeDisplayUUID() const;
    qint64 applyGeneration() const;
    const SystemWallpaper::Paths& paths() const { return m_paths; }

    // What the observed notices do; each runs on the caller's thread.
    void handleScreenLocked();
    void handleScreenUnlocked();
    void handleWillSleep();
    void handleDisplayWake();
    void handleScreenConfigurationChanged();

private:
    // The asset's files and its entry in the folder map.
    void deleteAssetFiles(const QString& assetID);

    // Writes the store and forces it to disk; false when nothing was written.
    bool stamp(const QUuid& assetID, const QString& displayUUID);
    // The aerials extension, with the line that says the agent was left alone.
    void kickAerialsExtension();
    void verify(qint64 generation, const QUuid& assetID, const QString& displayUUID);

    void registerObservers();
    void unregisterObservers();
    void registerScreenChangeObserver();
    void unregisterScreenChangeObserver();
    void registerAllObservers();
    // Runs the work on the background scheduler after the delay; when the
    // manager is gone by then, runs whenGone instead, if given.
    void runLater(Scheduler::Duration delay, std::function<void()> work, std::function<void()> whenGone = {});
    void refreshDisplays();

    struct Lifetime;

    LantoSettings& m_settings;
    Displays& m_displays;
    Workspace& m_workspace;
    DistributedNotifications& m_notifications;
    WallpaperProcessKiller m_killer;
    AerialAssetServer& m_server;
    Scheduler& m_background;
    const SystemWallpaper::Paths m_paths;
    std::function<QUrl()> m_blackoutImageURL;
    PlacedAerialFiles m_files;
    AerialAgentSettings m_agentSettings;

    // Guards everything below, and is held through each operation.
    std::shared_ptr<Lifetime> m_lifetime;
    std::optional<QUuid> m_activeAerialAssetID;
    std::optional<QString> m_activeDisplayUUID;
    bool m_unlockObserverRegistered = false;
    bool m_screenChangeObserverRegistered = false;
    qint64 m_applyGeneration = 0;
    QList<QMetaObject::Connection> m_observerConnections;
    QMetaObject::Connection m_screenChangeConnection;

    std::mutex m_pendingMutex; // apart, so that the main thread never waits for an operation to queue work
    QList<WorkItemPtr> m_pendingWork;

    // The displays as last seen on the main thread, for work on other threads.
    mutable std::mutex m_displaysMutex;
    std::optional<QString> m_mainDisplayUUID;
    QStringList m_allDisplayUUIDs;
};
