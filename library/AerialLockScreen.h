#pragma once

#include "LockScreen.h"

class LockScreenManager;

// The library's view of the lock-screen manager.
class AerialLockScreen final : public LockScreen
{
public:
    explicit AerialLockScreen(LockScreenManager& manager) : m_manager(manager) { }

    void inject(const Wallpaper& wallpaper, const std::optional<QString>& displayUUID) override;
    void remove(const Wallpaper& wallpaper) override;

private:
    LockScreenManager& m_manager;
};
