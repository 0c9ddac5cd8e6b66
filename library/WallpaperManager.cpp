#include "WallpaperManager.h"

#include "AccountSource.h"
#include "CatalogueRecords.h"
#include "PoolRelease.h"
#include "CategoryWallpaperModel.h"
#include "CloudService.h"
#include "Displays.h"
#include "FutureDelivery.h"
#include "LantoSettings.h"
#include "Log.h"
#include "ScreenRecords.h"
#include "SettingsKeys.h"
#include "UltraWide.h"
#include "UuidText.h"
#include "WallpaperService.h"

#include <QPointer>
#include <QPromise>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

using CatalogueRecords::discoverRowOrder;
using CatalogueRecords::toWallpapers;

const QString uploadingStatus = u"uploading"_s;

QString textOrNil(const std::optional<QString>& text)
{
    return text.value_or(u"nil"_s);
}

} // namespace

WallpaperManager::WallpaperManager(Services services, QObject* parent)
    : QObject(parent),
      m_services(std::move(services)),
      m_library(m_services.downloadsDirectory),
      m_cache(m_services.appSupportDirectory + u"/wallpaper-cache.json"_s),
      m_prefetcher(m_services.thumbnails),
      m_files(m_services.cloud, m_services.downloadsDirectory),
      m_applier(*this, {m_services.service, m_services.desktop, m_services.lockScreen, m_services.displays,
                        m_services.scheduler, m_files}),
      m_submitter(*this, m_services.client, m_services.downloadsDirectory),
      m_statusSync(*this, m_services.client, [service = &m_services.service] { return service->isSignedIn(); })
{
    connect(&m_submitter, &WallpaperSubmitter::isSubmittingChanged, this, &WallpaperManager::isSubmittingChanged);
    connect(&m_submitter, &WallpaperSubmitter::submissionProgressChanged, this,
            &WallpaperManager::submissionProgressChanged);
    for (Row row : discoverRowOrder) {
        m_rows.try_emplace(row);
        m_rowModels.try_emplace(row, m_rows.at(row));
    }
    connect(&m_all, &WallpaperList::idsChanged, this, &WallpaperManager::updateUltraWideWallpapers);
    connect(&m_all, &WallpaperList::rowsChanged, this, &WallpaperManager::updateUltraWideWallpapers);
    updateLoadingFlags();

    refreshConnectedScreens();
    if (const auto main = m_services.displays.mainDisplay(); main && main->number) {
        for (const ScreenModel& screen : std::as_const(m_connectedScreens)) {
            if (screen.serialNumber() == *main->number) {
                publish(m_selectedScreenKey, std::optional<QString>(screen.id()),
                        &WallpaperManager::selectedScreenKeyChanged);
                break;
            }
        }
    }

    m_favorites = m_services.settings.uuidSet(SettingsKey::favorites);
    m_downloaded = m_services.settings.uuidSet(SettingsKey::downloads);

    // The controller may call at any time; the library answers on a later turn, if it still exists.
    m_services.screens.setOnScreensChanged([library = QPointer<WallpaperManager>(this)] {
        if (library)
            QMetaObject::invokeMethod(library, &WallpaperManager::refreshConnectedScreens, Qt::QueuedConnection);
    });

    QList<Wallpaper> local = m_library.scan([this] { return m_services.account.currentAccount(); });
    for (Wallpaper& wallpaper : local) {
        // A submission cut short when the program ended: nothing is uploading any more.
        if (wallpaper.submissionStatus() == uploadingStatus) {
            wallpaper.edit().submissionStatus.reset();
            m_library.writeMetadata(wallpaper);
        }
    }
    m_all.assign(local);
    for (const Wallpaper& wallpaper : std::as_const(local)) {
        m_downloaded.insert(wallpaper.id);
        if (wallpaper.submissionStatus())
            m_submissionStatuses.insert(wallpaper.hexID(), *wallpaper.submissionStatus());
    }

    if (!m_services.cloud.isCacheBuilt())
        m_services.cloud.buildCache();

    loadCatalogueCache();
}

WallpaperManager::~WallpaperManager()
{
    if (m_nextRefresh)
        m_nextRefresh->cancel();
}

// The cache is read and converted off the main thread; the start-up tasks
// begin once its records are in the library, so a refresh never races them.
void WallpaperManager::loadCatalogueCache()
{
    deliveredTo(this, m_cache.load()).then(this, [this](const QList<APIWallpaper>& records) {
        deliveredTo(this, toWallpapers(records)).then(this, [this](const QList<Wallpaper>& cached) {
            mergeIntoLibrary(cached).then(this, [this] { startTasks(); });
        });
    });
}

