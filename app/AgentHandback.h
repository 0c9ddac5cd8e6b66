#pragma once

#include "Scheduler.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>

#include <chrono>

class DistributedNotifications;
class LantoSettings;
class RunningApplications;

// Before Lanto takes the desktop, the agent that shows it is asked to give it
// back: on "com.lanto.mac.appLaunched" it records where each video is and
// writes the settings. Lanto waits for that write (at most `timeout`) and
// reads the settings again, so that its desktop controller resumes the videos
// where the agent left them instead of where Lanto last quit; only then is the
// agent ended and started afresh. Nothing is asked when no agent runs or no
// display shows a video. Main thread.
class AgentHandback : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::seconds timeout { 2 };

    AgentHandback(const RunningApplications& applications, DistributedNotifications& notifications,
        LantoSettings& settings, Scheduler& scheduler, QObject* parent = nullptr);
    ~AgentHandback() override;

    // Asks, or finishes at once when there is nothing to ask.
    void start();
    bool isFinished() const { return m_finished; }
    // Whether the agent was asked, as it showed a video: it goes on showing it until it is ended.
    bool asked() const { return m_asked; }

signals:
    // Once; the settings hold what the agent wrote, if it wrote in time.
    void finished();

private:
    bool isAgentRunning() const;
    bool showsVideo() const;
    QByteArray settingsFile() const;
    void settingsFolderChanged();
    void finish();

    const RunningApplications& m_applications;
    DistributedNotifications& m_notifications;
    LantoSettings& m_settings;
    Scheduler& m_scheduler;
    QFileSystemWatcher m_watcher;
    QByteArray m_before;
    WorkItemPtr m_deadline;
    bool m_finished = false;
    bool m_asked = false;
};
