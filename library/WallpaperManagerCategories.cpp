// The library's category pages: each category's one load per run from the
// service, and what went wrong with it, for the page to say and retry.
#include "WallpaperManager.h"

#include "CatalogueRecords.h"
#include "FutureDelivery.h"
#include "Log.h"
#include "WallpaperService.h"

using namespace Qt::Literals::StringLiterals;
using CatalogueRecords::toWallpapers;

QList<Wallpaper> WallpaperManager::loadCategory(WallpaperCategory category)
{
    const QString key = serviceKey(category);
    // Queued: screens ask while they compute their lists, and the state changes belong to a later turn.
    if (!m_loadedCategories.contains(key) && !m_loadingCategories.contains(key))
        QMetaObject::invokeMethod(this, [this, category] { fetchCategory(category); }, Qt::QueuedConnection);
    QList<Wallpaper> inCategory;
    for (const Wallpaper& wallpaper : m_all.items()) {
        if (wallpaper.category() == category)
            inCategory.append(wallpaper);
    }
    return inCategory;
}

void WallpaperManager::fetchCategory(WallpaperCategory category)
{
    const QString key = serviceKey(category);
    if (m_loadedCategories.contains(key) || m_loadingCategories.contains(key))
        return;
    m_loadingCategories.insert(key);
    emit loadingCategoriesChanged();
    updateLoadingFlags();
    whenFetched(m_services.catalogue.fetchWallpapers(key), this, [this, key](Result<QList<APIWallpaper>> listing) {
        if (!listing) {
            Log::write(u"Lanto: Failed to load category %1 — %2"_s.arg(key, listing.error().description()));
            setCategoryError(key, listing.error().description());
            finishCategory(key);
            return;
        }
        setCategoryError(key, QString());
        deliveredTo(this, toWallpapers(listing.value()))
            .then(this, [this, key, records = listing.value()](const QList<Wallpaper>& wallpapers) {
                mergeIntoLibrary(wallpapers)
                    .then(this, [this, wallpapers] { return addServerKnownIDs(wallpapers); })
                    .unwrap()
                    .then(this, [this, key, records, wallpapers] {
                        saveCatalogueCache(records);
                        prefetchThumbnails(wallpapers).then(this, [this, key] { finishCategory(key); });
                    });
            });
    });
}

void WallpaperManager::finishCategory(const QString& key)
{
    m_loadedCategories.insert(key);
    emit loadedCategoriesChanged();
    m_loadingCategories.remove(key);
    emit loadingCategoriesChanged();
    updateLoadingFlags();
    emit categoryLoaded(key);
}

void WallpaperManager::reloadCategory(WallpaperCategory category)
{
    const QString key = serviceKey(category);
    if (m_loadingCategories.contains(key))
        return;
    m_loadedCategories.remove(key);
    setCategoryError(key, QString());
    fetchCategory(category);
}

QString WallpaperManager::categoryError(WallpaperCategory category) const
{
    return m_categoryErrors.value(serviceKey(category));
}

void WallpaperManager::setCategoryError(const QString& key, const QString& error)
{
    const bool changed = error.isEmpty() ? m_categoryErrors.remove(key) > 0 : m_categoryErrors.value(key) != error;
    if (!error.isEmpty())
        m_categoryErrors.insert(key, error);
    if (changed)
        emit categoryErrorsChanged();
}
