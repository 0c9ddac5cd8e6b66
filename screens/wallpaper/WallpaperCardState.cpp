#include "WallpaperCardState.h"

#include "Rebind.h"

#include "WallpaperManager.h"

WallpaperCardState::WallpaperCardState(QObject* parent) : QObject(parent) { }

void WallpaperCardState::setManager(WallpaperManager* manager)
{
    const bool changed = rebind(m_manager, manager, this, [this](WallpaperManager* next) {
        for (auto signal : { &WallpaperManager::favoritesChanged, &WallpaperManager::downloadedChanged,
                 &WallpaperManager::downloadingWallpapersChanged, &WallpaperManager::screenWallpapersChanged,
                 &WallpaperManager::selectedScreenKeyChanged, &WallpaperManager::activeWallpaperIDChanged })
            connect(next, signal, this, &WallpaperCardState::refresh);
    });
    if (!changed)
        return;
    emit managerChanged();
    refresh();
}

void WallpaperCardState::setWallpaper(const Wallpaper& wallpaper)
{
    const bool sameWallpaper = m_wallpaper.id == wallpaper.id;
    m_wallpaper = wallpaper;
    if (sameWallpaper)
        return;
    emit wallpaperChanged();
    refresh();
}

void WallpaperCardState::refresh()
{
    Values values;
    if (m_manager && m_wallpaper.isValid()) {
        const QUuid& id = m_wallpaper.id;
        values.favorite = m_manager->favorites().contains(id);
        values.downloaded = m_manager->downloaded().contains(id);
        const auto download = m_manager->downloadingWallpapers().constFind(id);
        values.downloading = download != m_manager->downloadingWallpapers().cend();
        values.progress = values.downloading ? *download : 0.0;
        values.active = m_manager->isActive(id);
    }
    if (values == m_values)
        return;
    m_values = values;
    emit stateChanged();
}

QString WallpaperCardState::applySymbol() const
{
    if (isActive())
        return QStringLiteral("checkmark");
    return isDownloaded() ? QStringLiteral("display") : QStringLiteral("arrow.down.circle");
}

QUrl WallpaperCardState::previewVideoURL() const
{
    if (!m_manager || !m_wallpaper.isValid())
        return {};
    return m_manager->files().previewVideoURL(m_wallpaper).value_or(QUrl());
}
