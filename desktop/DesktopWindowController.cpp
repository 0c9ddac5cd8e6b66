#include "DesktopWindowController.h"

#include "BlackoutImage.h"
#include "DesktopPauses.h"
#include "DesktopImageView.h"
#include "DesktopVideoPlayer.h"
#include "DesktopWindow.h"
#include "DistributedNotifications.h"
#include "LantoSettings.h"
#include "Log.h"
#include "PlayerLayerView.h"
#include "SystemVersion.h"
#include "WallpaperFolder.h"
#include "Workspace.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <chrono>

using namespace std::chrono_literals;

namespace {

// "(x, y, width, height)" with every number printed as a decimal, e.g. (0.0, 0.0, 1728.0, 1117.0).
QString describeFrame(const QRect& frame)
{
    return QStringLiteral("(%1.0, %2.0, %3.0, %4.0)")
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height());
}

// Handoff look and seek only for a position taken over past its first half second.
constexpr double handoffThreshold = 0.5;

bool isTahoeOrLater() { return SystemVersion::isAtLeast(26); }

// True from the start of a show to its end, early exits included.
class ApplyingScope
{
public:
    explicit ApplyingScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ApplyingScope() { m_flag = false; }

private:
    bool& m_flag;
};

} // namespace

DesktopWindowController::DesktopWindowController(const DesktopEnvironment& environment, QObject* parent)
    : QObject(parent),
      m_displays(environment.displays),
      m_workspace(environment.workspace),
      m_notifications(environment.notifications),
      m_desktopPicture(environment.desktopPicture),
      m_settings(environment.settings),
      m_playerBackends(environment.playerBackends),
      m_scheduler(environment.scheduler),
      m_downloadsDirectory(environment.downloadsDirectory),
      m_systemWallpapers(environment.displays, environment.desktopPicture, environment.systemCommands,
          environment.settings, environment.scheduler),
      m_windowOrder(m_windows, environment.scheduler),
      m_competingApps(environment.runningApplications),
      m_displaySync(*this, environment.scheduler)
{
    // A folder that cannot be made only means later look-ups find nothing.
    QDir().mkpath(m_downloadsDirectory);
    m_screenModels = ScreenModel::loadAll(m_settings);
    m_displaySync.start();
}

DesktopWindowController::~DesktopWindowController()
{
    m_windowOrder.stopZOrderPolling();
    // The players show in the windows' views: they go first.
    m_videoPlayers.clear();
}

void DesktopWindowController::setRestampActiveAerial(std::function<void()> restamp)
{
    m_systemWallpapers.setRestampActiveAerial(std::move(restamp));
}

ScreenModel* DesktopWindowController::record(const QString& screenId)
{
    const auto found = m_screenModels.find(screenId);
    return found == m_screenModels.end() ? nullptr : &*found;
}

bool DesktopWindowController::isAnyShowing() const
{
    return std::any_of(m_screenModels.cbegin(), m_screenModels.cend(),
        [](const ScreenModel& model) { return model.isShowingWallpaper; });
}

std::optional<QUrl> DesktopWindowController::contentFileURL(const QString& hexID) const
{
    const std::optional<QString> folder = WallpaperFolder::folderPath(m_downloadsDirectory, hexID);
    return folder ? WallpaperFolder::contentFileURL(*folder) : std::nullopt;
}

std::optional<QUrl> DesktopWindowController::posterURL(const QString& hexID) const
{
    const std::optional<QString> folder = WallpaperFolder::folderPath(m_downloadsDirectory, hexID);
    return folder ? WallpaperFolder::posterURL(*folder) : std::nullopt;
}

QList<ScreenModel> DesktopWindowController::connectedScreens() const
{
    QList<ScreenModel> connected;
    for (const ScreenModel& model : m_screenModels) {
        if (model.isConnection)
            connected.append(model);
    }
    std::sort(connected.begin(), connected.end(),
        [](const ScreenModel& a, const ScreenModel& b) { return a.serialNumber() < b.serialNumber(); });
    return connected;
}

void DesktopWindowController::setWallpaperID(const QString& screenId, const std::optional<QUuid>& wallpaperID)
{
    ScreenModel* model = record(screenId);
    if (model == nullptr)
        return;
    model->wallpaperID = wallpaperID;
    ScreenModel::saveAll(m_screenModels, m_settings);
}