void WallpaperManager::startTasks()
{
    if (m_services.prefetchCardThumbnails) {
        const QStringList names = m_library.entryNames();
        const QSet<QString> folders(names.cbegin(), names.cend());
        QList<Wallpaper> onDisk;
        for (const Wallpaper& wallpaper : m_all.items()) {
            if (folders.contains(wallpaper.hexID()))
                onDisk.append(wallpaper);
        }
        prefetchCardThumbnails(onDisk);
    }
    m_started = true;
    updateLoadingFlags();
    emit started();

    if (m_services.reconcileOrphanedDownloads)
        m_services.reconcileOrphanedDownloads();
    refreshCatalogue();
    scheduleNextRefresh();
}

void WallpaperManager::scheduleNextRefresh()
{
    m_nextRefresh = m_services.scheduler.after(refreshInterval, [this] {
        refreshCatalogue().then(this, [this] { scheduleNextRefresh(); });
    });
}

CategoryWallpaperModel* WallpaperManager::categoryModel(WallpaperCategory category)
{
    auto& model = m_categoryModels[category];
    if (!model) {
        model = std::make_unique<CategoryWallpaperModel>(category, m_allModel);
        model->setLoading(m_loadingCategories.contains(serviceKey(category)));
        loadCategory(category);
    }
    return model.get();
}

void WallpaperManager::selectScreen(const QString& screenKey)
{
    if (!screenKey.isEmpty())
        setSelectedScreenKey(screenKey);
}

std::optional<QString> WallpaperManager::mainScreenKey() const
{
    const std::optional<ConnectedDisplay> main = m_services.displays.mainDisplay();
    if (!main || !main->number)
        return std::nullopt;
    return QString::number(*main->number);
}

void WallpaperManager::refreshConnectedScreens()
{
    const QList<ScreenModel> screens = m_services.screens.connectedScreens();
    QSet<QString> keys;
    QMap<QString, QUuid> wallpapers = m_screenWallpapers;
    for (const ScreenModel& screen : screens) {
        keys.insert(screen.id());
        if (screen.wallpaperID)
            wallpapers.insert(screen.id(), *screen.wallpaperID);
    }
    wallpapers.removeIf([&](const auto& entry) { return !keys.contains(entry.key()); });

    publish(m_connectedScreens, screens, &WallpaperManager::connectedScreensChanged);
    publish(m_screenWallpapers, wallpapers, &WallpaperManager::screenWallpapersChanged);
    if (m_selectedScreenKey && !keys.contains(*m_selectedScreenKey))
        publish(m_selectedScreenKey, std::optional<QString>(), &WallpaperManager::selectedScreenKeyChanged);
    publish(m_hasUltraWideScreen, UltraWide::anyUltraWideScreen(screens, m_services.displays),
            &WallpaperManager::hasUltraWideScreenChanged);
}

QFuture<void> WallpaperManager::mergeIntoLibrary(const QList<Wallpaper>& wallpapers)
{
    // Past this many records the copying is worked out on the pool.
    constexpr qsizetype mergedHere = 512;
    if (wallpapers.size() <= mergedHere) {
        m_all.merge(wallpapers);
        return QtFuture::makeReadyFuture();
    }
    // The plan travels by pointer: a copy left in the future would share its
    // rows with the library, and the next append would copy them all here.
    // The records are held the same way, since Qt may keep a copy of the
    // continuation that outlives it on this thread.
    auto held = std::make_shared<QList<Wallpaper>>(wallpapers);
    return runDeliveredTo(this, [snapshot = m_all.snapshot(), wallpapers] {
        return std::make_shared<WallpaperList::MergePlan>(WallpaperList::planMerge(snapshot, wallpapers));
    }).then(this, [this, held](const std::shared_ptr<WallpaperList::MergePlan>& plan) {
        if (!m_all.applyMerge(std::move(*plan)))
            m_all.merge(*held); // the library changed meanwhile: merge into what it is now
        releaseOnPool(std::move(*held));
    });
}

// Once per turn however many changes came, and off the main thread, since
// the rule looks on disk for each wide candidate.
void WallpaperManager::updateUltraWideWallpapers()
{
    if (m_ultraWideQueued)
        return;
    m_ultraWideQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_ultraWideQueued = false;
            const quint64 generation = ++m_ultraWideGeneration;
            runDeliveredTo(this, [items = m_all.items(), library = m_library] {
                return UltraWide::catalogueWallpapers(items, library);
            }).then(this, [this, generation](const QList<Wallpaper>& wide) {
                if (generation == m_ultraWideGeneration) // else a newer pass is under way
                    m_ultraWide.assign(wide);
            });
        },
        Qt::QueuedConnection);
}

