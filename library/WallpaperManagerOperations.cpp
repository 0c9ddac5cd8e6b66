// The operations of the library on single wallpapers: apply, favourites,
// removal, renaming, the display queries and search.
#include "WallpaperManager.h"

#include "CloudService.h"
#include "DesktopShows.h"
#include "HexID.h"
#include "LocalLibrary.h"
#include "LockScreen.h"
#include "Log.h"
#include "SettingsKeys.h"
#include "WallpaperFolder.h"
#include "WallpaperSearch.h"
#include "WallpaperService.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

std::optional<Wallpaper> firstWithId(const QList<Wallpaper>& wallpapers, const QUuid& id)
{
    const auto found = std::find_if(
        wallpapers.cbegin(), wallpapers.cend(), [&](const Wallpaper& wallpaper) { return wallpaper.id == id; });
    return found == wallpapers.cend() ? std::nullopt : std::optional<Wallpaper>(*found);
}

} // namespace

void WallpaperManager::setSelectedScreenKey(const std::optional<QString>& screenKey)
{
    publish(m_selectedScreenKey, screenKey, &WallpaperManager::selectedScreenKeyChanged);
}

void WallpaperManager::apply(const Wallpaper& wallpaper) { m_applier.apply(wallpaper); }

void WallpaperManager::recordActiveWallpaper(const QUuid& id, const std::optional<QString>& screenKey)
{
    QMap<QString, QUuid> wallpapers = m_screenWallpapers;
    if (screenKey) {
        wallpapers.insert(*screenKey, id);
        publish(m_screenWallpapers, wallpapers, &WallpaperManager::screenWallpapersChanged);
        publish(m_activeWallpaperID, std::optional<QUuid>(), &WallpaperManager::activeWallpaperIDChanged);
        return;
    }
    // Displays that are not attached keep their entries.
    for (const ScreenModel& screen : std::as_const(m_connectedScreens))
        wallpapers.insert(screen.id(), id);
    publish(m_activeWallpaperID, std::optional<QUuid>(id), &WallpaperManager::activeWallpaperIDChanged);
    publish(m_screenWallpapers, wallpapers, &WallpaperManager::screenWallpapersChanged);
}

void WallpaperManager::markDownloaded(const QUuid& id)
{
    if (!m_downloaded.contains(id)) {
        m_downloaded.insert(id);
        emit downloadedChanged();
    }
    saveIdSet(SettingsKey::downloads, m_downloaded);
}

void WallpaperManager::setLastAppliedTitle(const QString& title)
{
    publish(m_lastAppliedTitle, std::optional<QString>(title), &WallpaperManager::lastAppliedTitleChanged);
}

void WallpaperManager::setDownloadProgress(const QUuid& id, std::optional<double> fraction)
{
    QMap<QUuid, double> progress = m_downloadingWallpapers;
    if (fraction)
        progress.insert(id, *fraction);
    else
        progress.remove(id);
    publish(m_downloadingWallpapers, progress, &WallpaperManager::downloadingWallpapersChanged);
}

void WallpaperManager::updateDownloadProgress(const QUuid& id, double fraction)
{
    // A report that arrives after the download ended must not bring its entry back.
    if (m_downloadingWallpapers.contains(id))
        setDownloadProgress(id, fraction);
}

std::optional<QString> WallpaperManager::serviceID(const Wallpaper& wallpaper) const
{
    if (!wallpaper.cloudID() || (!m_serverKnownIDs.contains(wallpaper.id) && hasLocalMetadata(wallpaper)))
        return std::nullopt;
    return wallpaper.cloudID();
}

void WallpaperManager::toggleFavorite(const Wallpaper& wallpaper)
{
    const std::optional<QString> reported = serviceID(wallpaper);
    if (!m_favorites.contains(wallpaper.id)) {
        m_favorites.insert(wallpaper.id);
        if (reported)
            m_services.service.recordEvent(WallpaperService::UsageEvent::favorite, *reported);
    } else {
        m_favorites.remove(wallpaper.id);
    }
    emit favoritesChanged();
    saveIdSet(SettingsKey::favorites, m_favorites);

    if (!m_services.service.isSignedIn() || !reported)
        return;
    // Each toggle sends its own request; the local set is never rolled back.
    m_services.service.syncFavorite(*reported, m_favorites.contains(wallpaper.id))
        .then(this, [](const std::optional<QString>& failure) {
            if (failure)
                Log::write(u"Lanto: Failed to sync favorite — %1"_s.arg(*failure));
        });
}

