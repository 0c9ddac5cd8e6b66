#include "SystemWallpapers.h"

#include "DesktopPicture.h"
#include "LantoSettings.h"
#include "Log.h"
#include "RegularFile.h"
#include "ScreenModel.h"
#include "SystemCommands.h"
#include "SystemVersion.h"
#include "WallpaperFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <chrono>

using namespace std::chrono_literals;

namespace {

// The system process that draws the desktop picture and derives the menu-bar tint from it.
const QString imageExtensionProcess = QStringLiteral("WallpaperImageExtension");

constexpr auto setPictureDelay = 500ms;
constexpr auto restartExtensionDelay = 300ms;
constexpr auto restampDelay = 1500ms;

const DesktopPictureOptions pictureOptions { DesktopPictureOptions::scaleProportionallyUpOrDown, true };

bool isTahoeOrLater() { return SystemVersion::isAtLeast(26); }

QString videoFolder(const QUrl& videoURL) { return QFileInfo(videoURL.toLocalFile()).path(); }

// Copies source over target in one step: readers see the old file or the whole new one.
bool copyWhole(const QString& source, const QString& target, QString* error)
{
    // The poster lies in a folder anyone may change: a pipe in its place must not hold the main thread.
    const std::optional<RegularFile> file = RegularFile::open(source);
    QFile in;
    if (!file || !in.open(file->descriptor(), QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
        *error = QStringLiteral("%1 is not a regular file that can be read").arg(source);
        return false;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    char buffer[64 * 1024];
    qint64 read = 0;
    while ((read = in.read(buffer, sizeof buffer)) > 0) {
        if (out.write(buffer, read) != read) {
            *error = out.errorString();
            return false;
        }
    }
    if (read < 0) {
        *error = in.errorString();
        return false;
    }
    if (!out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace

SystemWallpapers::SystemWallpapers(const Displays& displays, DesktopPicture& desktopPicture, SystemCommands& commands,
    LantoSettings& settings, Scheduler& scheduler)
    : m_displays(displays),
      m_desktopPicture(desktopPicture),
      m_commands(commands),
      m_settings(settings),
      m_tasks(scheduler)
{
}

void SystemWallpapers::snapshotSystemWallpapers()
{
    if (!m_saved.isEmpty())
        return;
    for (const ConnectedDisplay& display : m_displays.displays()) {
        if (const std::optional<QUrl> picture = m_desktopPicture.desktopImageUrl(display))
            m_saved.insert(ScreenModel::screenId(display), *picture);
    }
}

void SystemWallpapers::restoreOn(const ConnectedDisplay& screen, const QUrl& saved)
{
    QString error;
    if (!m_desktopPicture.setDesktopImageUrl(saved, screen, pictureOptions, &error))
        Log::write(QStringLiteral("Lanto: Failed to restore wallpaper for %1: %2").arg(screen.localizedName, error));
}

void SystemWallpapers::restoreSystemWallpapers()
{
    if (!isTahoeOrLater()) {
        for (const ConnectedDisplay& display : m_displays.displays()) {
            const auto saved = m_saved.constFind(ScreenModel::screenId(display));
            if (saved != m_saved.cend())
                restoreOn(display, *saved);
        }
    }
    m_saved.clear();
}

void SystemWallpapers::restoreSystemWallpaper(const QString& screenId)
{
    const auto saved = m_saved.constFind(screenId);
    if (!isTahoeOrLater() && saved != m_saved.cend()) {
        if (const std::optional<ConnectedDisplay> display = screen(screenId))
            restoreOn(*display, *saved);
    }
    m_saved.remove(screenId);
}

std::optional<QUrl> SystemWallpapers::posterFallbackURL(const QUrl& videoURL)
{
    const QString path = QDir(videoFolder(videoURL)).filePath(WallpaperFolder::posterFileName);
    if (QFileInfo(path).isFile())
        return QUrl::fromLocalFile(path);
    Log::write(QStringLiteral("Lanto: No Poster.png at ") + path);
    return std::nullopt;
}

std::optional<QUrl> SystemWallpapers::desktopImageFromPoster(const QUrl& videoURL)
{
    const std::optional<QUrl> poster = posterFallbackURL(videoURL);
    if (!poster)
        return std::nullopt;
    const QString target = QDir(videoFolder(videoURL)).filePath(WallpaperFolder::desktopImageFileName);
    QString error;
    if (!copyWhole(poster->toLocalFile(), target, &error)) {
        Log::write(QStringLiteral("Lanto: Failed to copy poster as desktop image: ") + error);
        return std::nullopt;
    }
    return QUrl::fromLocalFile(target);
}

void SystemWallpapers::applyMenuBarTint(const QUrl& videoURL, const std::optional<QList<ConnectedDisplay>>& screens)
{
    if (isTahoeOrLater()) {
        const std::optional<QUrl> poster = posterFallbackURL(videoURL);
        if (!poster) {
            Log::write(QStringLiteral("Lanto: Tahoe — no Poster.png next to %1, skipping menu bar tint")
                           .arg(videoURL.fileName()));
            return;
        }
        const std::optional<ConnectedDisplay> main = m_displays.mainDisplay();
        if (!main)
            return;
        const QString mainId = ScreenModel::screenId(*main);
        for (const ConnectedDisplay& candidate : screens.value_or(QList<ConnectedDisplay> { *main })) {
            if (ScreenModel::screenId(candidate) == mainId)
                setSystemWallpaper(*poster, candidate, mainId);
        }
        return;
    }

    std::optional<QUrl> picture = desktopImageFromPoster(videoURL);
    if (!picture)
        picture = posterFallbackURL(videoURL);
    // A video file cannot be a desktop picture: without a poster there is no tint.
    if (!picture)
        return;
    for (const ConnectedDisplay& display : screens.value_or(m_displays.displays()))
        setSystemWallpaper(*picture, display, ScreenModel::screenId(display));
    if (m_settings.boolValue(SettingsKey::lockScreenEnabled, false))
        scheduleRestampAfterTint();
}

void SystemWallpapers::setSystemWallpaper(
    const QUrl& pictureURL, const ConnectedDisplay& screen, const QString& screenId)
{
    QString error;
    if (!m_desktopPicture.setDesktopImageUrl(pictureURL, screen, pictureOptions, &error)) {
        Log::write(QStringLiteral("Lanto: setDesktopImageURL failed on %1: %2").arg(screenId, error));
        return;
    }
    const std::optional<QUrl> readBack = m_desktopPicture.desktopImageUrl(screen);
    Log::write(QStringLiteral("Lanto: System wallpaper → %1 on %2, verify=%3")
                   .arg(pictureURL.fileName(), screenId, readBack ? readBack->fileName() : QStringLiteral("nil")));
}

void SystemWallpapers::clearSystemWallpapers(const QList<ConnectedDisplay>& screens)
{
    if (isTahoeOrLater())
        return;
    for (const ConnectedDisplay& display : screens) {
        const QString id = ScreenModel::screenId(display);
        QString error;
        if (m_desktopPicture.setDesktopImageUrl(QUrl::fromLocalFile(QString()), display, {}, &error))
            Log::write(QStringLiteral("Lanto: Cleared system wallpaper on ") + id);
        else
            Log::write(QStringLiteral("Lanto: Clear wallpaper failed on %1: %2").arg(id, error));
    }
}

void SystemWallpapers::restartWallpaperImageExtension()
{
    // Not awaited; a killall that cannot start changes nothing.
    m_commands.killallDetached(imageExtensionProcess, SystemCommands::KillSignal::Default);
    Log::write(
        QStringLiteral("Lanto: Kicked WallpaperImageExtension for menu bar tint refresh (WallpaperAgent untouched)"));
}

void SystemWallpapers::scheduleSystemWallpaperUpdate(const QUrl& pictureURL, const QList<ConnectedDisplay>& screens)
{
    clearSystemWallpapers(screens);
    QList<PendingPicture> pictures;
    for (const ConnectedDisplay& display : screens)
        pictures.append({ display, pictureURL });
    applyPendingSystemWallpapers(pictures);
}

void SystemWallpapers::applyPendingSystemWallpapers(const QList<PendingPicture>& pictures)
{
    m_tasks.after(setPictureDelay, [this, pictures] {
        for (const auto& [display, picture] : pictures)
            setSystemWallpaper(picture, display, ScreenModel::screenId(display));
        m_tasks.after(restartExtensionDelay, [this] { restartWallpaperImageExtension(); });
    });
}

void SystemWallpapers::restampLater(const QString& line)
{
    m_tasks.after(restampDelay, [this, line] {
        if (m_restampActiveAerial)
            m_restampActiveAerial();
        Log::write(line);
    });
}

void SystemWallpapers::restampAfterRefresh()
{
    restampLater(QStringLiteral("Lanto: refreshSystemWallpapers — aerial restored after tint cache"));
}

void SystemWallpapers::scheduleRestampAfterTint()
{
    restampLater(QStringLiteral("Lanto: Poster-then-restamp — aerial restored after menu bar tint cache"));
}

std::optional<ConnectedDisplay> SystemWallpapers::screen(const QString& screenId) const
{
    for (const ConnectedDisplay& display : m_displays.displays()) {
        if (ScreenModel::screenId(display) == screenId)
            return display;
    }
    return std::nullopt;
}

void SystemWallpapers::refresh(const ScreenModelMap& records)
{
    const bool lockScreenEnabled = m_settings.boolValue(SettingsKey::lockScreenEnabled, false);
    const bool tahoe = isTahoeOrLater();
    QList<PendingPicture> pending;
    for (const ConnectedDisplay& display : m_displays.displays()) {
        const QString id = ScreenModel::screenId(display);
        const auto model = records.constFind(id);
        if (model == records.cend() || !model->isShowingWallpaper)
            continue;
        if (!model->videoURL) {
            if (model->wallpaperImageURL)
                pending.append({ display, *model->wallpaperImageURL });
            continue;
        }
        // On macOS 26, or with the lock screen on, video displays are left to the menu-bar tint.
        if (tahoe || lockScreenEnabled)
            continue;
        const QString tintCopy
            = QDir(QFileInfo(model->videoURL->toLocalFile()).path()).filePath(WallpaperFolder::desktopImageFileName);
        const std::optional<QUrl> picture = QFileInfo(tintCopy).isFile()
            ? std::optional<QUrl>(QUrl::fromLocalFile(tintCopy))
            : posterFallbackURL(*model->videoURL);
        if (picture)
            setSystemWallpaper(*picture, display, id);
    }
    if (!tahoe && lockScreenEnabled)
        restampAfterRefresh();
    if (pending.isEmpty())
        return;
    QList<ConnectedDisplay> screens;
    for (const auto& [display, picture] : std::as_const(pending))
        screens.append(display);
    clearSystemWallpapers(screens);
    applyPendingSystemWallpapers(pending);
}
