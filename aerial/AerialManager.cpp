#include "AerialManager.h"

#include "AerialAssetServer.h"
#include "AerialManagerLog.h"
#include "Displays.h"
#include "DistributedNotifications.h"
#include "LantoSettings.h"
#include "SystemCommands.h"
#include "SystemVersion.h"
#include "UuidText.h"
#include "WallpaperFolder.h"
#include "WallpaperStore.h"
#include "Workspace.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>

using namespace std::chrono_literals;

struct AerialManager::Lifetime
{
    std::recursive_mutex mutex;
    bool alive = true;
};

namespace {

std::atomic<AerialManager*> sharedManager { nullptr };

constexpr auto verificationDelay = 3s;
constexpr auto eventSettleDelay = 1s;

const QString supersededLine = QStringLiteral("Verify cancelled — newer apply superseded");

void log(const QString& text) { AerialManagerLog::write(text); }
const auto logLine = [](const QString& text) { log(text); };

bool isFile(const QString& path) { return QFileInfo(path).isFile(); }

bool onModernSystem() { return SystemVersion::isAtLeast(26); }

} // namespace

AerialManager::AerialManager(Environment environment, QObject* parent)
    : QObject(parent),
      m_settings(environment.settings),
      m_displays(environment.displays),
      m_workspace(environment.workspace),
      m_notifications(environment.notifications),
      m_killer(environment.commands, logLine, logLine),
      m_server(environment.server),
      m_background(environment.background),
      m_paths(std::move(environment.paths)),
      m_blackoutImageURL(std::move(environment.blackoutImageURL)),
      m_files(m_paths),
      m_agentSettings(environment.settings, m_files),
      m_lifetime(std::make_shared<Lifetime>())
{
    refreshDisplays();
    connect(&m_displays, &Displays::displaysChanged, this, &AerialManager::refreshDisplays);
    m_files.createDirectories();
    m_server.start();
    AerialManager* none = nullptr;
    sharedManager.compare_exchange_strong(none, this);
}

AerialManager::~AerialManager()
{
    AerialManager* self = this;
    sharedManager.compare_exchange_strong(self, nullptr);
    std::lock_guard lock(m_lifetime->mutex);
    m_lifetime->alive = false;
    std::lock_guard pendingLock(m_pendingMutex);
    for (const WorkItemPtr& item : std::as_const(m_pendingWork))
        item->cancel();
}

AerialManager* AerialManager::shared() { return sharedManager.load(); }


// MARK: Displays

void AerialManager::refreshDisplays()
{
    const auto usable = [](const ConnectedDisplay& display) { return display.number && !display.uuid.isEmpty(); };
    const auto main = m_displays.mainDisplay();
    QStringList all;
    for (const ConnectedDisplay& display : m_displays.displays()) {
        if (usable(display))
            all.append(display.uuid);
    }
    std::lock_guard lock(m_displaysMutex);
    m_mainDisplayUUID = main && usable(*main) ? std::optional(main->uuid) : std::nullopt;
    m_allDisplayUUIDs = all;
}

std::optional<QString> AerialManager::mainDisplayUUID() const
{
    std::lock_guard lock(m_displaysMutex);
    return m_mainDisplayUUID;
}

QStringList AerialManager::allDisplayUUIDs() const
{
    std::lock_guard lock(m_displaysMutex);
    return m_allDisplayUUIDs;
}

void AerialManager::deleteAssetFiles(const QString& assetID)
{
    m_agentSettings.removeAssetHex(assetID);
    m_files.deleteFiles(assetID);
}

// MARK: Injection, removal, resumption