void DesktopWindowController::snapshotForHandoff()
{
    for (const auto& [id, player] : m_videoPlayers) {
        const double position = player->currentPosition();
        if (ScreenModel* model = record(id)) {
            model->playbackPosition = position;
            model->playbackPositionDate = player->positionDate();
        }
        Log::write(QStringLiteral("Lanto: Snapshot position for screen %1: %2s").arg(id).arg(position, 0, 'f', 2));
    }
    saveAndNotify();
}

void DesktopWindowController::saveAndNotify()
{
    ScreenModel::saveAll(m_screenModels, m_settings);
    // The other program reads the file when it hears the notice: it must be on disk first.
    m_settings.flush();
    m_notifications.post(DistributedNotificationNames::wallpaperChanged);
}

void DesktopWindowController::dropPlayer(const QString& screenId)
{
    const auto found = m_videoPlayers.find(screenId);
    if (found == m_videoPlayers.end())
        return;
    found->second->stop();
    m_videoPlayers.erase(found);
}

void DesktopWindowController::showPictureIn(const QString& screenId, const QUrl& pictureURL, const QImage& picture)
{
    const auto player = m_videoPlayers.find(screenId);
    if (player != m_videoPlayers.end())
        player->second->stop();
    if (DesktopImageView* view = m_imageViews.value(screenId))
        view->setImage(picture);
    DesktopWindow* window = m_windows.at(screenId).get();
    window->setLevel(DesktopLevelWindow::desktopLevel);
    window->requestUpdate();
    if (ScreenModel* model = record(screenId)) {
        model->wallpaperImageURL = pictureURL;
        model->videoURL.reset();
        model->playbackPosition = 0;
        model->playbackPositionDate.reset();
    }
}

QImage DesktopWindowController::loadPicture(const QUrl& pictureURL)
{
    QImageReader reader(pictureURL.toLocalFile());
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    if (picture.isNull())
        Log::write(QStringLiteral("Lanto: FAILED to load image at ") + pictureURL.toLocalFile());
    return picture;
}

void DesktopWindowController::showWallpaper(const QUrl& pictureURL)
{
    Log::write(QStringLiteral("Lanto: showWallpaper called with ") + pictureURL.fileName());
    ApplyingScope applying(m_isApplyingWallpaper);
    m_systemWallpapers.snapshotSystemWallpapers();
    m_displaySync.syncScreens();
    const QImage picture = loadPicture(pictureURL);
    if (picture.isNull())
        return;
    for (const auto& [id, window] : m_windows)
        showPictureIn(id, pictureURL, picture);
    terminateCompetingApps();
    m_systemWallpapers.scheduleSystemWallpaperUpdate(pictureURL, m_displays.displays());
    for (const auto& [id, window] : m_windows) {
        window->orderFront();
        if (ScreenModel* model = record(id))
            model->isShowingWallpaper = true;
    }
    m_windowOrder.startZOrderPolling();
    m_windowOrder.scheduleReassertions();
    saveAndNotify();
    Log::write(QStringLiteral("Lanto: Wallpaper shown on %1 screen(s), level=%2, imageViews=%3")
                   .arg(m_windows.size())
                   .arg(DesktopLevelWindow::desktopLevel)
                   .arg(m_imageViews.size()));
}

void DesktopWindowController::showWallpaper(const QUrl& pictureURL, const QString& screenId)
{
    Log::write(QStringLiteral("Lanto: showWallpaper(onScreen: %1) called").arg(screenId));
    ApplyingScope applying(m_isApplyingWallpaper);
    m_systemWallpapers.snapshotSystemWallpapers();
    m_displaySync.syncScreens();
    const QImage picture = loadPicture(pictureURL);
    if (picture.isNull())
        return;
    if (m_windows.count(screenId) == 0) {
        Log::write(QStringLiteral("Lanto: No window for screen ") + screenId);
        return;
    }
    showPictureIn(screenId, pictureURL, picture);
    m_windows.at(screenId)->orderFront();
    terminateCompetingApps();
    // Every connected display's system picture follows, not only this one's.
    m_systemWallpapers.scheduleSystemWallpaperUpdate(pictureURL, m_displays.displays());
    if (ScreenModel* model = record(screenId))
        model->isShowingWallpaper = true;
    m_windowOrder.startZOrderPolling();
    m_windowOrder.scheduleReassertions();
    saveAndNotify();
}

