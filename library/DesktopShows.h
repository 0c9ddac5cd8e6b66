#pragma once

#include "ScreenModel.h"

#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

// What the library's apply and removal do on the desktop, through the desktop
// controller. A screen key names one display; none means every display. Main thread.
class DesktopShows
{
public:
    virtual ~DesktopShows() = default;

    // Every display record the controller keeps, attached or not, by screen key.
    virtual ScreenModelMap screenModels() const = 0;
    // Notes in a display's record which wallpaper it is about to show.
    virtual void setWallpaperID(const QString& screenKey, const QUuid& wallpaperID) = 0;
    virtual void showPicture(const QUrl& pictureURL, const std::optional<QString>& screenKey) = 0;
    virtual void showVideo(const QUrl& videoURL, const std::optional<QString>& screenKey) = 0;
    virtual void removeWallpaper(const std::optional<QString>& screenKey) = 0;
};
