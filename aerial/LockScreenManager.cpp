#include "LockScreenManager.h"

#include "AerialManager.h"
#include "InjectedWallpaperMapping.h"
#include "LantoSettings.h"
#include "Log.h"
#include "UuidText.h"
#include "WallpaperFolder.h"

#include <QtConcurrent>

#include <atomic>

using namespace std::chrono_literals;

namespace {

std::atomic<LockScreenManager*> sharedManager { nullptr };

constexpr auto resumeDelay = 3s;

void log(const QString& text) { Log::write(QStringLiteral("Lanto: ") + text); }

} // namespace

LockScreenManager::LockScreenManager(
    AerialManager& aerials, LantoSettings& settings, Scheduler& background, ContentLookup contentLookup)
    : m_aerials(aerials), m_settings(settings), m_background(background), m_contentLookup(std::move(contentLookup))
{
    // Placements and removals run one after another in the order asked: each
    // reads the record the one before saved, so no placed aerial is left off the
    // record and none is placed after its wallpaper was taken off.
    m_placements.setMaxThreadCount(1);
    log(QStringLiteral("LockScreenManager initialized — %1 injected wallpaper(s) on record").arg(loadMapping().size()));
    resumeIfNeeded();
    LockScreenManager* none = nullptr;
    sharedManager.compare_exchange_strong(none, this);
}

LockScreenManager::~LockScreenManager()
{
    LockScreenManager* self = this;
    sharedManager.compare_exchange_strong(self, nullptr);
    if (m_resume)
        m_resume->cancel();
    m_placements.waitForDone();
}

LockScreenManager* LockScreenManager::shared() { return sharedManager.load(); }

std::optional<QUrl> LockScreenManager::downloadedContent(const Wallpaper& wallpaper)
{
    const auto folder = WallpaperFolder::folderPath(LantoSettings::downloadsDirectory(), wallpaper.hexID());
    return folder ? WallpaperFolder::contentFileURL(*folder) : std::nullopt;
}

QMap<QUuid, QUuid> LockScreenManager::loadMapping() const
{
    const auto data = m_settings.data(SettingsKey::injectedWallpapers);
    return data ? InjectedWallpaperMapping::decode(*data).uuidMap() : QMap<QUuid, QUuid>();
}

void LockScreenManager::saveMapping(const QMap<QUuid, QUuid>& mapping)
{
    m_settings.set(SettingsKey::injectedWallpapers, InjectedWallpaperMapping::fromUuidMap(mapping).encode());
}

void LockScreenManager::resumeIfNeeded()
{
    if (!m_settings.boolValue(SettingsKey::lockScreenEnabled, false))
        return;
    const auto mapping = loadMapping();
    if (mapping.isEmpty())
        return;
    AerialManager& aerials = m_aerials;
    const QUuid asset = mapping.first();
    m_resume = m_background.after(resumeDelay, [&aerials, asset] { aerials.resumeAtLaunch(asset); });
}

QFuture<void> LockScreenManager::inject(const Wallpaper& wallpaper, const std::optional<QString>& displayUUID)
{
    if (wallpaper.wallpaperType() != WallpaperType::video)
        return QtFuture::makeReadyFuture();
    // The look-up reads the library's state, which only the calling thread may touch.
    const auto content = m_contentLookup(wallpaper);
    if (!content) {
        log(QStringLiteral("Cannot inject \"%1\" — no file URL").arg(wallpaper.title()));
        return QtFuture::makeReadyFuture();
    }
    return QtConcurrent::run(
        &m_placements, [this, wallpaper, video = *content, displayUUID] { place(wallpaper, video, displayUUID); });
}

void LockScreenManager::place(const Wallpaper& wallpaper, const QUrl& content, const std::optional<QString>& displayUUID)
{
    auto mapping = loadMapping();
    const auto placed = mapping.constFind(wallpaper.id);
    if (placed != mapping.cend() && m_aerials.isAssetInstalled(*placed)) {
        log(QStringLiteral("\"%1\" already in manifest as aerial %2 — verifying plist")
                .arg(wallpaper.title(), uuidText(*placed)));
        m_aerials.restampActiveAerial();
        return;
    }
    // Every other aerial on record goes once the new one is in place, and so
    // does this wallpaper's own aerial that is no longer installed.
    const QMap<QUuid, QUuid> stale = mapping;

    log(QStringLiteral("Injecting \"%1\" into Aerial manifest...").arg(wallpaper.title()));
    const auto asset = m_aerials.inject(wallpaper.title(), content.toLocalFile(), displayUUID);
    if (!asset) {
        log(QStringLiteral("Failed to inject \"%1\" into Aerial manifest").arg(wallpaper.title()));
        return;
    }
    saveMapping({ { wallpaper.id, *asset } });
    m_settings.set(SettingsKey::lockScreenEnabled, true);
    log(QStringLiteral("Successfully injected \"%1\" as aerial %2").arg(wallpaper.title(), uuidText(*asset)));
    for (auto it = stale.cbegin(); it != stale.cend(); ++it) {
        log(QStringLiteral("Removing stale aerial %1 (wallpaper %2)").arg(uuidText(it.value()), uuidText(it.key())));
        m_aerials.remove(it.value());
    }
}

QFuture<void> LockScreenManager::remove(const Wallpaper& wallpaper)
{
    // Behind the placements, and off the calling thread: the aerial manager is
    // busy for seconds while it places one.
    return QtConcurrent::run(&m_placements, [this, wallpaper] { takeOff(wallpaper); });
}

void LockScreenManager::takeOff(const Wallpaper& wallpaper)
{
    auto mapping = loadMapping();
    const auto placed = mapping.constFind(wallpaper.id);
    if (placed == mapping.cend()) {
        log(QStringLiteral("\"%1\" is not on the lock screen — nothing to remove").arg(wallpaper.title()));
        return;
    }
    const QUuid asset = *placed;
    log(QStringLiteral("Removing \"%1\" (aerial %2) from lock screen...").arg(wallpaper.title(), uuidText(asset)));
    m_aerials.remove(asset);
    mapping.remove(wallpaper.id);
    saveMapping(mapping);
    if (mapping.isEmpty())
        m_settings.set(SettingsKey::lockScreenEnabled, false);
    log(QStringLiteral("Removed \"%1\" from lock screen").arg(wallpaper.title()));
}
