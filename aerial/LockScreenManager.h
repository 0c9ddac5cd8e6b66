#pragma once

#include "Scheduler.h"
#include "Wallpaper.h"

#include <QFuture>
#include <QMap>
#include <QThreadPool>
#include <QUrl>
#include <QUuid>

#include <functional>
#include <optional>

class AerialManager;
class LantoSettings;

// Puts one video wallpaper at a time on the lock screen through the aerial
// manager, and keeps the record of which wallpaper went there under which
// aerial asset id. The record lives only in the settings and is read afresh by
// every operation.
class LockScreenManager
{
public:
    // Where a wallpaper's video lies on this machine; called on the thread that asks for a placement.
    using ContentLookup = std::function<std::optional<QUrl>(const Wallpaper&)>;

    // Logs what is on record and, when lock-screen wallpapers are on, resumes
    // the recorded aerial 3 s later on the background scheduler. The first
    // manager alive becomes shared().
    LockScreenManager(AerialManager& aerials, LantoSettings& settings, Scheduler& background,
        ContentLookup contentLookup = &LockScreenManager::downloadedContent);
    // Drops a resumption not yet started and waits for placements in progress.
    ~LockScreenManager();

    static LockScreenManager* shared();

    // Looks the video up on the calling thread and places it off that thread;
    // the display falls back to the main one. Removes every other aerial on
    // record once it is in place.
    QFuture<void> inject(const Wallpaper& wallpaper, const std::optional<QString>& displayUUID);
    // Takes the wallpaper off the lock screen, when it is on record, off the
    // calling thread and after the placements asked before.
    QFuture<void> remove(const Wallpaper& wallpaper);

    // The content file in the wallpaper's folder below the downloads folder.
    static std::optional<QUrl> downloadedContent(const Wallpaper& wallpaper);

private:
    void place(const Wallpaper& wallpaper, const QUrl& content, const std::optional<QString>& displayUUID);
    void takeOff(const Wallpaper& wallpaper);
    void resumeIfNeeded();
    QMap<QUuid, QUuid> loadMapping() const;
    void saveMapping(const QMap<QUuid, QUuid>& mapping);

    AerialManager& m_aerials;
    LantoSettings& m_settings;
    Scheduler& m_background;
    ContentLookup m_contentLookup;
    WorkItemPtr m_resume;
    QThreadPool m_placements;
};