bool WallpaperManager::isOwnedByCurrentUser(const Wallpaper& wallpaper) const
{
    const std::optional<QString> mine = m_services.account.currentAccount().profileId;
    const std::optional<QString>& creator = wallpaper.creator().serverProfileId;
    if (mine && creator)
        return *mine == *creator;
    Log::write(u"Lanto: isOwnedByCurrentUser — myProfileId=%1, creatorProfileId=%2"_s.arg(textOrNil(mine),
                                                                                           textOrNil(creator)));
    return false;
}

void WallpaperManager::setLoadingManifest(bool loading)
{
    publish(m_isLoadingManifest, loading, &WallpaperManager::isLoadingManifestChanged);
    updateLoadingFlags();
}

void WallpaperManager::setManifestError(std::optional<QString> error)
{
    publish(m_manifestError, std::move(error), &WallpaperManager::manifestErrorChanged);
}

void WallpaperManager::updateLoadingFlags()
{
    m_allModel.setLoading(!m_started || m_isLoadingManifest);
    for (auto& [row, model] : m_rowModels)
        model.setLoading(m_isLoadingManifest);
    m_ultraWideModel.setLoading(m_isLoadingManifest);
    for (auto& [category, model] : m_categoryModels)
        model->setLoading(m_loadingCategories.contains(serviceKey(category)));
}

QFuture<void> WallpaperManager::refreshCatalogue()
{
    setLoadingManifest(true);
    setManifestError(std::nullopt);
    auto done = std::make_shared<QPromise<void>>();
    done->start();
    // Both requests start at once; the tags are awaited only after a good discover.
    QFuture<Result<TagGroups>> tags = m_services.catalogue.fetchTags();
    whenFetched(m_services.catalogue.fetchDiscover(), this, [this, done, tags](Result<DiscoverResponse> discover) mutable {
        if (!discover) {
            tags.cancel();
            setManifestError(discover.error().description());
            setLoadingManifest(false);
            done->finish();
            return;
        }
        whenFetched(tags, this, [this, done, rows = std::move(discover).value()](Result<TagGroups> tagGroups) {
            if (tagGroups)
                applyTags(tagGroups.value());
            deliveredTo(this, CatalogueRecords::prepareRows(rows)).then(this, [this, done](const CatalogueRecords::PreparedRows& prepared) {
                applyRows(prepared).then(this, [this, done] {
                    setLoadingManifest(false);
                    done->finish();
                });
            });
        });
    });
    return done->future();
}

QFuture<void> WallpaperManager::applyRows(const CatalogueRecords::PreparedRows& prepared)
{
    for (Row row : discoverRowOrder)
        m_rows.at(row).assign(prepared.rows.at(row));
    return mergeIntoLibrary(prepared.joined)
        .then(this, [this, joined = prepared.joined] { return addServerKnownIDs(joined); })
        .unwrap()
        .then(this,
              [this, prepared] {
                  pruneStaleWallpapers();
                  saveCatalogueCache(prepared.records);
                  dropMissingDownloads();
                  return prefetchThumbnails(prepared.joined);
              })
        .unwrap();
}

void WallpaperManager::applyTags(const TagGroups& groups)
{
    QMap<QString, APITag> catalog;
    for (const QList<APITag>& group : groups) {
        for (const APITag& tag : group)
            catalog.insert(tag.id, tag);
    }
    publish(m_tagCatalog, catalog, &WallpaperManager::tagCatalogChanged);
}

