#include "AgentDesktopController.h"

#include "AgentLog.h"
#include "BlackoutImage.h"
#include "DesktopImageView.h"
#include "DesktopPicture.h"
#include "DesktopVideoPlayer.h"
#include "DesktopWindow.h"
#include "DistributedNotifications.h"
#include "LantoSettings.h"
#include "SystemVersion.h"
#include "WallpaperFolder.h"
#include "Workspace.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <utility>

using namespace std::chrono_literals;

namespace {

// The second pass after a wake, for displays that come back late.
constexpr auto wakeRecoveryDelay = 1500ms;

// Long enough for Lanto to show the desktop it takes back and end the agent.
constexpr auto givenUpWindowsLinger = 5s;

// How long Lanto waits, at most, for the taken-over videos to show.
constexpr auto shownTimeout = 2s;

// Hand-over look and seek only for a position past the video's first half second.
constexpr double handoffThreshold = 0.5;

QString seconds(double value, int decimals) { return QString::number(value, 'f', decimals); }

QString fileNameOrNil(const std::optional<QUrl>& url) { return url ? url->fileName() : QStringLiteral("nil"); }

QString flag(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

// "Poster.png" in the video's folder, when it is there.
std::optional<QUrl> posterBeside(const QUrl& videoURL)
{
    return WallpaperFolder::posterURL(QFileInfo(videoURL.toLocalFile()).path());
}

} // namespace

AgentDesktopController::AgentDesktopController(const DesktopEnvironment& environment, QObject* parent)
    : QObject(parent),
      m_environment(environment),
      m_mainAppWatcher(environment.runningApplications),
      m_pauses(environment.settings),
      m_wakeRecovery(environment.scheduler)
{
}

AgentDesktopController::~AgentDesktopController()
{
    if (m_teardown)
        m_teardown->cancel();
    m_shown.reset();
    // The players show in the windows' views: they go first.
    m_videoPlayers.clear();
}

void AgentDesktopController::start()
{
    registerHandoffObservers();
    registerSystemObservers();
    if (isMainAppRunning()) {
        m_mainAppWatcher.watch();
        AgentLog::desktop.info(QStringLiteral("Main app is running — desktop windows deferred to main app"));
        return;
    }
    activate();
}

bool AgentDesktopController::isMainAppRunning() const
{
    const QList<RunningApplication> running = m_environment.runningApplications.runningApplications();
    return std::any_of(running.cbegin(), running.cend(),
        [](const RunningApplication& application) { return application.bundleIdentifier == BundleIdentifiers::lanto; });
}

// MARK: Hand-over

void AgentDesktopController::registerHandoffObservers()
{
    // Connections end with the controller, so a notice after it is gone does nothing.
    DistributedNotifications& notices = m_environment.notifications;
    notices.observe(DistributedNotificationNames::appLaunched, this, [this] {
        m_mainAppWatcher.watch();
        timed(
            QStringLiteral("IPC appLaunched received — yielding"), [this] { deactivate(); },
            QStringLiteral("IPC appLaunched handled — %1s"));
    });
    notices.observe(DistributedNotificationNames::appWillTerminate, this, [this] {
        // Lanto's windows stay up until the agent's show the videos: these come up beneath them.
        m_beneathLanto = true;
        timed(
            QStringLiteral("IPC appWillTerminate received — activating immediately"), [this] { activate(); },
            QStringLiteral("IPC appWillTerminate handled in %1s"));
        m_beneathLanto = false;
    });
    notices.observe(DistributedNotificationNames::wallpaperChanged, this, [this] { refreshState(); });
    connect(&m_environment.workspace, &Workspace::applicationDidTerminate, this,
        &AgentDesktopController::handleMainAppTerminated);
    // The workspace looks at the process list now and then; the watcher tells at once.
    connect(&m_mainAppWatcher, &MainAppWatcher::terminated, this, &AgentDesktopController::handleMainAppTerminated);
}

void AgentDesktopController::handleMainAppTerminated(const RunningApplication& application)
{
    // The watcher and the workspace both tell of one ending; it is reclaimed once.
    if (application.bundleIdentifier != BundleIdentifiers::lanto || application.pid == m_reclaimedPid)
        return;
    m_reclaimedPid = application.pid;
    AgentLog::desktop.info(QStringLiteral("Detected main app termination via NSWorkspace — reclaiming immediately"));
    activate();
}

void AgentDesktopController::timed(
    const QString& startMessage, const std::function<void()>& action, const QString& endMessage)
{
    const Scheduler::Clock::time_point start = m_environment.scheduler.now();
    AgentLog::desktop.info(startMessage);
    action();
    const std::chrono::duration<double> elapsed = m_environment.scheduler.now() - start;
    AgentLog::desktop.info(endMessage.arg(seconds(elapsed.count(), 3)));
}

void AgentDesktopController::refreshState()
{
    AgentLog::desktop.info(QStringLiteral("Received wallpaperChanged — refreshing state"));
    reloadRecords();
}

void AgentDesktopController::reloadRecords()
{
    // Lanto writes the file behind the agent's back: what it wrote last counts.
    m_environment.settings.reload();
    m_screenModels = ScreenModel::loadAll(m_environment.settings);
}

void AgentDesktopController::activate()
{
    const Scheduler::Clock::time_point start = m_environment.scheduler.now();
    AgentLog::desktop.info(QStringLiteral("activate() START — reloading plist"));
    reloadRecords();

    QList<const ScreenModel*> showing;
    for (const ScreenModel& model : std::as_const(m_screenModels)) {
        if (model.isShowingWallpaper)
            showing.append(&model);
    }
    if (showing.isEmpty()) {
        AgentLog::desktop.info(QStringLiteral("activate() — no active wallpapers, nothing to display"));
        return;
    }
    if (m_isActive) {
        AgentLog::desktop.info(QStringLiteral("activate() SKIPPED — already active"));
        announceWhenShown();
        return;
    }
    // Windows given up a moment ago are still up, their videos playing: they go on from where they are.
    if (m_teardown)
        std::exchange(m_teardown, nullptr)->cancel();
    for (const ScreenModel* model : std::as_const(showing))
        AgentLog::desktop.info(
            QStringLiteral("activate() screen=%1 video=%2 image=%3")
                .arg(model->id(), fileNameOrNil(model->videoURL), fileNameOrNil(model->wallpaperImageURL)));
    AgentLog::desktop.info(QStringLiteral("activate() creating windows for %1 screen(s)").arg(showing.size()));

    m_isActive = true;
    syncWindows();
    // Videos of windows kept from before go on unless a reason still holds.
    applyPauses();
    announceWhenShown();
    const std::chrono::duration<double> elapsed = m_environment.scheduler.now() - start;
    AgentLog::desktop.info(
        QStringLiteral("activate() DONE — %1s, windows created + video starting").arg(seconds(elapsed.count(), 3)));
}

void AgentDesktopController::deactivate()
{
    if (!m_isActive) {
        AgentLog::desktop.info(QStringLiteral("deactivate() SKIPPED — not active"));
        return;
    }
    const Scheduler::Clock::time_point start = m_environment.scheduler.now();
    AgentLog::desktop.info(QStringLiteral("deactivate() START — tearing down %1 window(s), %2 player(s)")
                               .arg(m_windows.size())
                               .arg(m_videoPlayers.size()));

    for (const auto& [key, player] : m_videoPlayers) {
        const double position = player->currentPosition();
        const auto model = m_screenModels.find(key);
        // A position belongs to the video it was taken from.
        if (model != m_screenModels.end() && model->videoURL == player->currentURL()) {
            model->playbackPosition = position;
            model->playbackPositionDate = player->positionDate();
        }
        AgentLog::desktop.info(
            QStringLiteral("deactivate() snapshot screen=%1 pos=%2s").arg(key, seconds(position, 1)));
    }
    // Lanto continues from the file: the positions are on disk before anything stops.
    ScreenModel::saveAll(m_screenModels, m_environment.settings);
    m_environment.settings.flush();

    // Lanto's windows come up over these and Lanto then ends the agent: until
    // then the desktop keeps playing here rather than showing bare.
    m_shown.reset();
    m_isActive = false;
    m_teardown = m_environment.scheduler.after(givenUpWindowsLinger, [this] { tearDown(); });

    const std::chrono::duration<double> elapsed = m_environment.scheduler.now() - start;
    AgentLog::desktop.info(QStringLiteral("deactivate() DONE — %1s").arg(seconds(elapsed.count(), 3)));
}

void AgentDesktopController::tearDown()
{
    m_teardown.reset();
    for (const auto& [key, player] : m_videoPlayers)
        player->stop();
    m_videoPlayers.clear();
    while (!m_windows.empty()) {
        const QString key = m_windows.begin()->first;
        closeDesktopWindow(m_windows, m_imageViews, key);
    }
    AgentLog::desktop.info(QStringLiteral("Given-up desktop windows closed"));
}

void AgentDesktopController::announceWhenShown()
{
    // Lanto, quitting, keeps its own windows up until this notice.
    m_shown = std::make_unique<VideosShown>(m_videoPlayers, m_environment.scheduler, shownTimeout);
    connect(m_shown.get(), &VideosShown::finished, this, [this] {
        AgentLog::desktop.info(QStringLiteral("Desktop shown — telling Lanto"));
        m_environment.notifications.post(DistributedNotificationNames::agentDesktopShown);
    });
}

// MARK: Windows

void AgentDesktopController::syncWindows()
{
    QStringList present;
    for (const ConnectedDisplay& display : m_environment.displays.displays()) {
        const QString key = ScreenModel::screenId(display);
        present.append(key);
        const auto window = m_windows.find(key);
        if (window == m_windows.end()) {
            createWindow(display, key);
            continue;
        }
        window->second->place(display);
        if (DesktopImageView* view = m_imageViews.value(key))
            view->setSize(display.frame.size());
    }

    QStringList gone;
    for (const auto& [key, window] : m_windows) {
        if (!present.contains(key))
            gone.append(key);
    }
    for (const QString& key : std::as_const(gone)) {
        const auto player = m_videoPlayers.find(key);
        if (player != m_videoPlayers.end()) {
            player->second->stop();
            m_videoPlayers.erase(player);
        }
        closeDesktopWindow(m_windows, m_imageViews, key);
    }

    for (const QString& key : std::as_const(present)) {
        const auto model = m_screenModels.constFind(key);
        if (model == m_screenModels.cend() || !model->isShowingWallpaper)
            continue;
        if (model->videoURL) {
            startVideo(key, *model->videoURL);
        } else if (model->wallpaperImageURL) {
            if (DesktopImageView* view = m_imageViews.value(key))
                view->setImage(*model->wallpaperImageURL);
        }
        DesktopWindow* window = m_windows.at(key).get();
        window->setLevel(DesktopLevelWindow::desktopLevel);
        window->orderFront();
        if (m_beneathLanto)
            window->lower();
    }
}

void AgentDesktopController::createWindow(const ConnectedDisplay& display, const QString& screenKey)
{
    auto [window, imageView] = makeDesktopWindow(display);
    // A video's poster stands in until its first frame.
    const auto model = m_screenModels.constFind(screenKey);
    if (model != m_screenModels.cend()) {
        const std::optional<QUrl> picture = model->videoURL ? posterBeside(*model->videoURL) : model->wallpaperImageURL;
        if (picture)
            imageView->setImage(*picture);
    }
    connect(
        window.get(), &DesktopLevelWindow::occlusionStateChanged, this, &AgentDesktopController::applyPauses);
    window->followFullScreenWindow(m_environment.workspace);
    m_windows[screenKey] = std::move(window);
    m_imageViews.insert(screenKey, imageView);
    AgentLog::desktop.info(QStringLiteral("Created desktop window for screen %1").arg(screenKey));
}

void AgentDesktopController::startVideo(const QString& screenKey, const QUrl& url)
{
    DesktopImageView* view = m_imageViews.value(screenKey);
    if (view == nullptr)
        return;
    if (!QFileInfo::exists(url.toLocalFile())) {
        AgentLog::desktop.error(QStringLiteral("Video file missing: %1").arg(url.toLocalFile()));
        return;
    }
    std::unique_ptr<DesktopVideoPlayer>& player = m_videoPlayers[screenKey];
    if (!player)
        player = std::make_unique<DesktopVideoPlayer>(DesktopVideoPlayerContext {
            m_environment.playerBackends, m_environment.workspace, m_environment.settings, m_environment.scheduler });
    // Its video, paused for sleep or playing, goes on where it is; starting it
    // again would jump back to the position recorded at the take-over.
    if (player->currentURL() == url)
        return;
    const auto model = m_screenModels.constFind(screenKey);
    const double position = model == m_screenModels.cend() ? 0 : model->playbackPosition;
    const bool handoff = position > handoffThreshold;
    AgentLog::desktop.info(QStringLiteral("Starting video: %1 on screen %2 at %3s handoff=%4")
                               .arg(url.fileName(), screenKey, seconds(position, 1), flag(handoff)));
    m_pauses.applyTo(screenKey, m_windows, *player);
    player->play(url, view, handoff, position,
        model == m_screenModels.cend() ? std::nullopt : model->playbackPositionDate);
}

// MARK: System events

void AgentDesktopController::registerSystemObservers()
{
    Workspace& workspace = m_environment.workspace;
    connect(
        &workspace, &Workspace::screenParametersChanged, this, &AgentDesktopController::handleScreenParametersChanged);
    connect(&workspace, &Workspace::screensDidSleep, this, [this] { setPausedEverywhere(PauseReason::sleep, true); });
    connect(&workspace, &Workspace::screensDidWake, this, [this] {
        setPausedEverywhere(PauseReason::sleep, false);
        handleWake();
    });
    connect(&workspace, &Workspace::sessionDidBecomeActive, this, [this] {
        setPausedEverywhere(PauseReason::lock, false);
        handleWake();
    });
    connect(&workspace, &Workspace::sessionDidResignActive, this,
        [this] { setPausedEverywhere(PauseReason::lock, true); });
    connect(&workspace, &Workspace::activeSpaceDidChange, this, &AgentDesktopController::bringWindowsForward);
    // Turned on or off while a display is covered, the setting holds at once.
    m_environment.settings.observe(SettingsKey::pauseOnFullscreen, this, [this] { applyPauses(); });
}

void AgentDesktopController::handleScreenParametersChanged()
{
    if (!m_isActive)
        return;
    AgentLog::desktop.info(QStringLiteral("Screen parameters changed — re-syncing"));
    syncWindows();
}

void AgentDesktopController::setPausedEverywhere(PauseReason reason, bool paused)
{
    // Windows given up a moment ago still play until they close: they pause too.
    m_pauses.setEverywhere(reason, paused);
    if (paused)
        applyPauses();
}

void AgentDesktopController::applyPauses()
{
    // Windows given up a moment ago play on under Lanto's until they close,
    // but once paused they stay so: Lanto plays its own.
    if (m_isActive)
        m_pauses.apply(m_windows, m_videoPlayers);
    else
        m_pauses.hold(m_windows, m_videoPlayers);
}

void AgentDesktopController::handleWake()
{
    if (!m_isActive) {
        if (!isMainAppRunning())
            activate();
        return;
    }
    reloadRecords();
    syncWindows();
    reassertWindows();
    resumePlayers();
    m_wakeRecovery.after(wakeRecoveryDelay, [this] { recoverAfterWake(); });
}

void AgentDesktopController::recoverAfterWake()
{
    if (!m_isActive)
        return;
    syncWindows();
    reassertWindows();
    resumePlayers();
    DesktopPauses::resumeUnheld(m_videoPlayers, [this](const QString& key) {
        const auto model = m_screenModels.constFind(key);
        return model != m_screenModels.cend() && model->videoURL.has_value();
    });
}

void AgentDesktopController::reassertWindows() { WindowOrderKeeper::reassertWindowLevels(m_windows); }

// Each video resumes once the last reason that held it is gone.
void AgentDesktopController::resumePlayers() { applyPauses(); }

void AgentDesktopController::bringWindowsForward()
{
    if (m_isActive)
        WindowOrderKeeper::bringShownWindowsForward(m_windows);
}

// MARK: Lock and unlock

QUrl AgentDesktopController::blackoutImageURL()
{
    if (!m_blackoutImageURL) {
        const QString folder = QFileInfo(m_environment.settings.filePath()).path();
        const QString path = QDir(folder).filePath(BlackoutImage::fileName);
        BlackoutImage::ensure(path);
        m_blackoutImageURL = QUrl::fromLocalFile(path);
    }
    return *m_blackoutImageURL;
}

bool AgentDesktopController::isMainDisplay(const ConnectedDisplay& display) const
{
    const std::optional<ConnectedDisplay> main = m_environment.displays.mainDisplay();
    return main && ScreenModel::serialNumber(*main) == ScreenModel::serialNumber(display);
}

void AgentDesktopController::blackOutOtherDisplays()
{
    const QUrl blackout = blackoutImageURL();
    for (const ConnectedDisplay& display : m_environment.displays.displays()) {
        if (isMainDisplay(display))
            continue;
        const QString key = ScreenModel::screenId(display);
        // A display that shows the black picture already keeps what was remembered before it.
        const std::optional<QUrl> current = m_environment.desktopPicture.desktopImageUrl(display);
        if (current && *current != blackout)
            m_preLockDesktopByDisplay.insert(key, *current);
        setDesktopPicture(blackout, display, key);
    }
}

void AgentDesktopController::restoreOtherDisplays()
{
    for (const ConnectedDisplay& display : m_environment.displays.displays()) {
        if (isMainDisplay(display))
            continue;
        const QString key = ScreenModel::screenId(display);
        std::optional<QUrl> picture;
        const auto model = m_screenModels.constFind(key);
        if (model != m_screenModels.cend() && model->isShowingWallpaper) {
            if (model->videoURL)
                picture = posterBeside(*model->videoURL);
            if (!picture)
                picture = model->wallpaperImageURL;
        }
        if (!picture && m_preLockDesktopByDisplay.contains(key))
            picture = m_preLockDesktopByDisplay.value(key);
        if (picture)
            setDesktopPicture(*picture, display, key);
    }
    m_preLockDesktopByDisplay.clear();
}

void AgentDesktopController::setDesktopPicture(
    const QUrl& picture, const ConnectedDisplay& display, const QString& screenKey)
{
    // From macOS 26 on the system keeps the lock screen's pictures itself.
    if (SystemVersion::isAtLeast(26))
        return;
    DesktopPictureOptions options;
    options.imageScaling = DesktopPictureOptions::scaleProportionallyUpOrDown;
    options.allowClipping = true;
    QString error;
    if (m_environment.desktopPicture.setDesktopImageUrl(picture, display, options, &error))
        AgentLog::desktop.info(QStringLiteral("Desktop → %1 on %2").arg(picture.fileName(), screenKey));
    else
        AgentLog::desktop.error(QStringLiteral("setDesktopImageURL failed on %1: %2").arg(screenKey, error));
}
