#pragma once

#include "CatalogueCache.h"
#include "CatalogueRecords.h"
#include "CatalogueSource.h"
#include "LocalLibrary.h"
#include "ScreenModel.h"
#include "SubmissionStatusSync.h"
#include "ThumbnailPrefetcher.h"
#include "Wallpaper.h"
#include "WallpaperApplier.h"
#include "WallpaperFiles.h"
#include "WallpaperList.h"
#include "WallpaperListModel.h"
#include "WallpaperSubmitter.h"

#include <QFuture>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QtQml/qqmlregistration.h>
#include <QSet>
#include <QString>
#include <QUuid>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class AccountSource;
class CategoryWallpaperModel;
class CloudService;
class DesktopShows;
class Displays;
class LantoAPIClient;
class LantoSettings;
class LockScreen;
class Scheduler;
class ScreenRecords;
class ThumbnailSource;
class WallpaperService;

// The wallpaper library: the catalogue known from the service, the local
// items on disk, favourites, downloads and what each display shows, as one
// observable object that every screen binds to. Lists are models; every other
// property publishes a change only when its value changes. Main thread only.
class WallpaperManager : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The library is created once by the application")
    Q_PROPERTY(WallpaperListModel* allWallpapers READ allWallpapers CONSTANT)
    Q_PROPERTY(WallpaperListModel* featuredWallpapers READ featuredWallpapers CONSTANT)
    Q_PROPERTY(WallpaperListModel* todaysPicks READ todaysPicks CONSTANT)
    Q_PROPERTY(WallpaperListModel* newThisWeek READ newThisWeek CONSTANT)
    Q_PROPERTY(WallpaperListModel* trending READ trending CONSTANT)
    Q_PROPERTY(WallpaperListModel* freeWallpapers READ freeWallpapers CONSTANT)
    Q_PROPERTY(WallpaperListModel* ultraWideWallpapers READ ultraWideWallpapers CONSTANT)
    Q_PROPERTY(bool isLoadingManifest READ isLoadingManifest NOTIFY isLoadingManifestChanged)
    Q_PROPERTY(QString manifestError READ manifestErrorText NOTIFY manifestErrorChanged)
    Q_PROPERTY(bool hasUltraWideScreen READ hasUltraWideScreen NOTIFY hasUltraWideScreenChanged)
    Q_PROPERTY(QString selectedScreenKey READ selectedScreenKeyText WRITE selectScreen NOTIFY selectedScreenKeyChanged)
    Q_PROPERTY(QString lastAppliedTitle READ lastAppliedTitleText NOTIFY lastAppliedTitleChanged)
    Q_PROPERTY(bool isSubmitting READ isSubmitting NOTIFY isSubmittingChanged)
    Q_PROPERTY(double submissionProgress READ submissionProgress NOTIFY submissionProgressChanged)