void DesktopWindowController::prepareVideo(ScreenModel& record, const QUrl& videoURL)
{
    // A position belongs to the video it was taken from.
    if (record.videoURL != videoURL) {
        record.playbackPosition = 0;
        record.playbackPositionDate.reset();
    }
}

void DesktopWindowController::applyMenuBarTint(
    const QUrl& videoURL, const std::optional<QList<ConnectedDisplay>>& screens)
{
    terminateCompetingApps();
    m_systemWallpapers.applyMenuBarTint(videoURL, screens);
}

void DesktopWindowController::showVideoWallpaper(const QUrl& videoURL)
{
    Log::write(QStringLiteral("Lanto: showVideoWallpaper called with ") + videoURL.fileName());
    ApplyingScope applying(m_isApplyingWallpaper);
    m_systemWallpapers.snapshotSystemWallpapers();
    applyMenuBarTint(videoURL, std::nullopt);

    const bool tahoe = isTahoeOrLater();
    if (!tahoe) {
        // Older systems get fresh windows for every video.
        QStringList ids;
        for (const auto& [id, window] : m_windows)
            ids.append(id);
        for (const QString& id : std::as_const(ids)) {
            dropPlayer(id);
            dropWindow(id);
        }
    }
    m_displaySync.syncScreens();
    for (const auto& [id, window] : m_windows) {
        ScreenModel* model = record(id);
        if (!tahoe)
            m_imageViews.value(id)->clearImage();
        if (model)
            prepareVideo(*model, videoURL);
        startVideo(id, videoURL);
        window->setLevel(DesktopLevelWindow::desktopLevel);
        if (!tahoe)
            window->orderFront();
        else
            window->requestUpdate();
        if (model) {
            model->videoURL = videoURL;
            model->isShowingWallpaper = true;
        }
    }
    if (tahoe) {
        for (const auto& [id, window] : m_windows)
            window->orderFront();
    }
    m_windowOrder.startZOrderPolling();
    if (tahoe)
        m_windowOrder.scheduleReassertions();
    saveAndNotify();
    Log::write(QStringLiteral("Lanto: Video wallpaper shown on %1 screen(s)").arg(m_windows.size()));
}

void DesktopWindowController::showVideoWallpaper(const QUrl& videoURL, const QString& screenId)
{
    ApplyingScope applying(m_isApplyingWallpaper);
    m_systemWallpapers.snapshotSystemWallpapers();
    const std::optional<ConnectedDisplay> screen = m_systemWallpapers.screen(screenId);
    applyMenuBarTint(videoURL, screen ? std::optional(QList<ConnectedDisplay> { *screen }) : std::nullopt);

    const bool tahoe = isTahoeOrLater();
    if (!tahoe) {
        dropPlayer(screenId);
        dropWindow(screenId);
    }
    m_displaySync.syncScreens();
    const auto window = m_windows.find(screenId);
    if (window == m_windows.end()) {
        Log::write(QStringLiteral("Lanto: No window for screen ") + screenId);
        return;
    }
    if (!tahoe)
        m_imageViews.value(screenId)->clearImage();
    ScreenModel* model = record(screenId);
    if (model)
        prepareVideo(*model, videoURL);
    startVideo(screenId, videoURL);
    window->second->setLevel(DesktopLevelWindow::desktopLevel);
    if (model) {
        model->isShowingWallpaper = true;
        model->videoURL = videoURL;
    }
    window->second->orderFront();
    m_windowOrder.startZOrderPolling();
    if (tahoe)
        m_windowOrder.scheduleReassertions();
    saveAndNotify();
}

