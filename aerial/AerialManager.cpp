#include "AerialManager.h"

#include "AerialAssetServer.h"
#include "AerialsManifest.h"
#include "Displays.h"
#include "DistributedNotifications.h"
#include "LantoSettings.h"
#include "Log.h"
#include "SystemCommands.h"
#include "SystemVersion.h"
#include "UuidText.h"
#include "WallpaperFolder.h"
#include "WallpaperStore.h"
#include "Workspace.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>

#include <atomic>
#include <filesystem>

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

void log(const QString& text) { Log::write(QStringLiteral("Lanto AerialManager: ") + text); }
const auto logLine = [](const QString& text) { log(text); };

bool isFile(const QString& path) { return QFileInfo(path).isFile(); }

std::filesystem::path nativePath(const QString& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

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
      m_lifetime(std::make_shared<Lifetime>())
{
    refreshDisplays();
    connect(&m_displays, &Displays::displaysChanged, this, &AerialManager::refreshDisplays);
    createDirectories();
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

void AerialManager::createDirectories()
{
    for (const QString& path :
        { m_paths.videosDirectory, m_paths.thumbnailsDirectory, QFileInfo(m_paths.manifest).absolutePath() }) {
        if (QFileInfo::exists(path))
            continue;
        std::error_code error;
        std::filesystem::create_directories(nativePath(path), error);
        if (error)
            log(QStringLiteral("Failed to create directory %1 — %2")
                    .arg(path, QString::fromStdString(error.message())));
    }
}

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

// MARK: Manifest

std::optional<AerialsManifest> AerialManager::readManifest() const
{
    using Status = AerialsManifestFile::ReadResult::Status;
    auto result = AerialsManifestFile::read(m_paths.manifest);
    switch (result.status) {
    case Status::Missing:
        log(QStringLiteral("entries.json not found at ") + m_paths.manifest);
        return result.manifest;
    case Status::Unreadable:
        log(QStringLiteral("Failed to read entries.json — ") + result.error);
        return std::nullopt;
    case Status::NotAnObject:
        log(QStringLiteral("entries.json is not a JSON object"));
        return std::nullopt;
    case Status::Read:
        break;
    }
    return result.manifest;
}

bool AerialManager::writeManifest(const AerialsManifest& manifest) const
{
    QString error;
    if (AerialsManifestFile::write(m_paths.manifest, manifest, &error))
        return true;
    log(QStringLiteral("Failed to write entries.json — ") + error);
    return false;
}

void AerialManager::linkOrCopy(const QString& from, const QString& to) const
{
    if (!isFile(from))
        return;
    QFile::remove(to);
    std::error_code error;
    std::filesystem::create_hard_link(nativePath(from), nativePath(to), error);
    if (!error)
        return;
    log(QStringLiteral("linkItem failed (%1), falling back to copy").arg(QString::fromStdString(error.message())));
    // Copied beside the destination and renamed, so the system never sees half a file.
    const QString partial = to + QStringLiteral(".partial");
    QFile::remove(partial);
    QFile source(from);
    if (!source.copy(partial) || !QFile::rename(partial, to)) {
        log(QStringLiteral("copyItem also failed — %1").arg(source.errorString()));
        QFile::remove(partial);
    }
}

// MARK: Settings kept for the agent

QMap<QString, QString> AerialManager::assetToHex() const
{
    QMap<QString, QString> map;
    const auto stored = m_settings.dictionary(SettingsKey::aerialAssetToHex);
    if (!stored)
        return map;
    for (auto it = stored->cbegin(); it != stored->cend(); ++it) {
        const auto hex = it->toString();
        if (!hex)
            return {};
        map.insert(it.key(), *hex);
    }
    return map;
}

namespace {

PlistValue::Dictionary toDictionary(const QMap<QString, QString>& map)
{
    PlistValue::Dictionary dictionary;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        dictionary.insert(it.key(), it.value());
    return dictionary;
}

} // namespace

void AerialManager::recordAssetHex(const QString& assetID, const QString& hex)
{
    auto map = assetToHex();
    map.insert(assetID, hex);
    m_settings.set(SettingsKey::aerialAssetToHex, toDictionary(map));
}

void AerialManager::removeAssetHex(const QString& assetID)
{
    auto map = assetToHex();
    map.remove(assetID);
    m_settings.set(SettingsKey::aerialAssetToHex, toDictionary(map));
}

void AerialManager::persistForAgent(const QString& assetID, const QString& displayUUID)
{
    m_settings.set(SettingsKey::activeAerialID, assetID);
    m_settings.set(SettingsKey::activeDisplayUUID, displayUUID);
    m_settings.set(SettingsKey::lockScreenEnabled, true);
    if (const auto manifest = readManifest()) {
        const auto cache = [this](const QString& key, const QJsonObject& entry) {
            if (!entry.isEmpty())
                m_settings.set(key, QJsonDocument(entry).toJson(QJsonDocument::Compact));
        };
        cache(SettingsKey::cachedAssetEntry, manifest->asset(assetID));
        cache(SettingsKey::cachedCategoryEntry, manifest->lantoCategory());
    }
    log(QStringLiteral("Persisted aerial %1 on display %2 for agent (with manifest cache)").arg(assetID, displayUUID));
}

void AerialManager::clearAgentState()
{
    m_settings.set(SettingsKey::activeAerialID, std::nullopt);
    m_settings.set(SettingsKey::activeDisplayUUID, std::nullopt);
    m_settings.set(SettingsKey::cachedAssetEntry, std::nullopt);
    m_settings.set(SettingsKey::cachedCategoryEntry, std::nullopt);
    m_settings.set(SettingsKey::lockScreenEnabled, false);
    log(QStringLiteral("Cleared agent aerial state"));
}

void AerialManager::deleteAssetFiles(const QString& assetID)
{
    removeAssetHex(assetID);
    for (const char* extension : { "mov", "mp4", "m4v" })
        QFile::remove(m_paths.videoFile(assetID, QLatin1String(extension)));
    for (const char* extension : { "png", "heic", "jpg" }) {
        QFile::remove(m_paths.thumbnailFile(assetID, QLatin1String(extension)));
        QFile::remove(m_paths.thumbnailFile(assetID + QStringLiteral("-poster"), QLatin1String(extension)));
    }
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
    recordAssetHex(id, QFileInfo(videoFolder).fileName());
    linkOrCopy(videoPath, m_paths.videoFile(id));
    linkOrCopy(QDir(videoFolder).filePath(QStringLiteral("Poster.png")), m_paths.thumbnailFile(id));

    auto manifest = readManifest();
    if (!manifest)
        log(QStringLiteral("Failed to read entries.json"));
    if (manifest) {
        manifest->appendAsset(AerialsManifest::assetEntry(
            id, manifest->nextShotID(), title, m_server.videoURL(id), m_server.thumbnailURL(id)));
        manifest->ensureCategory(id);
        if (!writeManifest(*manifest)) {
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
    persistForAgent(id, *display);
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
        clearAgentState();
        unregisterObservers();
        if (m_screenChangeObserverRegistered)
            unregisterScreenChangeObserver();
    }
    auto manifest = readManifest();
    if (!manifest) {
        log(QStringLiteral("Failed to read entries.json for removal"));
        return;
    }
    manifest->removeAsset(id);
    // The files go only once the manifest no longer lists the asset.
    if (writeManifest(*manifest)) {
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
        stamp(assetID, *display);
        kill(SystemWallpaper::wallpaperAgent);
        kill(SystemWallpaper::aerialsExtension);
        log(QStringLiteral("Launch — forced stamp + WA restart on main %1").arg(*display));
    }
    registerAllObservers();
    log(QStringLiteral("Resumed tracking for aerial %1 on display %2")
            .arg(id, m_activeDisplayUUID.value_or(QStringLiteral("unknown"))));
}

bool AerialManager::isAssetInstalled(const QUuid& assetID) const
{
    std::lock_guard lock(m_lifetime->mutex);
    const QString id = uuidText(assetID);
    const auto manifest = readManifest();
    if (!manifest || !manifest->hasAsset(id))
        return false;
    // The hex id comes from the settings file: it may only name a folder right below the downloads.
    const auto folder = WallpaperFolder::folderPath(LantoSettings::downloadsDirectory(), assetToHex().value(id));
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

void AerialManager::writeIndexPlist(const QUuid& assetID, const QString& mainDisplayUUID)
{
    using Status = WallpaperStoreFile::ReadResult::Status;
    std::lock_guard lock(m_lifetime->mutex);
    auto store = WallpaperStoreFile::read(m_paths.indexPlist);
    if (store.status == Status::Unreadable) {
        // The system's choices for other displays and Spaces live in it: never replace it blindly.
        log(QStringLiteral("Index.plist unreadable — left as it is"));
        return;
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
    if (WallpaperStoreFile::write(m_paths.indexPlist, store.root, &error))
        log(QStringLiteral("Updated Index.plist — aerial %1 on main %2, blackout on others").arg(id, mainDisplayUUID));
    else
        log(QStringLiteral("Failed to update Index.plist — ") + error);
}

void AerialManager::syncIndexPlistToDisk() { WallpaperStoreFile::syncToDisk(m_paths.indexPlist); }

void AerialManager::stamp(const QUuid& assetID, const QString& displayUUID)
{
    writeIndexPlist(assetID, displayUUID);
    syncIndexPlistToDisk();
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
    stamp(assetID, displayUUID);
    if (onModernSystem()) {
        kill(SystemWallpaper::wallpaperAgent);
        if (killExtension)
            kill(SystemWallpaper::aerialsExtension);
    } else {
        kickAerialsExtension();
    }
    const qint64 generation = m_applyGeneration;
    runLater(verificationDelay, [this, generation, assetID, displayUUID] { verify(generation, assetID, displayUUID); });
}

void AerialManager::verify(qint64 generation, const QUuid& assetID, const QString& displayUUID)
{
    if (m_applyGeneration != generation) {
        log(QStringLiteral("Verify cancelled — newer apply superseded"));
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
    stamp(*asset, *display);
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

// MARK: Observers

void AerialManager::runLater(Scheduler::Duration delay, std::function<void()> work)
{
    std::lock_guard lock(m_pendingMutex);
    m_pendingWork.removeIf([](const WorkItemPtr& item) { return item.use_count() == 1; });
    std::weak_ptr<Lifetime> lifetime = m_lifetime;
    m_pendingWork.append(m_background.after(delay, [lifetime, work = std::move(work)] {
        const auto alive = lifetime.lock();
        if (!alive)
            return;
        std::lock_guard lock(alive->mutex);
        if (alive->alive)
            work();
    }));
}

void AerialManager::registerAllObservers()
{
    registerObservers();
    if (!m_screenChangeObserverRegistered)
        registerScreenChangeObserver();
}

void AerialManager::registerObservers()
{
    if (m_unlockObserverRegistered)
        return;
    m_unlockObserverRegistered = true;
    // Notices arrive on the main thread; their work runs on the background scheduler.
    const auto handleLater = [this](void (AerialManager::*handler)()) {
        return [this, handler] { runLater(0ms, [this, handler] { (this->*handler)(); }); };
    };
    m_observerConnections = {
        m_notifications.observe(
            DistributedNotificationNames::screenIsLocked, this, handleLater(&AerialManager::handleScreenLocked)),
        m_notifications.observe(
            DistributedNotificationNames::screenIsUnlocked, this, handleLater(&AerialManager::handleScreenUnlocked)),
        connect(&m_workspace, &Workspace::willSleep, this, handleLater(&AerialManager::handleWillSleep)),
        connect(&m_workspace, &Workspace::screensDidWake, this, handleLater(&AerialManager::handleDisplayWake)),
        connect(&m_workspace, &Workspace::didWake, this, handleLater(&AerialManager::handleDisplayWake)),
    };
    log(QStringLiteral("Registered lock/unlock/wake observers"));
}

void AerialManager::unregisterObservers()
{
    if (!m_unlockObserverRegistered)
        return;
    m_unlockObserverRegistered = false;
    for (const QMetaObject::Connection& connection : std::as_const(m_observerConnections))
        disconnect(connection);
    m_observerConnections.clear();
    log(QStringLiteral("Unregistered lock/unlock/wake observers"));
}

void AerialManager::registerScreenChangeObserver()
{
    m_screenChangeObserverRegistered = true;
    m_screenChangeConnection = connect(&m_workspace, &Workspace::screenParametersChanged, this, [this] {
        // The display list is read here, on the main thread, before the work moves off it.
        refreshDisplays();
        runLater(0ms, [this] { handleScreenConfigurationChanged(); });
    });
    log(QStringLiteral("Registered screen change observer"));
}

void AerialManager::unregisterScreenChangeObserver()
{
    m_screenChangeObserverRegistered = false;
    disconnect(m_screenChangeConnection);
    log(QStringLiteral("Unregistered screen change observer"));
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
    stamp(asset, *main);
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
    stamp(*m_activeAerialAssetID, *m_activeDisplayUUID);
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
        persistForAgent(uuidText(*m_activeAerialAssetID), *main);
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