public:
    // Everything the library reaches outside itself.
    struct Services
    {
        LantoSettings& settings;
        CloudService& cloud;
        CatalogueSource& catalogue;
        ThumbnailSource& thumbnails;
        ScreenRecords& screens;
        Displays& displays;
        AccountSource& account;
        WallpaperService& service;
        LantoAPIClient& client; // submissions and their review states
        DesktopShows& desktop;
        LockScreen& lockScreen;
        Scheduler& scheduler; // the refresh loop's clock
        QString appSupportDirectory;
        QString downloadsDirectory;
        // Reconciliation of downloads the library has no record of.
        std::function<void()> reconcileOrphanedDownloads;
        // Fills the cards' thumbnail cache from local files.
        std::function<void(const QList<Wallpaper>&)> prefetchCardThumbnails;
    };

    static constexpr std::chrono::seconds refreshInterval{300};

    // The curated rows of the Discover page.
    using DiscoverRow = ::DiscoverRow;

    // Loads the local library and the cached catalogue, then starts the
    // orphan reconciliation, a catalogue refresh and the refresh loop.
    explicit WallpaperManager(Services services, QObject* parent = nullptr);
    ~WallpaperManager() override;

    // Models of the lists.
    WallpaperListModel* allWallpapers() { return &m_allModel; }
    WallpaperListModel* featuredWallpapers() { return &m_rowModels.at(DiscoverRow::featured); }
    WallpaperListModel* todaysPicks() { return &m_rowModels.at(DiscoverRow::todaysPicks); }
    WallpaperListModel* newThisWeek() { return &m_rowModels.at(DiscoverRow::newThisWeek); }
    WallpaperListModel* trending() { return &m_rowModels.at(DiscoverRow::trending); }
    WallpaperListModel* freeWallpapers() { return &m_rowModels.at(DiscoverRow::free); }
    WallpaperListModel* ultraWideWallpapers() { return &m_ultraWideModel; }
    // The page of one category; asking for it starts the category's load.
    CategoryWallpaperModel* categoryModel(WallpaperCategory category);

    // The data behind the models.
    const WallpaperList& allWallpaperList() const { return m_all; }
    const WallpaperList& row(DiscoverRow row) const { return m_rows.at(row); }

    // For the screens: the folder of the wallpapers on disk, one folder per hex id.
    const QString& downloadsDirectory() const { return m_services.downloadsDirectory; }

    // Whether the cached catalogue has been read and the start-up tasks started.
    bool isStarted() const { return m_started; }

    const QSet<QUuid>& favorites() const { return m_favorites; }
    const QSet<QUuid>& downloaded() const { return m_downloaded; }
    const QMap<QString, QUuid>& screenWallpapers() const { return m_screenWallpapers; }
    const std::optional<QString>& selectedScreenKey() const { return m_selectedScreenKey; }
    QString selectedScreenKeyText() const { return m_selectedScreenKey.value_or(QString()); }
    const QList<ScreenModel>& connectedScreens() const { return m_connectedScreens; }
    const QMap<QString, QString>& submissionStatuses() const { return m_submissionStatuses; }
    bool isLoadingManifest() const { return m_isLoadingManifest; }
    const std::optional<QString>& manifestError() const { return m_manifestError; }
    QString manifestErrorText() const { return m_manifestError.value_or(QString()); }
    const QMap<QString, APITag>& tagCatalog() const { return m_tagCatalog; }
    const QSet<QString>& loadedCategories() const { return m_loadedCategories; }
    const QSet<QString>& loadingCategories() const { return m_loadingCategories; }
    const QSet<QUuid>& serverKnownIDs() const { return m_serverKnownIDs; }
    bool hasUltraWideScreen() const { return m_hasUltraWideScreen; }
    const std::optional<QString>& lastAppliedTitle() const { return m_lastAppliedTitle; }
    QString lastAppliedTitleText() const { return m_lastAppliedTitle.value_or(QString()); }
    // The wallpaper shown on every display; none while displays were chosen one by one.
    const std::optional<QUuid>& activeWallpaperID() const { return m_activeWallpaperID; }
    // Progress 0.0 to 1.0 of each download that runs.
    const QMap<QUuid, double>& downloadingWallpapers() const { return m_downloadingWallpapers; }
    qint64 lockScreenApplyGeneration() const { return m_applier.lockScreenApplyGeneration(); }
    const WallpaperFiles& files() const { return m_files; }

    // The display chosen in the display preview; none means every display.
    void setSelectedScreenKey(const std::optional<QString>& screenKey);

    // --- The main window's display preview (QML) ---
    // A tile chooses its display; the preview never goes back to every display, so an empty key is ignored.
    Q_INVOKABLE void selectScreen(const QString& screenKey);
    // The wallpaper recorded on a display; an invalid record when none is.
    Q_INVOKABLE Wallpaper wallpaperOnScreen(const QString& screenKey) const
    {
        return wallpaper(screenKey).value_or(Wallpaper());
    }
    // The key of the main display, when it is one of the connected ones.
    std::optional<QString> mainScreenKey() const;
    // --- end of the display preview's block ---
    // Re-reads the connected displays from the desktop controller.
    void refreshConnectedScreens();
    // Replaces known records in place, appends new ones. A long list is
    // prepared off the main thread; the future finishes once it is merged.
    QFuture<void> mergeIntoLibrary(const QList<Wallpaper>& wallpapers);
    bool isOwnedByCurrentUser(const Wallpaper& wallpaper) const;
    // Adds the user's own new wallpaper: appended to the library, counted as
    // downloaded (also in the settings), its metadata.json written, and its files
    // made known to the download service so that it can be applied at once.
    void addImportedWallpaper(const Wallpaper& wallpaper, const QString& contentPath,
                              const std::optional<QString>& posterPath);
    bool hasLocalMetadata(const Wallpaper& wallpaper) const { return m_library.hasLocalMetadata(wallpaper); }
    // The id the service knows a catalogue wallpaper by, for its usage events and
    // favourites. None for the user's own items: their ids were made here, and
    // the service never issued them (unless it lists one in the catalogue).
    std::optional<QString> serviceID(const Wallpaper& wallpaper) const;
    void writeMetadata(const Wallpaper& wallpaper) const { m_library.writeMetadata(wallpaper); }

    // The Discover rows, the tag catalogue, the merged library, pruning, the
    // cache file, the downloads set and the thumbnails, from one discover and
    // one tags request. Finishes when all of it is done.
    QFuture<void> refreshCatalogue();
    // The Discover page's way to try again after a failed refresh.
    Q_INVOKABLE void retryCatalogue() { refreshCatalogue(); }
    // Removes the catalogue records the service no longer lists, once it has
    // confirmed at least one id this run.
    void pruneStaleWallpapers();
    // Forgets downloads whose catalogue content is gone from disk.
    void dropMissingDownloads();
    QFuture<void> prefetchThumbnails(const QList<Wallpaper>& wallpapers);
    // Fills the cards' thumbnail cache from the wallpapers' local files, so that
    // cards show their pictures on their first frame.
    void prefetchCardThumbnails(const QList<Wallpaper>& wallpapers) const;
    // Merges service records into the cache file, off the main thread.
    QFuture<void> saveCatalogueCache(QList<APIWallpaper> records);

    // The category's wallpapers in the library now; starts its one load per
    // run unless it is loaded or loading.
    QList<Wallpaper> loadCategory(WallpaperCategory category);
    // Loads the category again, unless it is loading now.
    void reloadCategory(WallpaperCategory category);
    // Why the category's last load failed; empty when it did not.
    QString categoryError(WallpaperCategory category) const;
    // The tags under a parent tag, by sort order (ties by id).
    QList<APITag> childTags(const QString& parentId) const;

    // Shows the wallpaper on every display or the chosen one, downloading a
    // catalogue item first when its content is not on disk.
    Q_INVOKABLE void apply(const Wallpaper& wallpaper);
    Q_INVOKABLE void toggleFavorite(const Wallpaper& wallpaper);
    // Deletes a downloaded wallpaper's folder, taking it off every display
    // and the lock screen first; the user's own item leaves the library.
    Q_INVOKABLE void deleteWallpaper(const Wallpaper& wallpaper);
    Q_INVOKABLE void renameWallpaper(const QUuid& id, const QString& title);
    // Rewrites the creator of the user's own wallpapers after a profile edit.
    void updateOwnCreator(const QString& profileId, const QString& name, const std::optional<QString>& avatarUrl);
    // Whether the wallpaper shows on the chosen display, or on all of them when none is chosen.
    Q_INVOKABLE bool isActive(const QUuid& id) const;
    std::optional<Wallpaper> wallpaper(const QString& screenKey) const;
    // The catalogue wallpapers whose title, creator, tag or category matches; never the user's own items.
    QList<Wallpaper> search(const QString& query) const;
    // Lets the download service find the files of a folder made in this run, such as an import.
    void registerLocalFolder(const Wallpaper& wallpaper);

    // Submission of the user's own wallpapers for review (WallpaperSubmitter).
    bool isSubmitting() const { return m_submitter.isSubmitting(); }
    double submissionProgress() const { return m_submitter.submissionProgress(); }
    QFuture<WallpaperSubmitter::Outcome> submitWallpaper(const Wallpaper& wallpaper);
    // The review states of the user's submissions from the service (SubmissionStatusSync).
    QFuture<void> syncSubmissionStatuses();
    // Records a submission's status (none: forgets it) under its key, in the
    // first record whose hex id is the key and in that folder's metadata.json.
    void setSubmissionStatus(const QString& key, const std::optional<QString>& status);
    // The service's id of a submission, in the first record whose hex id is the key.
    void setServerWallpaperId(const QString& key, const QString& serverId);

    // For the wallpaper cards and the detail page: where they fetch a
    // catalogue thumbnail that is not on disk yet.
    ThumbnailSource& thumbnailSource() const { return m_services.thumbnails; }

