#pragma once

#include "Wallpaper.h"

#include <QString>

#include <optional>

// The lock-screen manager as the library sees it. Main thread.
class LockScreen
{
public:
    virtual ~LockScreen() = default;

    // Places a video wallpaper on the lock screen, on the display with that
    // UUID or the main one, when lock-screen wallpapers are on; returns at once.
    virtual void inject(const Wallpaper& wallpaper, const std::optional<QString>& displayUUID) = 0;
    // Takes the wallpaper off the lock screen when it is placed there.
    virtual void remove(const Wallpaper& wallpaper) = 0;
};
