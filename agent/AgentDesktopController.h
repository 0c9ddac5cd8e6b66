#pragma once

#include "AgentDesktop.h"
#include "DesktopPauses.h"
#include "DelayedTasks.h"
#include "DesktopWindowController.h"
#include "MainAppWatcher.h"
#include "ScreenModel.h"
#include "VideosShown.h"
#include "WindowOrderKeeper.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class DesktopImageView;
class DesktopVideoPlayer;

// The agent's desktop while Lanto is closed: one desktop window per display
// showing what Lanto recorded under "screenModels", each video resuming at
// the position Lanto handed over. It takes the desktop over when Lanto quits
// or ends, gives it back with its own positions when Lanto starts, follows
// displays, sleep, wake, the session and Spaces while it owns the desktop, and
// blacks out the other displays' desktop pictures while the screen is locked.
//
// It never chooses a wallpaper; it only shows what the records say. Every
// per-display map is keyed by the display's screen id. Main thread only.
class AgentDesktopController final : public QObject, public AgentDesktop
{
    Q_OBJECT

public:
    using Windows = WindowOrderKeeper::Windows;
    using VideoPlayers = std::map<QString, std::unique_ptr<DesktopVideoPlayer>>;

    // The agent's world is the desktop controller's; its system commands go unused.
    explicit AgentDesktopController(const DesktopEnvironment& environment, QObject* parent = nullptr);
    ~AgentDesktopController() override;

    // Watches Lanto's notices and the system, then takes the desktop unless Lanto runs.
    void start() override;
    // Screen lock: the other displays' desktop pictures become the black picture.
    void blackOutOtherDisplays() override;
    // Screen unlock: the other displays get their wallpaper's picture, or what they showed before the lock.
    void restoreOtherDisplays() override;

    // Takes the desktop over from the records Lanto left in the settings.
    void activate();
    // Records the playback positions, writes them to disk, then gives the desktop up.
    void deactivate();
    // Matches the windows and what they show with the displays and the records.
    void syncWindows();
    bool isMainAppRunning() const;

    bool isActive() const { return m_isActive; }
    const Windows& windows() const { return m_windows; }
    const DesktopImageViews& imageViews() const { return m_imageViews; }
    const VideoPlayers& videoPlayers() const { return m_videoPlayers; }
    const ScreenModelMap& screenModels() const { return m_screenModels; }
    const QMap<QString, QUrl>& preLockDesktopByDisplay() const { return m_preLockDesktopByDisplay; }

    // "Blackout.png" beside the settings file, written on the first use when missing.
    QUrl blackoutImageURL();

private:
    void registerHandoffObservers();
    void registerSystemObservers();
    void handleMainAppTerminated(const RunningApplication& application);
    // Logs start, runs the action, logs end with the seconds it took.
    void timed(const QString& startMessage, const std::function<void()>& action, const QString& endMessage);
    void refreshState();
    void reloadRecords();

    void tearDown();
    void announceWhenShown();
    void createWindow(const ConnectedDisplay& display, const QString& screenKey);
    void startVideo(const QString& screenKey, const QUrl& url);

    void handleScreenParametersChanged();
    // Sleep or lock begins or ends; the videos follow, whether or not the desktop is still ours.
    void setPausedEverywhere(PauseReason reason, bool paused);
    void handleWake();
    void recoverAfterWake();
    void reassertWindows();
    void resumePlayers();
    void bringWindowsForward();
    void applyPauses();
    void setDesktopPicture(const QUrl& picture, const ConnectedDisplay& display, const QString& screenKey);
    // The display's number compared with the main display's: the main one keeps its picture at lock.
    bool isMainDisplay(const ConnectedDisplay& display) const;

    DesktopEnvironment m_environment;
    MainAppWatcher m_mainAppWatcher;

    // Players go before the windows whose views they show in.
    Windows m_windows;
    DesktopImageViews m_imageViews;
    VideoPlayers m_videoPlayers;
    ScreenModelMap m_screenModels;
    bool m_isActive = false;
    // Windows shown now go beneath those of a Lanto that is about to quit.
    bool m_beneathLanto = false;
    // The Lanto process whose end was acted on last.
    qint64 m_reclaimedPid = 0;
    QMap<QString, QUrl> m_preLockDesktopByDisplay;
    std::optional<QUrl> m_blackoutImageURL;
    DesktopPauses m_pauses;
    // Last, so that no second pass after a wake runs once the rest is gone.
    DelayedTasks m_wakeRecovery;
    // The windows given up stay on screen, under Lanto's, until Lanto ends the agent or this runs.
    WorkItemPtr m_teardown;
    std::unique_ptr<VideosShown> m_shown;
};