std::optional<QUuid> AerialManager::inject(
    const QString& title, const QString& videoPath, const std::optional<QString>& displayUUID)
{
    std::lock_guard lock(m_lifetime->mutex);
    const auto display = displayUUID ? displayUUID : mainDisplayUUID();
    if (!display) {
        log(QStringLiteral("No display UUID available"));
        return std::nullopt;
    }
    const QUuid asset = QUuid::createUuid();
    const QString id = uuidText(asset);
    const QString videoFolder = QFileInfo(videoPath).absolutePath();
    if (!QFileInfo::exists(videoPath)) {
        log(QStringLiteral("Source video missing at %1").arg(videoPath));
        return std::nullopt;
    }
    m_agentSettings.recordAssetHex(id, QFileInfo(videoFolder).fileName());
    m_files.linkOrCopy(videoPath, m_paths.videoFile(id));
    m_files.linkOrCopy(QDir(videoFolder).filePath(QStringLiteral("Poster.png")), m_paths.thumbnailFile(id));

    auto manifest = m_files.readManifest();
    if (!manifest)
        log(QStringLiteral("Failed to read entries.json"));
    if (manifest) {
        manifest->appendAsset(AerialsManifest::assetEntry(
            id, manifest->nextShotID(), title, m_server.videoURL(id), m_server.thumbnailURL(id)));
        manifest->ensureCategory(id);
        if (!m_files.writeManifest(*manifest)) {
            log(QStringLiteral("Failed to write entries.json"));
            manifest.reset();
        }
    }
    if (!manifest) {
        // Nothing points at the asset: take back what was made for it.
        deleteAssetFiles(id);
        return std::nullopt;
    }

    ++m_applyGeneration;
    m_activeAerialAssetID = asset;
    m_activeDisplayUUID = *display;
    m_agentSettings.persist(id, *display);
    apply(asset, *display, true);
    registerAllObservers();
    log(QStringLiteral("Injected '%1' as %2").arg(title, id));
    return asset;
}

void AerialManager::remove(const QUuid& assetID)
{
    std::lock_guard lock(m_lifetime->mutex);
    const QString id = uuidText(assetID);
    if (m_activeAerialAssetID == assetID) {
        m_activeAerialAssetID.reset();
        m_agentSettings.clear();
        unregisterObservers();
        if (m_screenChangeObserverRegistered)
            unregisterScreenChangeObserver();
    }
    auto manifest = m_files.readManifest();
    if (!manifest) {
        log(QStringLiteral("Failed to read entries.json for removal"));
        return;
    }
    manifest->removeAsset(id);
    // The files go only once the manifest no longer lists the asset.
    if (m_files.writeManifest(*manifest)) {
        kill(onModernSystem() ? SystemWallpaper::wallpaperAgent : SystemWallpaper::aerialsExtension);
        deleteAssetFiles(id);
    }
    log(QStringLiteral("Removed aerial ") + id);
}

void AerialManager::resumeAtLaunch(const QUuid& assetID)
{
    std::lock_guard lock(m_lifetime->mutex);
    const QString id = uuidText(assetID);
    if (!isAssetInstalled(assetID)) {
        log(QStringLiteral("Cannot resume — aerial %1 not in manifest").arg(id));
        return;
    }
    m_activeAerialAssetID = assetID;
    m_activeDisplayUUID = m_settings.string(SettingsKey::activeDisplayUUID);
    if (const auto display = mainDisplayUUID() ? mainDisplayUUID() : m_activeDisplayUUID) {
        if (stamp(assetID, *display)) {
            kill(SystemWallpaper::wallpaperAgent);
            kill(SystemWallpaper::aerialsExtension);
            log(QStringLiteral("Launch — forced stamp + WA restart on main %1").arg(*display));
        }
    }
    registerAllObservers();
    log(QStringLiteral("Resumed tracking for aerial %1 on display %2")
            .arg(id, m_activeDisplayUUID.value_or(QStringLiteral("unknown"))));
}

bool AerialManager::isAssetInstalled(const QUuid& assetID) const
{
    std::lock_guard lock(m_lifetime->mutex);
    const QString id = uuidText(assetID);
    const auto manifest = m_files.readManifest();
    if (!manifest || !manifest->hasAsset(id))
        return false;
    // The hex id comes from the settings file: it may only name a folder right below the downloads.
    const auto folder = WallpaperFolder::folderPath(LantoSettings::downloadsDirectory(), m_agentSettings.assetToHex().value(id));
    if (folder && isFile(QDir(*folder).filePath(QStringLiteral("content.mov"))))
        return true;
    return isFile(m_paths.videoFile(id));
}

std::optional<QUuid> AerialManager::activeAerialAssetID() const
{
    std::lock_guard lock(m_lifetime->mutex);
    return m_activeAerialAssetID;
}

std::optional<QString> AerialManager::activeDisplayUUID() const
{
    std::lock_guard lock(m_lifetime->mutex);
    return m_activeDisplayUUID;
}

qint64 AerialManager::applyGeneration() const
{
    std::lock_guard lock(m_lifetime->mutex);
    return m_applyGeneration;
}

// MARK: The wallpaper store

