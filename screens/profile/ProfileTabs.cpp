#include "ProfileTabs.h"

#include "AppEnvironment.h"
#include "AppState.h"
#include "AuthService.h"
#include "LantoAPIClient.h"
#include "LocalLibrary.h"
#include "Log.h"
#include "SystemColor.h"
#include "WallpaperFolder.h"
#include "WallpaperManager.h"

#include <QDir>
#include <QFileInfo>

#include <array>

namespace {

constexpr std::array allTabs { ProfileTabs::Tab::uploads, ProfileTabs::Tab::downloads, ProfileTabs::Tab::favorites };

ProfileTabs::Services fromEnvironment()
{
    const AppEnvironment::Objects& objects = AppEnvironment::installedObjects();
    return { objects.wallpaperManager, objects.auth, objects.appState, objects.apiClient };
}

} // namespace

QString ProfileTabs::rawValue(Tab tab)
{
    switch (tab) {
    case Tab::uploads: return QStringLiteral("Uploads");
    case Tab::downloads: return QStringLiteral("Downloads");
    case Tab::favorites: return QStringLiteral("Favorites");
    }
    return {};
}

QStringList ProfileTabs::tabNames()
{
    QStringList names;
    for (Tab tab : allTabs)
        names.append(rawValue(tab));
    return names;
}

ProfileTabs::ProfileTabs(QObject* parent) : ProfileTabs(fromEnvironment(), parent) {}

ProfileTabs::ProfileTabs(const Services& services, QObject* parent) : QObject(parent), m_services(services)
{
    if (m_services.client)
        m_pager.emplace(*m_services.client);
    if (WallpaperManager* manager = m_services.manager) {
        // An import writes its metadata.json just after its record joins the list:
        // the lists are rebuilt on the next turn, once for a burst of changes.
        const auto queueRebuild = [this] {
            QMetaObject::invokeMethod(this, &ProfileTabs::rebuildLists, Qt::QueuedConnection);
        };
        connect(manager, &WallpaperManager::downloadedChanged, this, queueRebuild);
        connect(manager, &WallpaperManager::favoritesChanged, this, queueRebuild);
        connect(&manager->allWallpaperList(), &WallpaperList::idsChanged, this, queueRebuild);
    }
    if (m_services.auth)
        connect(m_services.auth, &AuthService::profileIdChanged, this, &ProfileTabs::fetchServerUploads);
    rebuildLists();
    fetchServerUploads();
}

QStringList ProfileTabs::selectedIdTexts() const
{
    QStringList ids;
    for (const QUuid& id : m_selectedIDs)
        ids.append(id.toString(QUuid::WithoutBraces));
    return ids;
}

void ProfileTabs::selectTab(const QString& name)
{
    for (Tab tab : allTabs) {
        if (rawValue(tab) != name)
            continue;
        if (tab != m_tab) {
            m_tab = tab;
            emit selectedTabChanged();
        }
        exitSelectMode();
        rebuildLists();
    }
}

void ProfileTabs::toggleSelectMode()
{
    if (m_isSelectMode)
        return exitSelectMode();
    m_isSelectMode = true;
    emit selectionChanged();
}

void ProfileTabs::exitSelectMode()
{
    if (!m_isSelectMode && m_selectedIDs.isEmpty())
        return;
    m_isSelectMode = false;
    m_selectedIDs.clear();
    emit selectionChanged();
}

void ProfileTabs::toggleSelection(const QString& id)
{
    const QUuid uuid(id);
    if (!m_selectedIDs.remove(uuid))
        m_selectedIDs.insert(uuid);
    emit selectionChanged();
}

