#include "WallpaperApplier.h"

#include "CatalogueSource.h"
#include "DesktopShows.h"
#include "Displays.h"
#include "LockScreen.h"
#include "Log.h"
#include "SystemVersion.h"
#include "WallpaperManager.h"
#include "WallpaperService.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QThread>

using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

int onMainThread() { return QThread::currentThread() == QCoreApplication::instance()->thread() ? 1 : 0; }

} // namespace

WallpaperApplier::WallpaperApplier(WallpaperManager& library, Services services)
    : m_library(library), m_services(services)
{
}

WallpaperApplier::~WallpaperApplier()
{
    for (const WorkItemPtr& wait : std::as_const(m_lockScreenWaits))
        wait->cancel();
}

bool WallpaperApplier::isVideoFile(const QString& path)
{
    static const QSet<QString> videoExtensions { u"mp4"_s, u"mov"_s, u"m4v"_s, u"avi"_s, u"mkv"_s };
    return videoExtensions.contains(QFileInfo(path).suffix().toLower());
}

std::chrono::seconds WallpaperApplier::lockScreenDelay() { return SystemVersion::isAtLeast(26) ? 2s : 5s; }

void WallpaperApplier::apply(const Wallpaper& wallpaper)
{
    if (const std::optional<QString> reported = m_library.serviceID(wallpaper))
        m_services.service.recordEvent(WallpaperService::UsageEvent::apply, *reported);
    if (wallpaper.cloudID() && !m_services.files.isDownloaded(wallpaper)) {
        if (m_downloads.contains(wallpaper.id))
            return; // the running download applies it when it ends
        m_downloads.insert(wallpaper.id);
        QMetaObject::invokeMethod(
            this, [this, wallpaper] { downloadAndApply(wallpaper, *wallpaper.cloudID()); }, Qt::QueuedConnection);
        return;
    }
    if (applyLocal(wallpaper))
        m_library.setLastAppliedTitle(wallpaper.title());
}

void WallpaperApplier::downloadAndApply(const Wallpaper& wallpaper, const QString& cloudID)
{
    Log::write(u"Lanto[apply-fix]: downloadAndApply entered, isMainThread=%1, title=%2"_s.arg(onMainThread())
                   .arg(wallpaper.title()));
    if (!wallpaper.remoteContentURL()) {
        m_downloads.remove(wallpaper.id);
        return;
    }
    const QUuid id = wallpaper.id;
    m_library.setDownloadProgress(id, 0.0);
    QPointer<WallpaperManager> library(&m_library);
    auto progress = [library, id](double fraction) {
        if (library)
            library->updateDownloadProgress(id, fraction);
    };
    whenFetched(
        m_services.service.downloadContent(cloudID, *wallpaper.remoteContentURL(), wallpaper.remotePosterURL(), progress),
        this, [this, wallpaper, cloudID](const Fetched<QUrl>& outcome) {
            m_downloads.remove(wallpaper.id);
            if (!outcome.ok()) {
                m_library.setDownloadProgress(wallpaper.id, std::nullopt);
                Log::write(u"Lanto[apply-fix]: downloadAndApply failed on main=%1 — %2"_s.arg(onMainThread())
                               .arg(outcome.failure));
                emit m_library.downloadFailed(wallpaper.title());
                return;
            }
            m_services.service.recordEvent(WallpaperService::UsageEvent::download, cloudID);
            if (applyLocal(wallpaper))
                m_library.setLastAppliedTitle(wallpaper.title());
            m_library.setDownloadProgress(wallpaper.id, std::nullopt);
            Log::write(u"Lanto[apply-fix]: downloadAndApply completed, isMainThread=%1, title=%2"_s.arg(onMainThread())
                           .arg(wallpaper.title()));
        });
}

bool WallpaperApplier::applyLocal(const Wallpaper& wallpaper)
{
    // The selection at this moment decides every step, whatever changes later.
    const std::optional<QString> screenKey = m_library.selectedScreenKey();
    // Without a content file nothing is recorded, so a failure cannot pass for an apply.
    const std::optional<QUrl> content = m_services.files.localContentURL(wallpaper);
    if (!content) {
        Log::write(u"Lanto: No file found for wallpaper %1 (%2)"_s.arg(wallpaper.title(), wallpaper.hexID()));
        return false;
    }
    m_library.recordActiveWallpaper(wallpaper.id, screenKey);
    m_library.markDownloaded(wallpaper.id);
    markScreenRecords(wallpaper.id, screenKey);

    if (!isVideoFile(content->path())) {
        // A still never reaches the lock screen and never cancels a video's wait.
        m_services.desktop.showPicture(*content, screenKey);
        return true;
    }
    m_services.desktop.showVideo(*content, screenKey);
    if (SystemVersion::isAtLeast(15)) {
        const std::optional<QString> uuid = screenKey ? displayUUID(*screenKey) : std::nullopt;
        scheduleLockScreenApply(++m_generation, wallpaper, uuid);
    }
    return true;
}

void WallpaperApplier::markScreenRecords(const QUuid& id, const std::optional<QString>& screenKey)
{
    const ScreenModelMap records = m_services.desktop.screenModels();
    if (screenKey) {
        if (records.contains(*screenKey))
            m_services.desktop.setWallpaperID(*screenKey, id);
        return;
    }
    for (const QString& key : records.keys())
        m_services.desktop.setWallpaperID(key, id);
}

void WallpaperApplier::scheduleLockScreenApply(
    qint64 generation, const Wallpaper& wallpaper, const std::optional<QString>& displayUUID)
{
    m_lockScreenWaits.insert(generation, m_services.scheduler.after(lockScreenDelay(), [=, this] {
        m_lockScreenWaits.remove(generation);
        if (m_generation != generation) {
            Log::write(u"Lanto: Lock screen apply cancelled — newer wallpaper applied"_s);
            return;
        }
        m_services.lockScreen.inject(wallpaper, displayUUID);
    }));
}

std::optional<QString> WallpaperApplier::displayUUID(const QString& screenKey) const
{
    const ScreenModelMap records = m_services.desktop.screenModels();
    const auto record = records.constFind(screenKey);
    if (record == records.cend())
        return std::nullopt;
    for (const ConnectedDisplay& display : m_services.displays.displays()) {
        if (display.number == record->serialNumber() && !display.uuid.isEmpty())
            return display.uuid;
    }
    return std::nullopt;
}
