#pragma once

#include "Scheduler.h"
#include "Wallpaper.h"
#include "WallpaperFiles.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <chrono>
#include <optional>

class DesktopShows;
class Displays;
class LockScreen;
class WallpaperManager;
class WallpaperService;

// The library's main road: downloads a catalogue wallpaper that is not on
// disk yet, shows it on every display or the chosen one, and places a video on
// the lock screen a little later unless a newer video apply came first. The
// state it changes belongs to the library. Main thread.
class WallpaperApplier : public QObject
{
    Q_OBJECT

public:
    struct Services
    {
        WallpaperService& service;
        DesktopShows& desktop;
        LockScreen& lockScreen;
        Displays& displays;
        Scheduler& scheduler; // the lock-screen wait
        const WallpaperFiles& files;
    };

    WallpaperApplier(WallpaperManager& library, Services services);
    ~WallpaperApplier() override;

    // Whether a path names a video rather than a still picture, by its extension.
    static bool isVideoFile(const QString& path);
    // How long a video waits before it goes to the lock screen.
    static std::chrono::seconds lockScreenDelay();

    void apply(const Wallpaper& wallpaper);
    // Counts video applies; only the newest reaches the lock screen.
    qint64 lockScreenApplyGeneration() const { return m_generation; }

private:
    void downloadAndApply(const Wallpaper& wallpaper, const QString& cloudID);
    // False when the wallpaper has no content file: then nothing changed.
    bool applyLocal(const Wallpaper& wallpaper);
    void markScreenRecords(const QUuid& id, const std::optional<QString>& screenKey);
    void scheduleLockScreenApply(
        qint64 generation, const Wallpaper& wallpaper, const std::optional<QString>& displayUUID);
    std::optional<QString> displayUUID(const QString& screenKey) const;

    WallpaperManager& m_library;
    Services m_services;
    // Catalogue wallpapers whose download is queued or running; a second apply joins it.
    QSet<QUuid> m_downloads;
    qint64 m_generation = 0;
    QHash<qint64, WorkItemPtr> m_lockScreenWaits;
};