void DesktopWindowController::startVideo(const QString& screenId, const QUrl& videoURL)
{
    DesktopImageView* view = m_imageViews.value(screenId);
    if (view == nullptr) {
        Log::write(QStringLiteral("Lanto: No imageView for serial ") + screenId);
        return;
    }
    std::unique_ptr<DesktopVideoPlayer>& player = m_videoPlayers[screenId];
    if (!player)
        player = std::make_unique<DesktopVideoPlayer>(
            DesktopVideoPlayerContext { m_playerBackends, m_workspace, m_settings, m_scheduler });
    const ScreenModel* model = record(screenId);
    const double position = model ? model->playbackPosition : 0;
    const bool handoff = position > handoffThreshold;
    Log::write(QStringLiteral("Lanto: startVideo serial=%1, videoURL=%2, pos=%3s, handoff=%4")
                   .arg(screenId, videoURL.fileName())
                   .arg(position, 0, 'f', 1)
                   .arg(handoff ? 1 : 0));
    // A covered or sleeping display's new video shows its first frame and waits.
    m_displaySync.applyPauses(screenId, *player);
    player->play(videoURL, view, handoff, position, model ? model->playbackPositionDate : std::nullopt);
}

void DesktopWindowController::clearWallpaper(ScreenModel& record)
{
    record.isShowingWallpaper = false;
    record.wallpaperImageURL.reset();
    record.wallpaperID.reset();
    record.videoURL.reset();
    record.playbackPosition = 0;
    record.playbackPositionDate.reset();
}

void DesktopWindowController::removeWallpaper()
{
    m_windowOrder.stopZOrderPolling();
    for (const auto& [id, window] : m_windows) {
        const auto player = m_videoPlayers.find(id);
        if (player != m_videoPlayers.end())
            player->second->stop();
        window->orderOut();
    }
    // Displays unplugged for now lose their wallpaper too, or they would bring it back on return.
    for (ScreenModel& model : m_screenModels)
        clearWallpaper(model);
    m_systemWallpapers.restoreSystemWallpapers();
    saveAndNotify();
    Log::write(QStringLiteral("Lanto: Wallpaper removed, system wallpaper restored"));
}

void DesktopWindowController::removeWallpaper(const QString& screenId)
{
    const auto player = m_videoPlayers.find(screenId);
    if (player != m_videoPlayers.end())
        player->second->stop();
    const auto window = m_windows.find(screenId);
    if (window != m_windows.end())
        window->second->orderOut();
    if (ScreenModel* model = record(screenId))
        clearWallpaper(*model);
    m_systemWallpapers.restoreSystemWallpaper(screenId);
    // The poll stops itself once no window is shown.
    saveAndNotify();
}

void DesktopWindowController::createWindow(const ConnectedDisplay& display, const QString& screenId)
{
    auto [window, imageView] = makeDesktopWindow(display);
    const auto model = m_screenModels.constFind(screenId);
    if (model != m_screenModels.cend() && model->wallpaperImageURL)
        imageView->setImage(*model->wallpaperImageURL);

    // Occlusion of our windows reaches every observer through the workspace.
    connect(window.get(), &DesktopLevelWindow::occlusionStateChanged, this,
        [this, w = window.get()] { m_workspace.raiseWindowOcclusionChanged(w); });
    window->followFullScreenWindow(m_workspace);

    // A replaced window must not linger on screen, unreferenced.
    dropWindow(screenId);
    m_windows[screenId] = std::move(window);
    m_imageViews.insert(screenId, imageView);

    Log::write(QStringLiteral("Lanto: Created window for screen %1 (%2) frame=%3")
                   .arg(screenId, display.localizedName, describeFrame(display.frame)));
}

void DesktopWindowController::dropWindow(const QString& screenId)
{
    closeDesktopWindow(m_windows, m_imageViews, screenId);
}

QUrl DesktopWindowController::blackoutImageURL()
{
    // Concurrent first uses wait for this one initialisation.
    static const QUrl url = [] {
        const QString path = QDir(LantoSettings::appSupportDirectory()).filePath(BlackoutImage::fileName);
        ensureBlackoutImage(path);
        return QUrl::fromLocalFile(path);
    }();
    return url;
}

void DesktopWindowController::ensureBlackoutImage(const QString& path)
{
    if (QFileInfo::exists(path))
        return;
    writeBlackoutImage(path);
}

void DesktopWindowController::writeBlackoutImage(const QString& path)
{
    // A failed write leaves no file and is not reported beyond the usual line.
    BlackoutImage::write(path);
    Log::write(QStringLiteral("Lanto: Wrote blackout image to ") + path);
}

QList<RunningApplication> DesktopWindowController::competingApps() const { return m_competingApps.running(); }

void DesktopWindowController::terminateCompetingApps() { m_competingApps.terminate(); }
