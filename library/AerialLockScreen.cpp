#include "AerialLockScreen.h"

#include "LockScreenManager.h"

void AerialLockScreen::inject(const Wallpaper& wallpaper, const std::optional<QString>& displayUUID)
{
    // The placement runs on the manager's own threads; nothing here waits for it.
    m_manager.inject(wallpaper, displayUUID);
}

void AerialLockScreen::remove(const Wallpaper& wallpaper) { m_manager.remove(wallpaper); }
