#pragma once

#include "DesktopShows.h"
#include "ScreenRecords.h"

class DesktopWindowController;

// The library's view of the one desktop controller. Main thread.
class ControllerDesktop final : public ScreenRecords, public DesktopShows
{
public:
    explicit ControllerDesktop(DesktopWindowController& controller) : m_controller(controller) { }

    QList<ScreenModel> connectedScreens() const override;
    void setOnScreensChanged(std::function<void()> callback) override;

    ScreenModelMap screenModels() const override;
    void setWallpaperID(const QString& screenKey, const QUuid& wallpaperID) override;
    void showPicture(const QUrl& pictureURL, const std::optional<QString>& screenKey) override;
    void showVideo(const QUrl& videoURL, const std::optional<QString>& screenKey) override;
    void removeWallpaper(const std::optional<QString>& screenKey) override;

private:
    DesktopWindowController& m_controller;
};
