#pragma once

#include "Scheduler.h"

#include <QMap>
#include <QString>

#include <functional>

class SystemCommands;

// Ends the system's wallpaper processes by name with "killall -9", at most
// once per name every 2 s. Each program keeps its own, so their cooldowns are
// independent. Not thread-safe: the owner serialises calls.
class WallpaperProcessKiller
{
public:
    using Logger = std::function<void(const QString&)>;

    WallpaperProcessKiller(SystemCommands& commands, Logger info, Logger error)
        : m_commands(commands), m_info(std::move(info)), m_error(std::move(error))
    {
    }

    void kill(const QString& processName, Scheduler::Clock::time_point now);

private:
    SystemCommands& m_commands;
    Logger m_info;
    Logger m_error;
    QMap<QString, Scheduler::Clock::time_point> m_lastKillAt;
};