void ProfileTabs::removeSelected()
{
    if (!m_services.appState || m_selectedIDs.isEmpty())
        return;
    QList<Wallpaper> chosen;
    for (const Wallpaper& wallpaper : listOf(m_tab)) {
        if (m_selectedIDs.contains(wallpaper.id))
            chosen.append(wallpaper);
    }
    const QPointer<ProfileTabs> self(this);
    const QPointer<WallpaperManager> manager(m_services.manager);
    m_services.appState->setDeleteConfirmation(AppState::DeleteConfirmation { chosen, [self, manager, chosen] {
        for (const Wallpaper& wallpaper : chosen) {
            if (manager)
                manager->deleteWallpaper(wallpaper);
        }
        if (!self)
            return;
        self->exitSelectMode();
        // A removed folder changes no count the lists follow when it was not marked downloaded.
        self->rebuildLists();
    } });
}

Creator ProfileTabs::ownCreator() const
{
    const AuthService* auth = m_services.auth;
    Creator creator;
    const QString profileId = auth ? auth->profileId() : QString();
    creator.id = profileId.isEmpty() ? m_fallbackCreatorId : LocalLibrary::ownCreatorId(profileId);
    creator.name = auth && !auth->displayName().isNull() ? auth->displayName() : QStringLiteral("You");
    creator.avatarColor = systemColor(SystemColor::purple);
    if (auth && !auth->avatarUrl().isNull())
        creator.avatarUrl = auth->avatarUrl();
    creator.isVerified = auth && auth->isVerified();
    if (!profileId.isNull())
        creator.serverProfileId = profileId;
    return creator;
}

void ProfileTabs::rebuildLists()
{
    WallpaperManager* manager = m_services.manager;
    if (!manager)
        return;
    const QList<Wallpaper>& all = manager->allWallpaperList().items();
    const QDir downloads(manager->downloadsDirectory());
    const QSet<QString> folders = [&downloads] {
        const QStringList names = downloads.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        return QSet<QString>(names.cbegin(), names.cend());
    }();

    m_downloads.clear();
    m_favorites.clear();
    m_uploads.clear();
    const Creator own = ownCreator();
    QSet<QString> localKeys;
    for (const Wallpaper& wallpaper : all) {
        const bool isOwn = manager->hasLocalMetadata(wallpaper);
        if (folders.contains(wallpaper.hexID()) && !isOwn)
            m_downloads.append(wallpaper);
        if (manager->favorites().contains(wallpaper.id))
            m_favorites.append(wallpaper);
        if (isOwn) {
            Wallpaper upload = wallpaper;
            upload.edit().creator = own;
            m_uploads.append(upload);
            localKeys.insert(wallpaper.hexID());
            if (wallpaper.serverWallpaperId())
                localKeys.insert(*wallpaper.serverWallpaperId());
        }
    }
    for (const Wallpaper& upload : std::as_const(m_serverUploads)) {
        if (!localKeys.contains(upload.hexID()))
            m_uploads.append(upload);
    }
    // Every tab's pictures, so that switching tabs shows them at once.
    for (const QList<Wallpaper>* list : { &m_downloads, &m_favorites, &m_uploads })
        manager->prefetchCardThumbnails(*list);
    showCurrent();
}

void ProfileTabs::fetchServerUploads()
{
    const QString profileId = m_services.auth ? m_services.auth->profileId() : QString();
    if (m_didFetchServerUploads || profileId.isEmpty() || !m_pager)
        return;
    m_didFetchServerUploads = true;
    m_pager->fetch(profileId, [this](const Result<QList<APIWallpaper>>& fetched) {
        if (!fetched) {
            Log::write(QStringLiteral("Lanto: Failed to fetch server uploads: ") + fetched.error().description());
            return;
        }
        m_serverUploads.clear();
        for (const APIWallpaper& record : fetched.value())
            m_serverUploads.append(Wallpaper::fromAPIWallpaper(record));
        rebuildLists();
    });
}

const QList<Wallpaper>& ProfileTabs::listOf(Tab tab) const
{
    switch (tab) {
    case Tab::uploads: return m_uploads;
    case Tab::favorites: return m_favorites;
    case Tab::downloads: break;
    }
    return m_downloads;
}

void ProfileTabs::showCurrent()
{
    m_current.assign(listOf(m_tab));
    emit listsChanged();
}