bool AerialManager::writeIndexPlist(const QUuid& assetID, const QString& mainDisplayUUID)
{
    using Status = WallpaperStoreFile::ReadResult::Status;
    std::lock_guard lock(m_lifetime->mutex);
    auto store = WallpaperStoreFile::read(m_paths.indexPlist);
    if (store.status == Status::Unreadable) {
        // The system's choices for other displays and Spaces live in it: never replace it blindly.
        log(QStringLiteral("Index.plist unreadable — left as it is"));
        return false;
    }
    if (store.status == Status::Missing)
        log(QStringLiteral("Index.plist missing or corrupt — creating fresh"));
    const QString id = uuidText(assetID);
    stampAerial(store.root, id, mainDisplayUUID);
    const QStringList displays = allDisplayUUIDs();
    if (displays.size() > 1 || (displays.size() == 1 && displays.first() != mainDisplayUUID)) {
        const QUrl blackout = m_blackoutImageURL();
        for (const QString& display : displays) {
            if (display != mainDisplayUUID)
                stampImage(store.root, display, blackout);
        }
    }
    QString error;
    if (!WallpaperStoreFile::write(m_paths.indexPlist, store.root, &error)) {
        log(QStringLiteral("Failed to update Index.plist — ") + error);
        return false;
    }
    log(QStringLiteral("Updated Index.plist — aerial %1 on main %2, blackout on others").arg(id, mainDisplayUUID));
    return true;
}

void AerialManager::syncIndexPlistToDisk() { WallpaperStoreFile::syncToDisk(m_paths.indexPlist); }

bool AerialManager::stamp(const QUuid& assetID, const QString& displayUUID)
{
    if (!writeIndexPlist(assetID, displayUUID))
        return false;
    syncIndexPlistToDisk();
    return true;
}

// MARK: Apply, verification and re-stamping

bool AerialManager::isAerialStamped(const QString& assetID, const QString& displayUUID) const
{
    QStringList others = allDisplayUUIDs();
    others.removeAll(displayUUID);
    return indexPlistHasAerial(m_paths.indexPlist, assetID, displayUUID, others);
}

void AerialManager::kickAerialsExtension()
{
    kill(SystemWallpaper::aerialsExtension);
    log(QStringLiteral("Sequoia — kicked WallpaperAerialsExtension (WallpaperAgent untouched)"));
}

void AerialManager::apply(const QUuid& assetID, const QString& displayUUID, bool killExtension)
{
    std::lock_guard lock(m_lifetime->mutex);
    if (isAerialStamped(uuidText(assetID), displayUUID)) {
        log(QStringLiteral("Aerial already set — skipping update and restart"));
        return;
    }
    // Nothing new for the system to pick up: no restart, and nothing to check.
    if (!stamp(assetID, displayUUID))
        return;
    if (onModernSystem()) {
        kill(SystemWallpaper::wallpaperAgent);
        if (killExtension)
            kill(SystemWallpaper::aerialsExtension);
    } else {
        kickAerialsExtension();
    }
    const qint64 generation = m_applyGeneration;
    runLater(
        verificationDelay, [this, generation, assetID, displayUUID] { verify(generation, assetID, displayUUID); },
        [] { log(supersededLine); });
}

void AerialManager::verify(qint64 generation, const QUuid& assetID, const QString& displayUUID)
{
    if (m_applyGeneration != generation) {
        log(supersededLine);
        return;
    }
    if (isAerialStamped(uuidText(assetID), displayUUID)) {
        log(QStringLiteral("Verified aerial config is intact"));
        return;
    }
    log(QStringLiteral("Config lost after stamp — re-stamping (no re-kill)"));
    stamp(assetID, displayUUID);
}

void AerialManager::restampActiveAerial()
{
    std::lock_guard lock(m_lifetime->mutex);
    const auto assetText = m_settings.string(SettingsKey::activeAerialID);
    const auto display = m_settings.string(SettingsKey::activeDisplayUUID);
    const auto asset = assetText ? uuidFromText(*assetText) : std::nullopt;
    if (!asset || !display || isAerialStamped(uuidText(*asset), *display))
        return;
    log(QStringLiteral("Aerial clobbered — re-stamping plist"));
    if (!stamp(*asset, *display))
        return;
    if (onModernSystem())
        kill(SystemWallpaper::aerialsExtension);
    else
        kickAerialsExtension();
}

void AerialManager::restampActiveAerialInBackground()
{
    runLater(0ms, [this] { restampActiveAerial(); });
}

void AerialManager::kill(const QString& processName)
{
    std::lock_guard lock(m_lifetime->mutex);
    m_killer.kill(processName, m_background.now());
}

// MARK: Delayed work

