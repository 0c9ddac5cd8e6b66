#pragma once

#include "AerialAssetFiles.h"
#include "FileEventSource.h"
#include "Scheduler.h"
#include "SystemWallpaper.h"
#include "WallpaperProcessKiller.h"

#include <QMap>
#include <QObject>
#include <QPointer>

#include <functional>

struct AgentAerialState;
struct AgentEnvironment;

// Keeps the lock-screen aerial in place while Lanto is closed: puts its entry
// back into the aerials manifest from what Lanto cached, stamps the wallpaper
// store and checks the stamp took, restarts the wallpaper processes, watches
// the manifest on disk and re-checks everything every 300 s. Works on the
// delegate's aerial state, and only while Lanto is not running. Main thread.
class AerialKeeper final : public QObject
{
    Q_OBJECT

public:
    AerialKeeper(const AgentEnvironment& environment, AgentAerialState& state, const bool& mainAppActive,
        QObject* parent = nullptr);

    const SystemWallpaper::Paths& paths() const { return m_paths; }
    QString settingsPlistPath() const { return m_files.settingsPlistPath(); }

    // Puts the aerial back into the manifest when it is missing there; true when the manifest was rewritten.
    bool ensureEntries();
    // Writes the aerial into the wallpaper store for the display and forces it
    // to disk; false when nothing was written.
    bool stamp(const QString& assetID, const QString& displayUUID);
    // The start-up stamp: stamps until the store holds the aerial, at most three
    // times and once more; stops at the first stamp that writes nothing. True
    // when the store holds the aerial or the last stamp wrote it.
    bool stampWithRetry();
    // The repair after start-up: stamps unless the aerial is in force, restarts the
    // wallpaper processes and checks again 2 s later.
    void stampAndRestart();
    // Ends a wallpaper process, at most once per 2 s per name.
    void kill(const QString& processName);
    bool storeHasAerial(const QString& assetID, const QString& displayUUID) const;

    void startManifestMonitor();
    void startManifestDirectoryMonitor();
    void startVerifyTimer();

    // Runs the action on the main thread after the delay, unless the keeper is gone by then.
    void runAfter(Scheduler::Duration delay, std::function<void()> action);

private:
    void handleManifestEvent(FileEventSource::Events events);
    void checkManifest();
    void verifyAfterRestart(const QString& assetID, const QString& displayUUID);
    void verifyTimerFired();
    bool videoFileAvailable(const QString& assetID) const;
    void cancelManifestMonitor();

    const AgentEnvironment& m_environment;
    AgentAerialState& m_state;
    const bool& m_mainAppActive;
    const SystemWallpaper::Paths m_paths;
    const AerialAssetFiles m_files;
    QPointer<FileEventSource> m_manifestSource;
    QPointer<FileEventSource> m_directorySource;
    WallpaperProcessKiller m_killer;
};
