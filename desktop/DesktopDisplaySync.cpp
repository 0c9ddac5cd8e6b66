#include "DesktopDisplaySync.h"

#include "DesktopImageView.h"
#include "DesktopVideoPlayer.h"
#include "DesktopWindow.h"
#include "DesktopWindowController.h"
#include "DistributedNotifications.h"
#include "LantoSettings.h"
#include "Log.h"
#include "SystemVersion.h"
#include "Workspace.h"

#include <QSet>

#include <utility>

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto retryDelay = 1500ms;

bool isTahoeOrLater() { return SystemVersion::isAtLeast(26); }

} // namespace

DesktopDisplaySync::DesktopDisplaySync(DesktopWindowController& controller, Scheduler& scheduler)
    : m_controller(controller), m_retries(scheduler), m_pauses(controller.m_settings)
{
}

void DesktopDisplaySync::start()
{
    setupObservers();
    syncScreens();
    restorePersistedWallpapers();
    m_started = true;
    refreshSystemWallpapers();
}

void DesktopDisplaySync::setupObservers()
{
    // Connections end with this object, which is the teardown of every observer.
    Workspace& workspace = m_controller.m_workspace;
    connect(&workspace, &Workspace::screenParametersChanged, this, &DesktopDisplaySync::handleScreenParametersChanged);
    connect(&workspace, &Workspace::screensDidSleep, this, &DesktopDisplaySync::handleScreensDidSleep);
    connect(&workspace, &Workspace::screensDidWake, this, &DesktopDisplaySync::handleScreensDidWake);
    connect(&workspace, &Workspace::sessionDidResignActive, this, &DesktopDisplaySync::handleSessionDidResignActive);
    connect(&workspace, &Workspace::sessionDidBecomeActive, this, &DesktopDisplaySync::handleSessionDidBecomeActive);
    connect(&workspace, &Workspace::activeSpaceDidChange, this, &DesktopDisplaySync::handleActiveSpaceChange);
    connect(&workspace, &Workspace::windowOcclusionChanged, this, &DesktopDisplaySync::handleOcclusionChange);
    m_controller.m_notifications.observe(
        DistributedNotificationNames::screenIsUnlocked, this, [this] { handleScreenUnlocked(); });
    // Turned on or off while a display is covered, the setting holds at once.
    m_controller.m_settings.observe(SettingsKey::pauseOnFullscreen, this, [this] { applyPauses(); });
}

void DesktopDisplaySync::syncScreens()
{
    DesktopWindowController& controller = m_controller;
    const QList<ConnectedDisplay> displays = controller.m_displays.displays();
    QStringList present;
    QSet<QString> created;
    for (const ConnectedDisplay& display : displays) {
        const QString id = ScreenModel::screenId(display);
        present.append(id);
        if (ScreenModel* model = controller.record(id)) {
            model->isConnection = true;
            model->screenName = display.localizedName;
        } else {
            controller.m_screenModels.insert(id, ScreenModel(display, controller.m_desktopPicture));
        }
        const auto window = controller.m_windows.find(id);
        if (window == controller.m_windows.end()) {
            controller.createWindow(display, id);
            created.insert(id);
        } else {
            window->second->place(display);
            if (DesktopImageView* view = controller.m_imageViews.value(id))
                view->setSize(display.frame.size());
        }
    }

    for (ScreenModel& model : controller.m_screenModels) {
        const QString id = model.id();
        if (present.contains(id))
            continue;
        model.isConnection = false;
        // While waking, a display may be missing for a moment: keep what it had.
        if (!m_isWaking) {
            controller.dropPlayer(id);
            controller.dropWindow(id);
        }
    }

    if (controller.m_isApplyingWallpaper)
        return;
    for (const QString& id : std::as_const(present)) {
        const ScreenModel* model = controller.record(id);
        if (model == nullptr || controller.m_windows.count(id) == 0)
            continue;
        // A display whose window is new shows its recorded wallpaper again,
        // even when its record still says it shows one.
        const bool returned = m_started && created.contains(id) && model->isShowingWallpaper;
        if (model->isShowingWallpaper && !returned)
            continue;
        if (model->videoURL)
            controller.showVideoWallpaper(QUrl(*model->videoURL), id);
        else if (model->wallpaperImageURL)
            controller.showWallpaper(QUrl(*model->wallpaperImageURL), id);
    }
}

