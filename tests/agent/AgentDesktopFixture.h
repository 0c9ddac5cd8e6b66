#pragma once

#include "AgentDesktopController.h"
#include "DesktopFixture.h"

// The agent's desktop in the made-up world, beside "Lanto", a second store over
// the same Settings.plist that writes what the application would.
struct AgentFixture : DesktopFixture
{
    // Far above any pid in use, so that no real process is watched.
    static constexpr qint64 lantoPid = 4190001;

    LantoSettings lanto { home.appSupportPath(), settingsWrites };
    std::unique_ptr<AgentDesktopController> agent;

    AgentFixture() { settings.setOwnedKeys({ SettingsKey::screenModels }); }

    AgentDesktopController& startAgent()
    {
        agent = std::make_unique<AgentDesktopController>(environment(notifications));
        agent->start();
        return *agent;
    }

    // Lanto leaves these records on disk, as it does before it posts a notice.
    void lantoWrites(const QList<ScreenModel>& records)
    {
        ScreenModelMap map;
        for (const ScreenModel& record : records)
            map.insert(record.id(), record);
        ScreenModel::saveAll(map, lanto);
        lanto.flush();
    }

    // The display's playback position as a fresh reader of Settings.plist sees it.
    std::optional<double> positionOnDisk(const QString& key) const
    {
        VirtualScheduler writes;
        LantoSettings reader(home.appSupportPath(), writes);
        const ScreenModelMap records = ScreenModel::loadAll(reader);
        const auto found = records.constFind(key);
        return found == records.cend() ? std::nullopt : std::optional(found->playbackPosition);
    }

    void lantoRuns() { applications.add(lantoPid, BundleIdentifiers::lanto, QStringLiteral("Lanto")); }
    void lantoQuits()
    {
        applications.remove(lantoPid);
        notifications.deliver(DistributedNotificationNames::appWillTerminate);
        settle();
    }

    QUrl agentPlaying(const QString& key) const { return playing(agent->videoPlayers(), key); }
    FakePlayerBackend* agentBackend(const QString& key) const { return backend(agent->videoPlayers(), key); }
    DesktopWindow* agentWindow(const QString& key) const { return window(agent->windows(), key); }
};
