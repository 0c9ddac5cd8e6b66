#pragma once

#include "Displays.h"
#include "RunningApplications.h"
#include "ScreenModel.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QUrl>

#include <map>
#include <memory>

class DesktopImageView;
class DesktopWindow;

// The single owner of everything that puts a wallpaper on the desktop: one
// desktop window per display with its image view, and the per-display records.
// Every per-display map is keyed by the display's screen id. Main thread only,
// except blackoutImageURL().
class DesktopWindowController : public QObject
{
    Q_OBJECT

public:
    explicit DesktopWindowController(RunningApplications& runningApplications, QObject* parent = nullptr);
    ~DesktopWindowController() override;

    // The desktop window of each display; the controller owns them.
    const std::map<QString, std::unique_ptr<DesktopWindow>>& windows() const { return m_windows; }
    // The image view inside each window; it lives as long as its window.
    const QMap<QString, DesktopImageView*>& imageViews() const { return m_imageViews; }
    // The per-display records, connected or not.
    ScreenModelMap& screenModels() { return m_screenModels; }
    const ScreenModelMap& screenModels() const { return m_screenModels; }

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
    // Closes and deletes the window of screenId, and drops its image view.
    void dropWindow(const QString& screenId);

    RunningApplications& m_runningApplications;
    std::map<QString, std::unique_ptr<DesktopWindow>> m_windows;
    QMap<QString, DesktopImageView*> m_imageViews;
    ScreenModelMap m_screenModels;
};
