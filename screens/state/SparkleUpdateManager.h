#pragma once

#include "Appcast.h"
#include "AppcastFeed.h"
#include "Updater.h"

#include "InstalledInstance.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

class QJSEngine;
class QNetworkAccessManager;
class QQmlEngine;
class Scheduler;
class UserDefaults;

// The one place that talks to the updater: it switches automatic checks on at
// first launch, runs its own check of the feed when the main window opens, and
// publishes whether a newer release is known and its version for the sidebar's
// badge and the launch gate. QML reaches the installed instance as the
// singleton SparkleUpdateManager. Main thread.
class SparkleUpdateManager : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool updateAvailable READ updateAvailable WRITE setUpdateAvailable NOTIFY updateAvailableChanged)
    Q_PROPERTY(QString newVersion READ newVersionText NOTIFY newVersionChanged)
    Q_PROPERTY(bool automaticallyChecksForUpdates READ automaticallyChecksForUpdates WRITE
            setAutomaticallyChecksForUpdates NOTIFY automaticallyChecksForUpdatesChanged)
    Q_PROPERTY(bool automaticallyDownloadsUpdates READ automaticallyDownloadsUpdates WRITE
            setAutomaticallyDownloadsUpdates NOTIFY automaticallyDownloadsUpdatesChanged)
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)

public:
    // How a check the user asked for ended, for the window that shows it.
    enum class CheckOutcome { UpToDate, UpdateAvailable, Failed };
    Q_ENUM(CheckOutcome)

    // The feed of this build, unless LANTO_UPDATE_FEED_URL names another (logged once).
    static QUrl feedURL();
    // The version and build of this program.
    static Updater::Versions bundleVersions();

    // Makes the manager the one QML sees; it must outlive every engine.
    static void install(SparkleUpdateManager* object) { InstalledInstance<SparkleUpdateManager>::install(object); }
    static SparkleUpdateManager* create(QQmlEngine* engine, QJSEngine* js)
    {
        return InstalledInstance<SparkleUpdateManager>::create(engine, js);
    }

    SparkleUpdateManager(QNetworkAccessManager& network, UserDefaults& defaults, Scheduler& scheduler,
        const QUrl& feedURL, const Updater::Versions& running, QObject* parent = nullptr);

    bool updateAvailable() const { return m_updateAvailable; }
    void setUpdateAvailable(bool available);
    const std::optional<QString>& newVersion() const { return m_newVersion; }
    QString newVersionText() const { return m_newVersion.value_or(QString()); }

    bool automaticallyChecksForUpdates() const { return m_updater.automaticallyChecksForUpdates(); }
    void setAutomaticallyChecksForUpdates(bool on) { m_updater.setAutomaticallyChecksForUpdates(on); }
    bool automaticallyDownloadsUpdates() const { return m_updater.automaticallyDownloadsUpdates(); }
    void setAutomaticallyDownloadsUpdates(bool on) { m_updater.setAutomaticallyDownloadsUpdates(on); }
    bool canCheckForUpdates() const { return m_updater.canCheckForUpdates(); }

    Updater& updater() { return m_updater; }
    AppcastFeed& feed() { return m_feed; }

    // The installer of a downloaded release. The updater here downloads
    // nothing, so there never is one; callers check for updates instead.
    const std::function<void()>& immediateInstallHandler() const { return m_immediateInstallHandler; }

    // A newer release found elsewhere (the splash's check): the badge offers it.
    void offerUpdate(const QString& version) { publish(version); }

    // The manager's own check of the feed; ends with appcastChecked().
    Q_INVOKABLE void checkAppcast();
    // The newest release the feed names.
    static std::optional<Appcast::Item> parseAppcast(const QByteArray& feed);

    // A check that shows its outcome (menu command, sidebar badge).
    Q_INVOKABLE void checkForUpdates() { m_updater.checkForUpdates(); }
    Q_INVOKABLE void checkForUpdatesInBackground() { m_updater.checkForUpdatesInBackground(); }

signals:
    void updateAvailableChanged();
    void newVersionChanged();
    void automaticallyChecksForUpdatesChanged();
    void automaticallyDownloadsUpdatesChanged();
    void canCheckForUpdatesChanged();
    void appcastChecked();
    // A check the user asked for ended: what the update window shows.
    void userCheckFinished(SparkleUpdateManager::CheckOutcome outcome, const QString& version, const QString& error);

private:
    void publish(const QString& version);
    void showUserCheck(Updater::Outcome outcome, const Appcast::Item& item, const QString& error);

    bool m_updateAvailable = false;
    std::optional<QString> m_newVersion;
    AppcastFeed m_feed;
    Updater m_updater;
    std::function<void()> m_immediateInstallHandler;
};