signals:
    void started();
    void favoritesChanged();
    void downloadedChanged();
    void screenWallpapersChanged();
    void selectedScreenKeyChanged();
    void connectedScreensChanged();
    void submissionStatusesChanged();
    void isLoadingManifestChanged();
    void manifestErrorChanged();
    void tagCatalogChanged();
    void loadedCategoriesChanged();
    void loadingCategoriesChanged();
    void serverKnownIDsChanged();
    void hasUltraWideScreenChanged();
    void lastAppliedTitleChanged();
    void activeWallpaperIDChanged();
    void downloadingWallpapersChanged();
    void isSubmittingChanged();
    void submissionProgressChanged();
    // A category's load ended, with or without success.
    void categoryLoaded(const QString& serviceKey);
    void categoryErrorsChanged();
    // A download for an apply gave up; nothing in the library changed.
    void downloadFailed(const QString& title);

private:
    using Row = DiscoverRow;
    friend class WallpaperApplier;

    // The apply's changes of the library state.
    void recordActiveWallpaper(const QUuid& id, const std::optional<QString>& screenKey);
    void markDownloaded(const QUuid& id);
    void setLastAppliedTitle(const QString& title);
    // Adds, changes or (with none) drops a download's progress entry.
    void setDownloadProgress(const QUuid& id, std::optional<double> fraction);
    // Changes the entry of a download that still runs.
    void updateDownloadProgress(const QUuid& id, double fraction);
    // Takes the wallpaper off every display that shows it, and off the lock screen.
    void removeActiveWallpaper(const Wallpaper& wallpaper);
    void saveIdSet(const QString& key, const QSet<QUuid>& ids);
    // Changes the first matching record in place; the changed record, or none.
    std::optional<Wallpaper> updateFirst(
        const std::function<bool(const Wallpaper&)>& matches, const std::function<void(Wallpaper&)>& change);

    // Stores the rows, merges them and does what follows; finishes after their thumbnails.
    QFuture<void> applyRows(const CatalogueRecords::PreparedRows& prepared);

    void loadCatalogueCache();
    void startTasks();
    void scheduleNextRefresh();
    void fetchCategory(WallpaperCategory category);
    void finishCategory(const QString& key);
    void setCategoryError(const QString& key, const QString& error);
    // Adds the records' ids, a long list off the main thread; finishes once they are in.
    QFuture<void> addServerKnownIDs(const QList<Wallpaper>& wallpapers);
    void applyTags(const TagGroups& groups);
    void updateUltraWideWallpapers();
    void updateLoadingFlags();
    void setLoadingManifest(bool loading);
    void setManifestError(std::optional<QString> error);
    // Stores the value and tells observers, unless it equals what is stored.
    template <typename T>
    void publish(T& field, T value, void (WallpaperManager::*changed)())
    {
        if (field == value)
            return;
        field = std::move(value);
        emit(this->*changed)();
    }

    Services m_services;
    LocalLibrary m_library;
    CatalogueCache m_cache;
    ThumbnailPrefetcher m_prefetcher;
    WallpaperFiles m_files;

    WallpaperList m_all;
    std::map<Row, WallpaperList> m_rows;
    WallpaperList m_ultraWide;
    WallpaperListModel m_allModel{m_all};
    std::map<Row, WallpaperListModel> m_rowModels;
    WallpaperListModel m_ultraWideModel{m_ultraWide};
    std::map<WallpaperCategory, std::unique_ptr<CategoryWallpaperModel>> m_categoryModels;

    QSet<QUuid> m_favorites;
    QSet<QUuid> m_downloaded;
    QMap<QString, QUuid> m_screenWallpapers;
    std::optional<QString> m_selectedScreenKey;
    QList<ScreenModel> m_connectedScreens;
    QMap<QString, QString> m_submissionStatuses;
    bool m_isLoadingManifest = false;
    std::optional<QString> m_manifestError;
    QMap<QString, APITag> m_tagCatalog;
    QSet<QString> m_loadedCategories;
    QSet<QString> m_loadingCategories;
    QHash<QString, QString> m_categoryErrors;
    QSet<QUuid> m_serverKnownIDs;
    bool m_hasUltraWideScreen = false;
    std::optional<QString> m_lastAppliedTitle;
    std::optional<QUuid> m_activeWallpaperID;
    QMap<QUuid, double> m_downloadingWallpapers;

    bool m_started = false;
    bool m_ultraWideQueued = false;
    quint64 m_ultraWideGeneration = 0;
    WorkItemPtr m_nextRefresh;
    // Last: their pending work refers to the state above.
    WallpaperApplier m_applier;
    WallpaperSubmitter m_submitter;
    SubmissionStatusSync m_statusSync;
};
