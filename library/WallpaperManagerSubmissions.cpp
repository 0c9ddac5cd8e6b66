// The library's side of the user's submissions: their statuses in the
// records, in metadata.json and in the status map.
#include "WallpaperManager.h"

QFuture<WallpaperSubmitter::Outcome> WallpaperManager::submitWallpaper(const Wallpaper& wallpaper)
{
    return m_submitter.submitWallpaper(wallpaper);
}

QFuture<void> WallpaperManager::syncSubmissionStatuses() { return m_statusSync.syncSubmissionStatuses(); }

void WallpaperManager::setSubmissionStatus(const QString& key, const std::optional<QString>& status)
{
    QMap<QString, QString> statuses = m_submissionStatuses;
    if (status)
        statuses.insert(key, *status);
    else
        statuses.remove(key);
    publish(m_submissionStatuses, statuses, &WallpaperManager::submissionStatusesChanged);

    const std::optional<Wallpaper> record = updateFirst(
        [&](const Wallpaper& wallpaper) { return wallpaper.hexID() == key; },
        [&](Wallpaper& wallpaper) { wallpaper.edit().submissionStatus = status; });
    // Only the user's own items keep a record on disk: a catalogue download must not turn into one.
    if (record && m_library.hasLocalMetadata(*record))
        m_library.writeMetadata(*record);
}

void WallpaperManager::setServerWallpaperId(const QString& key, const QString& serverId)
{
    updateFirst([&](const Wallpaper& wallpaper) { return wallpaper.hexID() == key; },
                [&](Wallpaper& wallpaper) { wallpaper.edit().serverWallpaperId = serverId; });
}
