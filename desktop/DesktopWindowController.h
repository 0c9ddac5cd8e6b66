#pragma once

#include "CompetingApps.h"
#include "DesktopDisplaySync.h"
#include "Displays.h"
#include "RunningApplications.h"
#include "ScreenModel.h"
#include "SystemWallpapers.h"
#include "WindowOrderKeeper.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class DesktopImageView;
class DesktopPicture;
class DesktopVideoPlayer;
class PlayerBackendFactory;
class DesktopWindow;
class DistributedNotifications;
class LantoSettings;
class Scheduler;
class SystemCommands;
class Workspace;

// What the desktop controller uses of the system. Everything must outlive the controller.
struct DesktopEnvironment
{
    Displays& displays;
    Workspace& workspace;
    DistributedNotifications& notifications;
    DesktopPicture& desktopPicture;
    RunningApplications& runningApplications;
    SystemCommands& systemCommands;
    LantoSettings& settings;
    Scheduler& scheduler;
    // The per-wallpaper folders, named by hex id.
    QString downloadsDirectory;
    // Makes the players behind each display's video player.
    PlayerBackendFactory& playerBackends;
};

// The single owner of everything that puts a wallpaper on the desktop: one
// desktop window per display with its image view and video player, and the
// per-display records that both programs archive under "screenModels". It
// follows the displays, sleep, wake, the session, Spaces and occlusion, and
// keeps the system desktop picture in line with what it shows.
//
// Every per-display map is keyed by the display's screen id. The records are
// changed only through this controller's own map entries; callers get copies.
// Main thread only, except blackoutImageURL().
class DesktopWindowController : public QObject
{
    Q_OBJECT

public:
    using Windows = WindowOrderKeeper::Windows;
    using VideoPlayers = std::map<QString, std::unique_ptr<DesktopVideoPlayer>>;

    // Loads the records, watches the system, makes a window per display,
    // brings back the wallpapers that were showing and refreshes the system pictures.
    explicit DesktopWindowController(const DesktopEnvironment& environment, QObject* parent = nullptr);
    ~DesktopWindowController() override;

    const Windows& windows() const { return m_windows; }
    const DesktopImageViews& imageViews() const { return m_imageViews; }
    const VideoPlayers& videoPlayers() const { return m_videoPlayers; }
    const ScreenModelMap& screenModels() const { return m_screenModels; }
    const SystemWallpapers& systemWallpapers() const { return m_systemWallpapers; }
    const WindowOrderKeeper& windowOrder() const { return m_windowOrder; }

    // The records of the attached displays, by serial number as numbers. Copies:
    // changes go through the operations below.
    QList<ScreenModel> connectedScreens() const;
    // Records which wallpaper a display shows, as the library learns it after a show, and saves the records.
    void setWallpaperID(const QString& screenId, const std::optional<QUuid>& wallpaperID);

    // The content file of the wallpaper folder named by the hex id, by the rule of WallpaperFolder.
    std::optional<QUrl> contentFileURL(const QString& hexID) const;
    // The folder's "Poster.png" when it exists.
    std::optional<QUrl> posterURL(const QString& hexID) const;

    // A picture on every display, or on one.
    void showWallpaper(const QUrl& pictureURL);
    void showWallpaper(const QUrl& pictureURL, const QString& screenId);
    // A looping video on every display, or on one.
    void showVideoWallpaper(const QUrl& videoURL);
    void showVideoWallpaper(const QUrl& videoURL, const QString& screenId);
    // Takes the wallpaper away from every display, or from one.
    void removeWallpaper();
    void removeWallpaper(const QString& screenId);

    // Called when the application quits: records each video's position, saves, tells the agent.
    void snapshotForHandoff();

    // Called after every re-synchronisation of the displays on a display change.
    void setOnScreensChanged(std::function<void()> callback) { m_onScreensChanged = std::move(callback); }
    // Has the lock-screen aerial stamped again after a system picture change.
    void setRestampActiveAerial(std::function<void()> restamp);

    // Builds the hidden window and image view for a display and stores both
    // under screenId. A window already stored under it is closed and deleted.
    void createWindow(const ConnectedDisplay& display, const QString& screenId);

    // "Blackout.png" in the application-support folder. The first use in the
    // process writes it when no file is there; later uses do not look at the disk.
    static QUrl blackoutImageURL();
    // Writes the blackout picture unless a file, whatever it holds, is at path.
    static void ensureBlackoutImage(const QString& path);
    // Writes a 2x2 opaque black RGBA PNG to path, atomically.
    static void writeBlackoutImage(const QString& path);

    // The running applications that are other live-wallpaper programs, in the order listed.
    QList<RunningApplication> competingApps() const;
    // Asks each of them to quit, forcing those that refuse; waits for none.
    void terminateCompetingApps();

private:
    // Follows the displays and the session through the members below.
    friend class DesktopDisplaySync;

    void dropWindow(const QString& screenId);
    void dropPlayer(const QString& screenId);

    // Showing.
    void startVideo(const QString& screenId, const QUrl& videoURL);
    void applyMenuBarTint(const QUrl& videoURL, const std::optional<QList<ConnectedDisplay>>& screens);
    // Decodes the picture once for every display; logs a failure.
    static QImage loadPicture(const QUrl& pictureURL);
    void showPictureIn(const QString& screenId, const QUrl& pictureURL, const QImage& picture);
    void prepareVideo(ScreenModel& record, const QUrl& videoURL);
    static void clearWallpaper(ScreenModel& record);
    void saveAndNotify();
    ScreenModel* record(const QString& screenId);
    bool isAnyShowing() const;

    Displays& m_displays;
    Workspace& m_workspace;
    DistributedNotifications& m_notifications;
    DesktopPicture& m_desktopPicture;
    LantoSettings& m_settings;
    PlayerBackendFactory& m_playerBackends;
    Scheduler& m_scheduler;
    QString m_downloadsDirectory;

    // Players go before the windows whose views they show in.
    Windows m_windows;
    DesktopImageViews m_imageViews;
    VideoPlayers m_videoPlayers;
    ScreenModelMap m_screenModels;
    SystemWallpapers m_systemWallpapers;
    WindowOrderKeeper m_windowOrder;
    CompetingApps m_competingApps;

    bool m_isApplyingWallpaper = false;
    std::function<void()> m_onScreensChanged;
    // Last, so that its observers and retries end before the rest is gone.
    DesktopDisplaySync m_displaySync;
};