void AerialManager::runLater(Scheduler::Duration delay, std::function<void()> work, std::function<void()> whenGone)
{
    std::weak_ptr<Lifetime> lifetime = m_lifetime;
    const bool reportsGone = bool(whenGone);
    WorkItemPtr item = m_background.after(delay, [lifetime, work = std::move(work), whenGone = std::move(whenGone)] {
        const auto alive = lifetime.lock();
        std::unique_lock<std::recursive_mutex> lock;
        if (alive)
            lock = std::unique_lock(alive->mutex);
        if (alive && alive->alive)
            work();
        else if (whenGone)
            whenGone();
    });
    // Work that has something to say when the manager is gone still runs then, to say it.
    if (reportsGone)
        return;
    std::lock_guard lock(m_pendingMutex);
    m_pendingWork.removeIf([](const WorkItemPtr& pending) { return pending.use_count() == 1; });
    m_pendingWork.append(std::move(item));
}

// MARK: Handlers

void AerialManager::handleScreenLocked()
{
    std::lock_guard lock(m_lifetime->mutex);
    const auto main = mainDisplayUUID();
    if (!m_activeAerialAssetID || !main)
        return;
    const QUuid asset = *m_activeAerialAssetID;
    if (isAerialStamped(uuidText(asset), *main)) {
        log(QStringLiteral("screenIsLocked — aerial intact, no action needed"));
        return;
    }
    log(QStringLiteral("screenIsLocked — aerial clobbered, re-stamping on %1").arg(*main));
    if (stamp(asset, *main))
        kill(onModernSystem() ? SystemWallpaper::wallpaperAgent : SystemWallpaper::aerialsExtension);
}

void AerialManager::handleScreenUnlocked()
{
    std::lock_guard lock(m_lifetime->mutex);
    if (onModernSystem() || !m_activeAerialAssetID || !m_activeDisplayUUID)
        return;
    const QUuid asset = *m_activeAerialAssetID;
    const QString display = *m_activeDisplayUUID;
    if (isAerialStamped(uuidText(asset), display)) {
        log(QStringLiteral("Plist still has aerial %1 — no restart needed").arg(uuidText(asset)));
        return;
    }
    log(QStringLiteral("Plist lost aerial config — re-applying %1 on display %2").arg(uuidText(asset), display));
    apply(asset, display, false);
}

void AerialManager::handleWillSleep()
{
    std::lock_guard lock(m_lifetime->mutex);
    if (!m_activeAerialAssetID || !m_activeDisplayUUID)
        return;
    log(QStringLiteral("willSleep — stamping + killing WA to prevent SIGTERM clobber"));
    if (stamp(*m_activeAerialAssetID, *m_activeDisplayUUID))
        kill(SystemWallpaper::wallpaperAgent);
}

void AerialManager::handleDisplayWake()
{
    std::lock_guard lock(m_lifetime->mutex);
    if (!m_activeAerialAssetID || !m_activeDisplayUUID)
        return;
    const QUuid asset = *m_activeAerialAssetID;
    const QString display = *m_activeDisplayUUID;
    runLater(eventSettleDelay, [this, asset, display] {
        if (isAerialStamped(uuidText(asset), display)) {
            log(QStringLiteral("Wake — aerial still set, no action needed"));
            return;
        }
        log(QStringLiteral("Wake — plist clobbered, re-stamping"));
        apply(asset, display, false);
    });
}

void AerialManager::handleScreenConfigurationChanged()
{
    std::lock_guard lock(m_lifetime->mutex);
    if (!m_activeAerialAssetID || !m_activeDisplayUUID)
        return;
    const auto main = mainDisplayUUID();
    if (main && *main != *m_activeDisplayUUID) {
        log(QStringLiteral("Main display UUID changed from %1 to %2").arg(*m_activeDisplayUUID, *main));
        m_activeDisplayUUID = *main;
        m_agentSettings.persist(uuidText(*m_activeAerialAssetID), *main);
    }
    runLater(eventSettleDelay, [this] {
        if (!m_activeAerialAssetID || !m_activeDisplayUUID)
            return;
        const QUuid asset = *m_activeAerialAssetID;
        const QString display = *m_activeDisplayUUID;
        if (isAerialStamped(uuidText(asset), display)) {
            log(QStringLiteral("Screen config changed but aerial still set — skipping restart"));
            return;
        }
        log(QStringLiteral("Screen config changed — re-applying aerial %1 on display %2")
                .arg(uuidText(asset), display));
        apply(asset, display, false);
    });
}
