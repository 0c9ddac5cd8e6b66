#include "WallpaperProcessKiller.h"

#include "SystemCommands.h"

using namespace std::chrono_literals;

namespace {
constexpr auto killCooldown = 2000ms;
constexpr auto killTimeout = 10s;
}

void WallpaperProcessKiller::kill(const QString& processName, Scheduler::Clock::time_point now)
{
    const auto last = m_lastKillAt.constFind(processName);
    if (last != m_lastKillAt.cend() && now - *last < killCooldown) {
        m_info(QStringLiteral("SIGKILL cooldown — skipping kill of %1").arg(processName));
        return;
    }
    // Set before the attempt, so a failed attempt starts the cooldown too.
    m_lastKillAt.insert(processName, now);
    const SystemCommands::Result result
        = m_commands.killall(processName, SystemCommands::KillSignal::Kill, killTimeout);
    if (!result.started) {
        m_error(QStringLiteral("Failed to kill %1 — %2").arg(processName, result.error));
        return;
    }
    if (result.exitCode == 0)
        m_info(QStringLiteral("SIGKILL'd %1").arg(processName));
}