QFuture<void> WallpaperManager::addServerKnownIDs(const QList<Wallpaper>& wallpapers)
{
    const auto insertHere = [this](const QList<Wallpaper>& listed) {
        const qsizetype before = m_serverKnownIDs.size();
        for (const Wallpaper& wallpaper : listed)
            m_serverKnownIDs.insert(wallpaper.id);
        if (m_serverKnownIDs.size() != before)
            emit serverKnownIDsChanged();
    };
    constexpr qsizetype insertedHere = 512;
    if (wallpapers.size() <= insertedHere) {
        insertHere(wallpapers);
        return QtFuture::makeReadyFuture();
    }
    // A long list is joined into a copy of the set on the pool, then swapped in.
    auto held = std::make_shared<QList<Wallpaper>>(wallpapers);
    return runDeliveredTo(this, [known = m_serverKnownIDs, wallpapers]() mutable {
        for (const Wallpaper& wallpaper : std::as_const(wallpapers))
            known.insert(wallpaper.id);
        return std::make_shared<QSet<QUuid>>(std::move(known));
    }).then(this, [this, insertHere, held, before = m_serverKnownIDs.size()](const std::shared_ptr<QSet<QUuid>>& united) {
        // The set only grows, so an unchanged size means nothing was added meanwhile.
        if (m_serverKnownIDs.size() != before) {
            insertHere(*held);
        } else if (united->size() != before) {
            releaseOnPool(std::exchange(m_serverKnownIDs, std::move(*united)));
            emit serverKnownIDsChanged();
        }
        releaseOnPool(std::move(*held));
    });
}

void WallpaperManager::pruneStaleWallpapers()
{
    // Nothing is stale before the service has confirmed at least one id this run.
    if (m_serverKnownIDs.isEmpty())
        return;
    QSet<QString> staleCloudIDs;
    for (const Wallpaper& wallpaper : m_all.items()) {
        if (wallpaper.cloudID() && !m_serverKnownIDs.contains(wallpaper.id)
            && !m_services.cloud.isDownloaded(*wallpaper.cloudID()))
            staleCloudIDs.insert(*wallpaper.cloudID());
    }
    if (staleCloudIDs.isEmpty())
        return;
    // The user's own items keep their library record; their cache entries go.
    m_all.removeIf([&](const Wallpaper& wallpaper) {
        return wallpaper.cloudID() && staleCloudIDs.contains(*wallpaper.cloudID()) && !m_library.hasLocalMetadata(wallpaper);
    });
    m_cache.prune(staleCloudIDs);
}

void WallpaperManager::dropMissingDownloads()
{
    QSet<QUuid> kept = m_downloaded;
    for (const QUuid& id : m_downloaded) {
        const std::optional<qsizetype> row = m_all.rowOf(id);
        if (!row)
            continue;
        const Wallpaper& wallpaper = m_all.at(*row);
        if (wallpaper.cloudID() && !m_services.cloud.isDownloaded(*wallpaper.cloudID()))
            kept.remove(id);
    }
    if (kept.size() == m_downloaded.size())
        return;
    m_downloaded = kept;
    emit downloadedChanged();
    saveIdSet(SettingsKey::downloads, m_downloaded);
}

void WallpaperManager::addImportedWallpaper(const Wallpaper& wallpaper, const QString& contentPath,
                                            const std::optional<QString>& posterPath)
{
    mergeIntoLibrary({wallpaper});
    if (!m_downloaded.contains(wallpaper.id)) {
        m_downloaded.insert(wallpaper.id);
        emit downloadedChanged();
    }
    saveIdSet(SettingsKey::downloads, m_downloaded);
    m_library.writeMetadata(wallpaper);
    m_services.cloud.recordDownload(wallpaper.hexID(), QUrl::fromLocalFile(contentPath),
                                    posterPath ? std::optional(QUrl::fromLocalFile(*posterPath)) : std::nullopt);
}

void WallpaperManager::saveIdSet(const QString& key, const QSet<QUuid>& ids)
{
    QStringList texts;
    for (const QUuid& id : ids)
        texts.append(uuidText(id));
    texts.sort();
    PlistValue::Array array;
    for (const QString& text : std::as_const(texts))
        array.append(text);
    m_services.settings.set(key, PlistValue(array));
}

QFuture<void> WallpaperManager::prefetchThumbnails(const QList<Wallpaper>& wallpapers)
{
    return m_prefetcher.prefetch(wallpapers);
}

void WallpaperManager::prefetchCardThumbnails(const QList<Wallpaper>& wallpapers) const
{
    if (m_services.prefetchCardThumbnails && !wallpapers.isEmpty())
        m_services.prefetchCardThumbnails(wallpapers);
}

QFuture<void> WallpaperManager::saveCatalogueCache(QList<APIWallpaper> records)
{
    return deliveredTo(this, m_cache.save(std::move(records)));
}

QList<APITag> WallpaperManager::childTags(const QString& parentId) const
{
    QList<APITag> children;
    for (const APITag& tag : m_tagCatalog) {
        if (tag.parentId == parentId)
            children.append(tag);
    }
    std::stable_sort(children.begin(), children.end(),
                     [](const APITag& a, const APITag& b) { return a.sortOrder < b.sortOrder; });
    return children;
}
