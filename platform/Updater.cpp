#include "Updater.h"

#include "AppcastFeed.h"
#include "UserDefaults.h"

using namespace Qt::StringLiterals;

Updater::Updater(AppcastFeed& feed, UserDefaults& defaults, Versions running, Scheduler& scheduler, QObject* parent)
    : QObject(parent), m_feed(feed), m_defaults(defaults), m_running(std::move(running)), m_scheduler(scheduler)
{
}

Updater::~Updater()
{
    if (m_nextCheck)
        m_nextCheck->cancel();
}

void Updater::start() { scheduleNextCheck(); }

bool Updater::automaticallyChecksForUpdates() const { return switchValue(UpdaterDefaultsKey::automaticChecks); }

void Updater::setAutomaticallyChecksForUpdates(bool on)
{
    if (setSwitch(UpdaterDefaultsKey::automaticChecks, on)) {
        scheduleNextCheck();
        emit automaticallyChecksForUpdatesChanged();
    }
}

bool Updater::automaticallyDownloadsUpdates() const { return switchValue(UpdaterDefaultsKey::automaticDownloads); }

void Updater::setAutomaticallyDownloadsUpdates(bool on)
{
    if (setSwitch(UpdaterDefaultsKey::automaticDownloads, on))
        emit automaticallyDownloadsUpdatesChanged();
}

bool Updater::switchValue(const QString& key) const { return m_defaults.boolValue(key).value_or(true); }

bool Updater::setSwitch(const QString& key, bool on)
{
    if (on == switchValue(key))
        return false;
    m_defaults.setBool(key, on);
    return true;
}

void Updater::checkForUpdates() { check(Kind::userInitiated); }

void Updater::checkForUpdatesInBackground() { check(Kind::background); }

void Updater::check(Kind kind)
{
    if (m_checking)
        return;
    setChecking(true);
    m_feed.fetch(this, [this, kind](const AppcastFeed::Response& response) {
        if (!response.body) {
            finish(kind, Outcome::failed, {}, response.error);
            return;
        }
        const std::optional<QList<Appcast::Item>> items = Appcast::read(*response.body);
        if (!items) {
            finish(kind, Outcome::failed, {}, u"The update feed could not be read"_s);
            return;
        }
        const std::optional<Appcast::Item> newest = Appcast::newest(*items);
        if (newest && Appcast::isNewer(*newest, m_running.shortVersion, m_running.version))
            finish(kind, Outcome::updateAvailable, *newest, {});
        else
            finish(kind, Outcome::upToDate, {}, {});
    });
}

void Updater::finish(Kind kind, Outcome outcome, const Appcast::Item& item, const QString& error)
{
    setChecking(false);
    if (outcome == Outcome::updateAvailable) {
        emit validUpdateFound(item);
        if (kind == Kind::background)
            emit scheduledUpdateFound(item, false);
    }
    if (kind == Kind::userInitiated)
        emit userCheckFinished(outcome, item, error);
}

void Updater::scheduleNextCheck()
{
    if (m_nextCheck)
        m_nextCheck->cancel();
    m_nextCheck.reset();
    if (!automaticallyChecksForUpdates())
        return;
    m_nextCheck = m_scheduler.after(scheduledCheckInterval, [this] {
        checkForUpdatesInBackground();
        scheduleNextCheck();
    });
}

void Updater::setChecking(bool checking)
{
    if (m_checking == checking)
        return;
    m_checking = checking;
    emit canCheckForUpdatesChanged();
}
