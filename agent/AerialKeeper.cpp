#include "AerialKeeper.h"

#include "AerialAssetServer.h"
#include "AerialsManifest.h"
#include "AgentAerialState.h"
#include "AgentEnvironment.h"
#include "AgentFallbackEntries.h"
#include "AgentLog.h"
#include "SystemCommands.h"
#include "WallpaperStore.h"

#include <QFileInfo>
#include <QJsonArray>

#include <array>

using namespace std::chrono_literals;

namespace {

constexpr std::array<std::chrono::milliseconds, 3> verificationDelays { 500ms, 1500ms, 3000ms };
constexpr auto recheckAfterRestart = 2s;
constexpr auto manifestCheckDelay = 500ms;
constexpr auto manifestReopenDelay = 1s;
constexpr auto verifyPeriod = 300s;

bool hasID(const QJsonObject& entry, const QString& id)
{
    const QJsonValue value = entry.value(QStringLiteral("id"));
    return value.isString() && value.toString() == id;
}

bool containsID(const QJsonArray& entries, const QString& id)
{
    return std::any_of(
        entries.begin(), entries.end(), [&](const QJsonValue& entry) { return hasID(entry.toObject(), id); });
}

} // namespace

AerialKeeper::AerialKeeper(
    const AgentEnvironment& environment, AgentAerialState& state, const bool& mainAppActive, QObject* parent)
    : QObject(parent),
      m_environment(environment),
      m_state(state),
      m_mainAppActive(mainAppActive),
      m_paths(SystemWallpaper::Paths::forHome(environment.home)),
      m_files(environment.home),
      m_killer(
          environment.commands, [](const QString& line) { AgentLog::agent.info(line); },
          [](const QString& line) { AgentLog::agent.error(line); })
{
}

bool AerialKeeper::ensureEntries()
{
    if (!m_state.aerialID)
        return false;
    const QString id = *m_state.aerialID;
    if (!QFileInfo::exists(m_paths.videoFile(id))) {
        AgentLog::agent.error(QStringLiteral("Video file missing for %1 — cannot inject").arg(id));
        return false;
    }
    // The agent never creates a manifest: a missing one is the system's to make.
    AerialsManifestFile::ReadResult read = AerialsManifestFile::read(m_paths.manifest);
    if (read.status != AerialsManifestFile::ReadResult::Status::Read) {
        AgentLog::agent.error(QStringLiteral("Cannot read entries.json"));
        return false;
    }
    AerialsManifest& manifest = read.manifest;
    if (manifest.hasAsset(id))
        return false;
    AgentLog::agent.error(QStringLiteral("Aerial %1 missing from entries.json — re-injecting").arg(id));

    const std::optional<QJsonObject>& cachedAsset = m_state.cachedAssetEntry;
    manifest.appendAsset(cachedAsset && !cachedAsset->isEmpty() && hasID(*cachedAsset, id)
            ? *cachedAsset
            : AgentFallbackEntries::assetEntry(
                id, m_environment.server.videoURL(id), m_environment.server.thumbnailURL(id)));
    const QJsonObject category = m_state.cachedCategoryEntry.value_or(AgentFallbackEntries::categoryEntry(id));
    QJsonArray categories = manifest.categories();
    const QJsonValue categoryID = category.value(QStringLiteral("id"));
    if (!categoryID.isString() || !containsID(categories, categoryID.toString())) {
        categories.append(category);
        QJsonObject root = manifest.root();
        root.insert(QStringLiteral("categories"), categories);
        manifest = AerialsManifest(root);
    }

    QString error;
    if (!AerialsManifestFile::write(m_paths.manifest, manifest, &error)) {
        AgentLog::agent.error(QStringLiteral("Failed to write entries.json — %1").arg(error));
        return false;
    }
    AgentLog::agent.info(QStringLiteral("Re-injected aerial %1 into entries.json").arg(id));
    return true;
}

bool AerialKeeper::stamp(const QString& assetID, const QString& displayUUID)
{
    using Status = WallpaperStoreFile::ReadResult::Status;
    WallpaperStoreFile::ReadResult store = WallpaperStoreFile::read(m_paths.indexPlist);
    if (store.status == Status::Unreadable) {
        // The system's choices for other displays and Spaces live in it: never replace it blindly.
        AgentLog::agent.error(QStringLiteral("Index.plist unreadable — left as it is"));
        return false;
    }
    if (store.status == Status::Missing)
        AgentLog::agent.info(QStringLiteral("Index.plist missing or corrupt — creating fresh"));
    stampAerial(store.root, assetID, displayUUID);
    QString error;
    if (!WallpaperStoreFile::write(m_paths.indexPlist, store.root, &error)) {
        AgentLog::agent.error(QStringLiteral("Failed to write Index.plist — %1").arg(error));
        return false;
    }
    WallpaperStoreFile::syncToDisk(m_paths.indexPlist);
    AgentLog::agent.info(QStringLiteral("Stamped Index.plist — aerial %1 on display %2").arg(assetID, displayUUID));
    return true;
}

bool AerialKeeper::storeHasAerial(const QString& assetID, const QString& displayUUID) const
{
    return indexPlistHasAerial(m_paths.indexPlist, assetID, displayUUID, {});
}