void WallpaperManager::deleteWallpaper(const Wallpaper& wallpaper)
{
    if (!wallpaper.cloudID())
        return;
    const QString cloudID = *wallpaper.cloudID();
    removeActiveWallpaper(wallpaper);
    const bool ownItem = hasLocalMetadata(wallpaper);
    // Asked before the folder, and with it metadata.json, goes.
    const std::optional<QString> reported = serviceID(wallpaper);
    const bool pending = wallpaper.submissionStatus() == u"pending"_s;

    m_services.cloud.deleteContent(cloudID);
    if (m_downloaded.remove(wallpaper.id))
        emit downloadedChanged();
    saveIdSet(SettingsKey::downloads, m_downloaded);

    if (ownItem) {
        m_all.removeIf([&](const Wallpaper& item) { return item.id == wallpaper.id; });
        if (pending)
            m_services.service.withdrawSubmission(cloudID);
    }
    if (reported)
        m_services.service.recordEvent(WallpaperService::UsageEvent::remove, *reported);
}

void WallpaperManager::removeActiveWallpaper(const Wallpaper& wallpaper)
{
    // Every display that shows it, attached or not: a display that comes back
    // would otherwise bring back a file that is gone.
    QStringList screenKeys;
    for (auto entry = m_screenWallpapers.cbegin(); entry != m_screenWallpapers.cend(); ++entry) {
        if (entry.value() == wallpaper.id)
            screenKeys.append(entry.key());
    }
    const ScreenModelMap records = m_services.desktop.screenModels();
    for (const ScreenModel& record : records) {
        if (record.wallpaperID == wallpaper.id && !screenKeys.contains(record.id()))
            screenKeys.append(record.id());
    }
    const bool onEveryDisplay = m_activeWallpaperID == wallpaper.id;
    if (!onEveryDisplay && screenKeys.isEmpty())
        return;

    m_services.lockScreen.remove(wallpaper);
    if (onEveryDisplay) {
        publish(m_activeWallpaperID, std::optional<QUuid>(), &WallpaperManager::activeWallpaperIDChanged);
        publish(m_screenWallpapers, QMap<QString, QUuid>(), &WallpaperManager::screenWallpapersChanged);
        m_services.desktop.removeWallpaper(std::nullopt);
        return;
    }
    QMap<QString, QUuid> wallpapers = m_screenWallpapers;
    for (const QString& key : std::as_const(screenKeys))
        wallpapers.remove(key);
    publish(m_screenWallpapers, wallpapers, &WallpaperManager::screenWallpapersChanged);
    for (const QString& key : std::as_const(screenKeys))
        m_services.desktop.removeWallpaper(key);
}

std::optional<Wallpaper> WallpaperManager::updateFirst(
    const std::function<bool(const Wallpaper&)>& matches, const std::function<void(Wallpaper&)>& change)
{
    const QList<Wallpaper>& items = m_all.items();
    const auto found = std::find_if(items.cbegin(), items.cend(), matches);
    if (found == items.cend())
        return std::nullopt;
    Wallpaper changed = *found;
    change(changed);
    m_all.merge({ changed });
    return changed;
}

void WallpaperManager::renameWallpaper(const QUuid& id, const QString& title)
{
    const std::optional<Wallpaper> renamed = updateFirst(
        [&](const Wallpaper& wallpaper) { return wallpaper.id == id; },
        [&](Wallpaper& wallpaper) { wallpaper.edit().title = title; });
    if (renamed)
        writeMetadata(*renamed);
}

void WallpaperManager::updateOwnCreator(
    const QString& profileId, const QString& name, const std::optional<QString>& avatarUrl)
{
    const QUuid creatorId = LocalLibrary::ownCreatorId(profileId);
    QList<Wallpaper> changed;
    for (Wallpaper wallpaper : m_all.items()) {
        if (wallpaper.creator().id != creatorId)
            continue;
        wallpaper.edit().creator.name = name;
        if (avatarUrl)
            wallpaper.edit().creator.avatarUrl = avatarUrl;
        changed.append(wallpaper);
    }
    m_all.merge(changed);
}

bool WallpaperManager::isActive(const QUuid& id) const
{
    if (!m_selectedScreenKey)
        return m_activeWallpaperID == id;
    const auto entry = m_screenWallpapers.constFind(*m_selectedScreenKey);
    return entry != m_screenWallpapers.cend() && entry.value() == id;
}

std::optional<Wallpaper> WallpaperManager::wallpaper(const QString& screenKey) const
{
    const auto entry = m_screenWallpapers.constFind(screenKey);
    if (entry == m_screenWallpapers.cend())
        return std::nullopt;
    return firstWithId(m_all.items(), entry.value());
}

QList<Wallpaper> WallpaperManager::search(const QString& query) const
{
    return searchWallpapers(
        m_all.items(), query, [this](const Wallpaper& wallpaper) { return hasLocalMetadata(wallpaper); });
}

void WallpaperManager::registerLocalFolder(const Wallpaper& wallpaper)
{
    const std::optional<QString> folder = WallpaperFolder::folderPath(m_services.downloadsDirectory, wallpaper.hexID());
    const std::optional<QUrl> content = folder ? WallpaperFolder::contentFileURL(*folder) : std::nullopt;
    if (content)
        m_services.cloud.recordDownload(wallpaper.hexID(), *content, WallpaperFolder::posterURL(*folder));
}