void DesktopDisplaySync::restorePersistedWallpapers()
{
    DesktopWindowController& controller = m_controller;
    int count = 0;
    for (const ScreenModel& model : std::as_const(controller.m_screenModels)) {
        const auto window = controller.m_windows.find(model.id());
        if (!model.isShowingWallpaper || window == controller.m_windows.end())
            continue;
        if (model.videoURL)
            controller.startVideo(model.id(), *model.videoURL);
        else if (!model.wallpaperImageURL)
            continue; // the window made for it shows the picture already
        window->second->setLevel(DesktopLevelWindow::desktopLevel);
        window->second->orderFront();
        ++count;
    }
    if (count == 0)
        return;
    controller.m_windowOrder.startZOrderPolling();
    if (isTahoeOrLater())
        controller.m_windowOrder.scheduleReassertions();
    Log::write(QStringLiteral("Lanto: Restored %1 persisted wallpaper(s) on launch").arg(count));
}

void DesktopDisplaySync::refreshSystemWallpapers()
{
    m_controller.m_systemWallpapers.refresh(m_controller.m_screenModels);
}

void DesktopDisplaySync::applyPauses() { m_pauses.apply(m_controller.m_windows, m_controller.m_videoPlayers); }

void DesktopDisplaySync::applyPauses(const QString& screenId, DesktopVideoPlayer& player) const
{
    m_pauses.applyTo(screenId, m_controller.m_windows, player);
}

void DesktopDisplaySync::resyncAfterDisplayChange()
{
    syncScreens();
    m_controller.m_windowOrder.reassertWindowLevels();
    refreshSystemWallpapers();
    if (m_controller.m_onScreensChanged)
        m_controller.m_onScreensChanged();
}

void DesktopDisplaySync::handleScreenParametersChanged()
{
    Log::write(QStringLiteral("Lanto: Screen parameters changed"));
    const qsizetype count = m_controller.m_displays.displays().size();
    resyncAfterDisplayChange();
    m_retries.after(retryDelay, [this, count] {
        const qsizetype now = m_controller.m_displays.displays().size();
        if (now == count)
            return;
        Log::write(
            QStringLiteral("Lanto: Screen change delayed retry — re-syncing (%1 → %2 screens)").arg(count).arg(now));
        resyncAfterDisplayChange();
    });
}

void DesktopDisplaySync::handleScreensDidSleep()
{
    Log::write(QStringLiteral("Lanto: screensDidSleep — pausing video players"));
    m_pauses.setEverywhere(PauseReason::sleep, true);
    applyPauses();
}

void DesktopDisplaySync::handleScreensDidWake()
{
    m_pauses.setEverywhere(PauseReason::sleep, false);
    handleWake();
}

void DesktopDisplaySync::handleSessionDidResignActive()
{
    Log::write(QStringLiteral("Lanto: sessionDidResignActive (screen locked) — pausing video players"));
    m_unlockPending = true;
    m_pauses.setEverywhere(PauseReason::lock, true);
    applyPauses();
}

void DesktopDisplaySync::handleSessionDidBecomeActive()
{
    Log::write(QStringLiteral("Lanto: sessionDidBecomeActive (screen unlocked) — resuming"));
    handleUnlock();
}

void DesktopDisplaySync::handleScreenUnlocked()
{
    Log::write(QStringLiteral("Lanto: com.apple.screenIsUnlocked — resuming"));
    handleUnlock();
}

void DesktopDisplaySync::handleUnlock()
{
    // One unlock brings both notices, in either order: the first one wakes.
    if (!std::exchange(m_unlockPending, false))
        return;
    m_pauses.setEverywhere(PauseReason::lock, false);
    handleWake();
}

void DesktopDisplaySync::handleWake()
{
    if (!m_controller.isAnyShowing()) {
        // Nothing plays; a video shown later starts under what still holds.
        applyPauses();
        return;
    }
    Log::write(QStringLiteral("Lanto: handleWake — resuming wallpaper"));
    m_isWaking = true;
    syncScreens();
    m_isWaking = false;
    m_controller.m_windowOrder.reassertWindowLevels();
    refreshSystemWallpapers();
    // Each video resumes once the last reason that held it is gone.
    applyPauses();
    m_retries.after(retryDelay, [this] {
        if (!m_controller.isAnyShowing())
            return;
        Log::write(QStringLiteral("Lanto: handleWake delayed retry — re-syncing and resuming"));
        syncScreens();
        m_controller.m_windowOrder.reassertWindowLevels();
        applyPauses();
        DesktopPauses::resumeUnheld(m_controller.m_videoPlayers, [this](const QString& id) {
            const ScreenModel* model = m_controller.record(id);
            return model != nullptr && model->videoURL.has_value();
        });
    });
}

void DesktopDisplaySync::handleActiveSpaceChange()
{
    WindowOrderKeeper::bringShownWindowsForward(m_controller.m_windows);
}

void DesktopDisplaySync::handleOcclusionChange(QObject* window)
{
    if (qobject_cast<DesktopWindow*>(window) == nullptr)
        return;
    applyPauses();
}