bool AerialKeeper::stampWithRetry()
{
    if (m_mainAppActive) {
        AgentLog::agent.info(QStringLiteral("stampWithRetry: main app active — yielding"));
        return false;
    }
    if (!m_state.isSet())
        return false;
    const QString id = *m_state.aerialID;
    const QString display = *m_state.displayUUID;
    const int attempts = int(verificationDelays.size());
    for (int attempt = 1;; ++attempt) {
        if (storeHasAerial(id, display)) {
            AgentLog::agent.info(QStringLiteral("Aerial verified on attempt %1").arg(attempt));
            return true;
        }
        if (attempt >= 2)
            AgentLog::agent.info(QStringLiteral("Retry %1/%2...").arg(attempt).arg(attempts));
        // A store that cannot be written now will not be written by waiting.
        if (!stamp(id, display))
            return false;
        m_environment.sleep(verificationDelays[attempt - 1]);
        if (storeHasAerial(id, display)) {
            AgentLog::agent.info(QStringLiteral("Aerial verified after attempt %1").arg(attempt));
            return true;
        }
        AgentLog::agent.error(QStringLiteral("Aerial not found after stamp attempt %1").arg(attempt));
        if (attempt == attempts) {
            AgentLog::agent.error(QStringLiteral("All verification attempts failed — final stamp"));
            return stamp(id, display);
        }
    }
}

void AerialKeeper::stampAndRestart()
{
    if (m_mainAppActive) {
        AgentLog::agent.info(QStringLiteral("stampAndRestart: main app active — yielding"));
        return;
    }
    if (!m_state.isSet())
        return;
    const QString id = *m_state.aerialID;
    const QString display = *m_state.displayUUID;
    if (!videoFileAvailable(id)) {
        AgentLog::agent.info(QStringLiteral("Video file unavailable — skipping stamp to avoid kill loop"));
        return;
    }
    if (storeHasAerial(id, display)) {
        AgentLog::agent.info(QStringLiteral("Aerial already set — skipping update and restart"));
        return;
    }
    // Nothing new for the system to pick up: no restart, and nothing to check.
    if (!stamp(id, display))
        return;
    kill(SystemWallpaper::wallpaperAgent);
    kill(SystemWallpaper::aerialsExtension);
    runAfter(recheckAfterRestart, [this, id, display] { verifyAfterRestart(id, display); });
}

void AerialKeeper::verifyAfterRestart(const QString& assetID, const QString& displayUUID)
{
    if (storeHasAerial(assetID, displayUUID))
        return;
    AgentLog::agent.error(QStringLiteral("Config lost — re-stamping (no re-kill)"));
    // A stamp that wrote has forced the store to disk; one that did not leaves it alone.
    stamp(assetID, displayUUID);
}

void AerialKeeper::kill(const QString& processName)
{
    m_killer.kill(processName, m_environment.scheduler.now());
}

bool AerialKeeper::videoFileAvailable(const QString& assetID) const
{
    const QString hex = m_files.readAssetToHexMap().value(assetID);
    if (AerialAssetFiles::isSafeFolderName(hex)
        && QFileInfo::exists(m_files.lantoDownloads() + QLatin1Char('/') + hex + QStringLiteral("/content.mov")))
        return true;
    return QFileInfo::exists(m_paths.videoFile(assetID));
}

void AerialKeeper::runAfter(Scheduler::Duration delay, std::function<void()> action)
{
    m_environment.scheduler.after(delay, [keeper = QPointer(this), action = std::move(action)] {
        if (keeper)
            action();
    });
}

// MARK: Watching the manifest

void AerialKeeper::cancelManifestMonitor()
{
    if (m_manifestSource) {
        m_manifestSource->cancel();
        m_manifestSource->deleteLater();
    }
    m_manifestSource = nullptr;
}

void AerialKeeper::startManifestMonitor()
{
    using Event = FileEventSource::Event;
    cancelManifestMonitor();
    auto* source
        = new FileEventSource(m_paths.manifest, Event::Write | Event::Delete | Event::Rename | Event::Revoke, this);
    if (!source->isValid()) {
        delete source;
        AgentLog::agent.error(QStringLiteral("Cannot open entries.json for monitoring"));
        return;
    }
    connect(source, &FileEventSource::fired, this, &AerialKeeper::handleManifestEvent);
    m_manifestSource = source;
    AgentLog::agent.info(QStringLiteral("Started entries.json file monitor"));
}

void AerialKeeper::handleManifestEvent(FileEventSource::Events events)
{
    using Event = FileEventSource::Event;
    if (events & (Event::Delete | Event::Rename | Event::Revoke)) {
        // The file watched is gone: watch the one at the path once it is there.
        cancelManifestMonitor();
        runAfter(manifestReopenDelay, [this] {
            startManifestMonitor();
            runAfter(manifestCheckDelay, [this] { checkManifest(); });
        });
        return;
    }
    runAfter(manifestCheckDelay, [this] { checkManifest(); });
}

void AerialKeeper::startManifestDirectoryMonitor()
{
    using Event = FileEventSource::Event;
    if (m_directorySource)
        delete m_directorySource;
    auto* source = new FileEventSource(QFileInfo(m_paths.manifest).path(), Event::Write | Event::Rename, this);
    if (!source->isValid()) {
        delete source;
        AgentLog::agent.error(QStringLiteral("Cannot open manifest directory for monitoring"));
        return;
    }
    connect(
        source, &FileEventSource::fired, this, [this] { runAfter(manifestCheckDelay, [this] { checkManifest(); }); });
    m_directorySource = source;
    AgentLog::agent.info(QStringLiteral("Started manifest directory monitor"));
}

void AerialKeeper::checkManifest()
{
    if (m_state.aerialID && !m_mainAppActive && ensureEntries())
        stampAndRestart();
}

// MARK: Periodic verification

void AerialKeeper::startVerifyTimer()
{
    runAfter(verifyPeriod, [this] {
        verifyTimerFired();
        startVerifyTimer();
    });
}

void AerialKeeper::verifyTimerFired()
{
    if (m_mainAppActive)
        return;
    m_state.load(settingsPlistPath());
    if (m_state.aerialID) {
        ensureEntries();
        stampAndRestart();
    }
}
