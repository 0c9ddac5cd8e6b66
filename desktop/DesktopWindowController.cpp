#include "DesktopWindowController.h"

#include "BlackoutImage.h"
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
#include <QSet>

#include <algorithm>
#include <chrono>

using namespace std::chrono_literals;

namespace {

// Other live-wallpaper programs for Linux desktops, by executable name: each
// puts its own windows at the desktop level and would fight with ours.
const QSet<QString>& competingIdentifiers()
{
    static const QSet<QString> identifiers {
        QStringLiteral("komorebi"),
        QStringLiteral("linux-wallpaperengine"),
        QStringLiteral("mpvpaper"),
        QStringLiteral("xwinwrap"),
    };
    return identifiers;
}

// One more, known by its process name: it runs under the Python interpreter,
// so its executable name is the interpreter's.
const QSet<QString>& competingNames()
{
    static const QSet<QString> names { QStringLiteral("hidamari") };
    return names;
}

bool isCompeting(const RunningApplication& application)
{
    if (!application.bundleIdentifier.isEmpty() && competingIdentifiers().contains(application.bundleIdentifier))
        return true;
    return !application.localizedName.isEmpty() && competingNames().contains(application.localizedName);
}

// "(x, y, width, height)" with every number printed as a decimal, e.g. (0.0, 0.0, 1728.0, 1117.0).
QString describeFrame(const QRect& frame)
{
    return QStringLiteral("(%1.0, %2.0, %3.0, %4.0)")
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height());
}

constexpr auto retryDelay = 1500ms;

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
      m_runningApplications(environment.runningApplications),
      m_settings(environment.settings),
      m_playerBackends(environment.playerBackends),
      m_scheduler(environment.scheduler),
      m_downloadsDirectory(environment.downloadsDirectory),
      m_systemWallpapers(environment.displays, environment.desktopPicture, environment.systemCommands,
          environment.settings, environment.scheduler),
      m_windowOrder(m_windows, environment.scheduler),
      m_retries(environment.scheduler)
{
    // A folder that cannot be made only means later look-ups find nothing.
    QDir().mkpath(m_downloadsDirectory);
    m_screenModels = ScreenModel::loadAll(m_settings);
    setupObservers();
    syncScreens();
    restorePersistedWallpapers();
    m_started = true;
    refreshSystemWallpapers();
}

DesktopWindowController::~DesktopWindowController()
{
    m_windowOrder.stopZOrderPolling();
    // The players show in the windows' views: they go first.
    m_videoPlayers.clear();
}

