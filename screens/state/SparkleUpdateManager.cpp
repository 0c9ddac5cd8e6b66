#include "SparkleUpdateManager.h"

#include "Log.h"
#include "UserDefaults.h"

using namespace Qt::StringLiterals;

namespace {

// Automatic checks and downloads are on at first launch; a later choice stays.
void enableAutomaticUpdatesOnFirstLaunch(UserDefaults& defaults)
{
    for (const QString& key : { UpdaterDefaultsKey::automaticChecks, UpdaterDefaultsKey::automaticDownloads }) {
        if (!defaults.contains(key))
            defaults.setBool(key, true);
    }
}

UserDefaults& prepared(UserDefaults& defaults)
{
    enableAutomaticUpdatesOnFirstLaunch(defaults);
    return defaults;
}

} // namespace

QUrl SparkleUpdateManager::feedURL()
{
    static const QUrl url = [] {
        const QUrl override(qEnvironmentVariable("LANTO_UPDATE_FEED_URL"), QUrl::StrictMode);
        if (override.isValid() && !override.isRelative()) {
            Log::write(u"Lanto: Using the update feed from LANTO_UPDATE_FEED_URL — "_s + override.toString());
            return override;
        }
        return QUrl(QStringLiteral(LANTO_UPDATE_FEED_URL));
    }();
    return url;
}

Updater::Versions SparkleUpdateManager::bundleVersions()
{
    return { QStringLiteral(LANTO_SHORT_VERSION), QStringLiteral(LANTO_BUILD_VERSION) };
}

SparkleUpdateManager::SparkleUpdateManager(QNetworkAccessManager& network, UserDefaults& defaults, Scheduler& scheduler,
    const QUrl& feedURL, const Updater::Versions& running, QObject* parent)
    : QObject(parent), m_feed(network, feedURL), m_updater(m_feed, prepared(defaults), running, scheduler)
{
    connect(&m_updater, &Updater::validUpdateFound, this,
        [this](const Appcast::Item& item) { publish(item.shortVersion); });
    // Never shown by the updater itself; the badge tells of it instead.
    connect(&m_updater, &Updater::scheduledUpdateFound, this, [this](const Appcast::Item& item, bool immediateFocus) {
        if (!immediateFocus)
            publish(item.shortVersion);
    });
    connect(&m_updater, &Updater::userCheckFinished, this, &SparkleUpdateManager::showUserCheck);
    connect(&m_updater, &Updater::canCheckForUpdatesChanged, this, &SparkleUpdateManager::canCheckForUpdatesChanged);
    connect(&m_updater, &Updater::automaticallyChecksForUpdatesChanged, this,
        &SparkleUpdateManager::automaticallyChecksForUpdatesChanged);
    connect(&m_updater, &Updater::automaticallyDownloadsUpdatesChanged, this,
        &SparkleUpdateManager::automaticallyDownloadsUpdatesChanged);
    m_updater.start();
}

void SparkleUpdateManager::setUpdateAvailable(bool available)
{
    if (m_updateAvailable == available)
        return;
    m_updateAvailable = available;
    emit updateAvailableChanged();
}

void SparkleUpdateManager::publish(const QString& version)
{
    if (m_newVersion != version) {
        m_newVersion = version;
        emit newVersionChanged();
    }
    setUpdateAvailable(true);
}

void SparkleUpdateManager::showUserCheck(Updater::Outcome outcome, const Appcast::Item& item, const QString& error)
{
    switch (outcome) {
    case Updater::Outcome::updateAvailable:
        // The update window shows it now; the badge gives way.
        setUpdateAvailable(false);
        emit userCheckFinished(CheckOutcome::UpdateAvailable, item.shortVersion, {});
        return;
    case Updater::Outcome::upToDate:
        emit userCheckFinished(CheckOutcome::UpToDate, {}, {});
        return;
    case Updater::Outcome::failed:
        break;
    }
    emit userCheckFinished(CheckOutcome::Failed, {}, error);
}

std::optional<Appcast::Item> SparkleUpdateManager::parseAppcast(const QByteArray& feed)
{
    return Appcast::newest(Appcast::read(feed).value_or(QList<Appcast::Item> {}));
}

void SparkleUpdateManager::checkAppcast()
{
    m_feed.fetch(this, [this](const AppcastFeed::Response& response) {
        if (!response.body) {
            Log::write(u"Lanto: Update check failed — "_s + response.error);
        } else if (const std::optional<Appcast::Item> remote = parseAppcast(*response.body)) {
            const Updater::Versions& running = m_updater.runningVersions();
            if (Appcast::isNewer(*remote, running.shortVersion, running.version))
                publish(remote->shortVersion);
        }
        emit appcastChecked();
    });
}
