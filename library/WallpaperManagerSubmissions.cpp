// The library's side of the user's submissions: their statuses in the
// records, in metadata.json and in the status map.
#include "WallpaperManager.h"

#include <algorithm>

namespace {

std::optional<Wallpaper> firstWithHexID(const QList<Wallpaper>& wallpapers, const QString& hexID)
{
    const auto found = std::find_if(wallpapers.cbegin(), wallpapers.cend(),
                                    [&](const Wallpaper& wallpaper) { return wallpaper.hexID == hexID; });
    return found == wallpapers.cend() ? std::nullopt : std::optional<Wallpaper>(*found);
}

} // namespace

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

    std::optional<Wallpaper> record = firstWithHexID(m_all.items(), key);
    if (!record)
        return;
    record->submissionStatus = status;
    m_all.merge({*record});
    // Only the user's own items keep a record on disk: a catalogue download must not turn into one.
    if (m_library.hasLocalMetadata(*record))
        m_library.writeMetadata(*record);
}

void WallpaperManager::setServerWallpaperId(const QString& key, const QString& serverId)
{
    std::optional<Wallpaper> record = firstWithHexID(m_all.items(), key);
    if (!record)
        return;
    record->serverWallpaperId = serverId;
    m_all.merge({*record});
}