void DesktopWindowController::setupObservers()
{
    // Connections end with the controller, which is the teardown of every observer.
    connect(&m_workspace, &Workspace::screenParametersChanged, this,
        &DesktopWindowController::handleScreenParametersChanged);
    connect(&m_workspace, &Workspace::screensDidSleep, this, &DesktopWindowController::handleScreensDidSleep);
    connect(&m_workspace, &Workspace::screensDidWake, this, &DesktopWindowController::handleWake);
    connect(
        &m_workspace, &Workspace::sessionDidResignActive, this, &DesktopWindowController::handleSessionDidResignActive);
    connect(
        &m_workspace, &Workspace::sessionDidBecomeActive, this, &DesktopWindowController::handleSessionDidBecomeActive);
    connect(&m_workspace, &Workspace::activeSpaceDidChange, this, &DesktopWindowController::handleActiveSpaceChange);
    connect(&m_workspace, &Workspace::windowOcclusionChanged, this, &DesktopWindowController::handleOcclusionChange);
    m_notifications.observe(DistributedNotificationNames::screenIsUnlocked, this, [this] { handleScreenUnlocked(); });
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

void DesktopWindowController::syncScreens()
{
    const QList<ConnectedDisplay> displays = m_displays.displays();
    QStringList present;
    QSet<QString> created;
    for (const ConnectedDisplay& display : displays) {
        const QString id = ScreenModel::screenId(display);
        present.append(id);
        if (ScreenModel* model = record(id)) {
            model->isConnection = true;
            model->screenName = display.localizedName;
        } else {
            m_screenModels.insert(id, ScreenModel(display, m_desktopPicture));
        }
        const auto window = m_windows.find(id);
        if (window == m_windows.end()) {
            createWindow(display, id);
            created.insert(id);
        } else {
            window->second->setGeometry(display.frame);
            if (DesktopImageView* view = m_imageViews.value(id))
                view->setSize(display.frame.size());
        }
    }

    for (ScreenModel& model : m_screenModels) {
        const QString id = model.id();
        if (present.contains(id))
            continue;
        model.isConnection = false;
        // While waking, a display may be missing for a moment: keep what it had.
        if (!m_isWaking) {
            dropPlayer(id);
            dropWindow(id);
        }
    }

    if (m_isApplyingWallpaper)
        return;
    for (const QString& id : std::as_const(present)) {
        const ScreenModel* model = record(id);
        if (model == nullptr || m_windows.count(id) == 0)
            continue;
        // A display whose window is new shows its recorded wallpaper again,
        // even when its record still says it shows one.
        const bool returned = m_started && created.contains(id) && model->isShowingWallpaper;
        if (model->isShowingWallpaper && !returned)
            continue;
        if (model->videoURL)
            showVideoWallpaper(QUrl(*model->videoURL), id);
        else if (model->wallpaperImageURL)
            showWallpaper(QUrl(*model->wallpaperImageURL), id);
    }
}

void DesktopWindowController::restorePersistedWallpapers()
{
    int count = 0;
    for (const ScreenModel& model : std::as_const(m_screenModels)) {
        const auto window = m_windows.find(model.id());
        if (!model.isShowingWallpaper || window == m_windows.end())
            continue;
        if (model.videoURL)
            startVideo(model.id(), *model.videoURL);
        else if (!model.wallpaperImageURL)
            continue; // the window made for it shows the picture already
        window->second->setLevel(DesktopLevelWindow::desktopLevel);
        window->second->orderFront();
        ++count;
    }
    if (count == 0)
        return;
    m_windowOrder.startZOrderPolling();
    if (isTahoeOrLater())
        m_windowOrder.scheduleReassertions();
    Log::write(QStringLiteral("Lanto: Restored %1 persisted wallpaper(s) on launch").arg(count));
}

void DesktopWindowController::refreshSystemWallpapers()
{
    const bool lockScreenEnabled = m_settings.boolValue(SettingsKey::lockScreenEnabled, false);
    const bool tahoe = isTahoeOrLater();
    QList<SystemWallpapers::PendingPicture> pending;
    for (const ConnectedDisplay& display : m_displays.displays()) {
        const QString id = ScreenModel::screenId(display);
        const ScreenModel* model = record(id);
        if (model == nullptr || !model->isShowingWallpaper)
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
            : SystemWallpapers::posterFallbackURL(*model->videoURL);
        if (picture)
            m_systemWallpapers.setSystemWallpaper(*picture, display, id);
    }
    if (!tahoe && lockScreenEnabled)
        m_systemWallpapers.restampAfterRefresh();
    if (pending.isEmpty())
        return;
    QList<ConnectedDisplay> screens;
    for (const auto& [display, picture] : std::as_const(pending))
        screens.append(display);
    m_systemWallpapers.clearSystemWallpapers(screens);
    m_systemWallpapers.applyPendingSystemWallpapers(pending);
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
        if (ScreenModel* model = record(id))
            model->playbackPosition = position;
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
    syncScreens();
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
    syncScreens();
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
    if (record.videoURL != videoURL)
        record.playbackPosition = 0;
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
    syncScreens();
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
    syncScreens();
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
    player->play(videoURL, view, handoff, position);
}

void DesktopWindowController::clearWallpaper(ScreenModel& record)
{
    record.isShowingWallpaper = false;
    record.wallpaperImageURL.reset();
    record.wallpaperID.reset();
    record.videoURL.reset();
    record.playbackPosition = 0;
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

void DesktopWindowController::pauseVideoPlayers()
{
    for (const auto& [id, player] : m_videoPlayers)
        player->pause();
}

void DesktopWindowController::resumeVideoPlayers()
{
    for (const auto& [id, player] : m_videoPlayers) {
        const ScreenModel* model = record(id);
        if (model != nullptr && model->videoURL)
            player->resume();
    }
}

void DesktopWindowController::resyncAfterDisplayChange()
{
    syncScreens();
    m_windowOrder.reassertWindowLevels();
    refreshSystemWallpapers();
    if (m_onScreensChanged)
        m_onScreensChanged();
}

void DesktopWindowController::handleScreenParametersChanged()
{
    Log::write(QStringLiteral("Lanto: Screen parameters changed"));
    const qsizetype count = m_displays.displays().size();
    resyncAfterDisplayChange();
    m_retries.after(retryDelay, [this, count] {
        const qsizetype now = m_displays.displays().size();
        if (now == count)
            return;
        Log::write(
            QStringLiteral("Lanto: Screen change delayed retry — re-syncing (%1 → %2 screens)").arg(count).arg(now));
        resyncAfterDisplayChange();
    });
}

void DesktopWindowController::handleScreensDidSleep()
{
    Log::write(QStringLiteral("Lanto: screensDidSleep — pausing video players"));
    pauseVideoPlayers();
}

void DesktopWindowController::handleSessionDidResignActive()
{
    Log::write(QStringLiteral("Lanto: sessionDidResignActive (screen locked) — pausing video players"));
    pauseVideoPlayers();
}

void DesktopWindowController::handleSessionDidBecomeActive()
{
    Log::write(QStringLiteral("Lanto: sessionDidBecomeActive (screen unlocked) — resuming"));
    handleWake();
}

void DesktopWindowController::handleScreenUnlocked()
{
    Log::write(QStringLiteral("Lanto: com.apple.screenIsUnlocked — resuming"));
    handleWake();
}

void DesktopWindowController::handleWake()
{
    if (!isAnyShowing())
        return;
    Log::write(QStringLiteral("Lanto: handleWake — resuming wallpaper"));
    m_isWaking = true;
    syncScreens();
    m_isWaking = false;
    m_windowOrder.reassertWindowLevels();
    refreshSystemWallpapers();
    resumeVideoPlayers();
    m_retries.after(retryDelay, [this] {
        if (!isAnyShowing())
            return;
        Log::write(QStringLiteral("Lanto: handleWake delayed retry — re-syncing and resuming"));
        syncScreens();
        m_windowOrder.reassertWindowLevels();
        resumeVideoPlayers();
    });
}

void DesktopWindowController::handleActiveSpaceChange() { WindowOrderKeeper::bringShownWindowsForward(m_windows); }

void DesktopWindowController::handleOcclusionChange(QObject* window)
{
    if (qobject_cast<DesktopWindow*>(window) == nullptr)
        return;
    if (!m_settings.boolValue(SettingsKey::pauseOnFullscreen, false))
        return;
    // One covered display pauses every video; they resume once none is covered.
    for (const auto& [id, desktopWindow] : m_windows) {
        if (desktopWindow->isVisible() && !desktopWindow->isOcclusionVisible()) {
            pauseVideoPlayers();
            return;
        }
    }
    resumeVideoPlayers();
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

QList<RunningApplication> DesktopWindowController::competingApps() const
{
    QList<RunningApplication> matches;
    for (const RunningApplication& application : m_runningApplications.runningApplications()) {
        if (isCompeting(application))
            matches.append(application);
    }
    return matches;
}

void DesktopWindowController::terminateCompetingApps()
{
    for (const RunningApplication& application : competingApps()) {
        const QString name
            = application.localizedName.isEmpty() ? QStringLiteral("unknown") : application.localizedName;
        Log::write(QStringLiteral("Lanto: Requesting termination of ") + name);
        if (!m_runningApplications.terminate(application))
            m_runningApplications.forceTerminate(application);
    }
}
