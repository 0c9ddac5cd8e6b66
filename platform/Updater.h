#pragma once

#include "Appcast.h"
#include "Scheduler.h"

#include <QObject>
#include <QString>

#include <chrono>

class AppcastFeed;
class UserDefaults;

// The keys the updater reads its switches from.
namespace UpdaterDefaultsKey {
inline const QString automaticChecks = QStringLiteral("SUEnableAutomaticChecks");
inline const QString automaticDownloads = QStringLiteral("SUAutomaticallyUpdate");
} // namespace UpdaterDefaultsKey

// Our stand-in for an update framework: it reads the feed, checks on a
// schedule while automatic checks are on, and tells who listens what it found.
// It cannot install anything here: a newer release is only reported, and the
// automatic-download switch is kept for the settings screen alone. Main thread.
class Updater : public QObject
{
    Q_OBJECT

public:
    struct Versions
    {
        QString shortVersion; // what users see, "0" when unknown
        QString version; // the build, "0" when unknown
    };

    // How a check the user asked for ended.
    enum class Outcome { upToDate, updateAvailable, failed };
    Q_ENUM(Outcome)

    static constexpr std::chrono::hours scheduledCheckInterval { 24 };

    Updater(
        AppcastFeed& feed, UserDefaults& defaults, Versions running, Scheduler& scheduler, QObject* parent = nullptr);
    ~Updater() override;

    // Starts the scheduled checks (while automatic checks are on).
    void start();

    const Versions& runningVersions() const { return m_running; }
    AppcastFeed& feed() { return m_feed; }

    bool automaticallyChecksForUpdates() const;
    void setAutomaticallyChecksForUpdates(bool on);
    bool automaticallyDownloadsUpdates() const;
    void setAutomaticallyDownloadsUpdates(bool on);
    // False while a check runs.
    bool canCheckForUpdates() const { return !m_checking; }

    // A check the user asked for: its outcome is shown to the user.
    void checkForUpdates();
    // A silent check: only a newer release is reported.
    void checkForUpdatesInBackground();

signals:
    // Any check found a release newer than the running one.
    void validUpdateFound(const Appcast::Item& item);
    // A scheduled or background check found one; the listener shows it its own way.
    void scheduledUpdateFound(const Appcast::Item& item, bool immediateFocus);
    // A check the user asked for ended; item is set for updateAvailable, error for failed.
    void userCheckFinished(Outcome outcome, const Appcast::Item& item, const QString& error);
    void canCheckForUpdatesChanged();
    void automaticallyChecksForUpdatesChanged();
    void automaticallyDownloadsUpdatesChanged();

private:
    enum class Kind { userInitiated, background };

    // Absent or unreadable switches are on.
    bool switchValue(const QString& key) const;
    // Stores the switch; false when it was already so.
    bool setSwitch(const QString& key, bool on);
    void check(Kind kind);
    void finish(Kind kind, Outcome outcome, const Appcast::Item& item, const QString& error);
    void scheduleNextCheck();
    void setChecking(bool checking);

    AppcastFeed& m_feed;
    UserDefaults& m_defaults;
    const Versions m_running;
    Scheduler& m_scheduler;
    bool m_checking = false;
    WorkItemPtr m_nextCheck;
};
