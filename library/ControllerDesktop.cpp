#include "ControllerDesktop.h"

#include "DesktopWindowController.h"

QList<ScreenModel> ControllerDesktop::connectedScreens() const { return m_controller.connectedScreens(); }

void ControllerDesktop::setOnScreensChanged(std::function<void()> callback)
{
    m_controller.setOnScreensChanged(std::move(callback));
}

ScreenModelMap ControllerDesktop::screenModels() const { return m_controller.screenModels(); }

void ControllerDesktop::setWallpaperID(const QString& screenKey, const QUuid& wallpaperID)
{
    m_controller.setWallpaperID(screenKey, wallpaperID);
}

void ControllerDesktop::showPicture(const QUrl& pictureURL, const std::optional<QString>& screenKey)
{
    if (screenKey)
        m_controller.showWallpaper(pictureURL, *screenKey);
    else
        m_controller.showWallpaper(pictureURL);
}

void ControllerDesktop::showVideo(const QUrl& videoURL, const std::optional<QString>& screenKey)
{
    if (screenKey)
        m_controller.showVideoWallpaper(videoURL, *screenKey);
    else
        m_controller.showVideoWallpaper(videoURL);
}

void ControllerDesktop::removeWallpaper(const std::optional<QString>& screenKey)
{
    if (screenKey)
        m_controller.removeWallpaper(*screenKey);
    else
        m_controller.removeWallpaper();
}
