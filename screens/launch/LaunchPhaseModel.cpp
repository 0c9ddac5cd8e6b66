#include "LaunchPhaseModel.h"

#include "Appcast.h"
#include "AuthService.h"
#include "NumericVersion.h"
#include "SparkleUpdateManager.h"

LaunchPhaseModel::LaunchPhaseModel(QObject* parent) : LaunchPhaseModel(MainThreadScheduler::shared(), parent) { }

LaunchPhaseModel::LaunchPhaseModel(Scheduler& scheduler, QObject* parent) : QObject(parent), m_scheduler(scheduler) { }

LaunchPhaseModel::~LaunchPhaseModel()
{
    if (m_fallback)
        m_fallback->cancel();
}

void LaunchPhaseModel::setAuth(AuthService* auth)
{
    if (m_auth == auth)
        return;
    disconnect(m_signedInConnection);
    m_auth = auth;
    if (auth)
        m_signedInConnection = connect(auth, &AuthService::isSignedInChanged, this, &LaunchPhaseModel::signedInChanged);
    emit authChanged();
}

void LaunchPhaseModel::setUpdates(SparkleUpdateManager* updates)
{
    if (m_updates == updates)
        return;
    if (m_updates)
        disconnect(m_updates, nullptr, this, nullptr);
    m_updates = updates;
    if (updates)
        connect(updates, &SparkleUpdateManager::newVersionChanged, this, &LaunchPhaseModel::splashVersionChanged);
    emit updatesChanged();
    emit splashVersionChanged();
}

QString LaunchPhaseModel::splashVersion() const
{
    if (!m_isUpdating)
        return {};
    if (!m_updateVersion.isEmpty())
        return m_updateVersion;
    return m_updates ? m_updates->newVersionText() : QString();
}

LaunchPhaseModel::Phase LaunchPhaseModel::phaseFor(bool isSignedIn, bool needsProfileSetup)
{
    if (!isSignedIn)
        return Phase::Onboarding;
    return needsProfileSetup ? Phase::ProfileSetup : Phase::App;
}

void LaunchPhaseModel::checkAppcast()
{
    if (!m_updates || !m_updates->automaticallyChecksForUpdates() || m_phase != Phase::Splash)
        return;
    m_updates->feed().fetch(this, [this](const AppcastFeed::Response& response) {
        const std::optional<QList<Appcast::Item>> items = response.body ? Appcast::read(*response.body) : std::nullopt;
        // A check that ends after the splash changes nothing.
        if (m_phase == Phase::Splash && !m_isUpdating && items && !items->isEmpty() && m_updates) {
            const QString remote = items->first().shortVersion;
            if (NumericVersion::isGreater(remote, m_updates->updater().runningVersions().shortVersion)) {
                m_updateVersion = remote;
                emit updateVersionChanged();
            }
        }
        emit appcastChecked();
    });
}

void LaunchPhaseModel::finishSplash()
{
    if (m_phase != Phase::Splash || m_isUpdating)
        return;
    const bool updateKnown = !m_updateVersion.isEmpty() || (m_updates && m_updates->updateAvailable());
    const std::function<void()> install = m_updates ? m_updates->immediateInstallHandler() : nullptr;
    if (!updateKnown || !install) {
        // Nothing can be installed here: the user goes on at once and the sidebar's badge offers the release.
        if (!m_updateVersion.isEmpty() && m_updates)
            m_updates->offerUpdate(m_updateVersion);
        choosePhase();
        return;
    }
    m_isUpdating = true;
    emit isUpdatingChanged();
    emit splashVersionChanged();
    m_updates->setUpdateAvailable(false);
    install();
    m_fallback = m_scheduler.after(updateFallback, [this] { choosePhase(); });
}

void LaunchPhaseModel::completeOnboarding()
{
    if (m_phase != Phase::Onboarding)
        return;
    setPhase(m_auth && m_auth->needsProfileSetup() ? Phase::ProfileSetup : Phase::App);
}

void LaunchPhaseModel::completeProfileSetup()
{
    if (m_phase == Phase::ProfileSetup)
        setPhase(Phase::App);
}

void LaunchPhaseModel::choosePhase()
{
    setPhase(m_auth ? phaseFor(m_auth->isSignedIn(), m_auth->needsProfileSetup()) : Phase::Onboarding);
}

void LaunchPhaseModel::setPhase(Phase phase)
{
    if (m_phase == phase)
        return;
    m_phase = phase;
    emit phaseChanged();
}

void LaunchPhaseModel::signedInChanged()
{
    if (m_auth && !m_auth->isSignedIn() && (m_phase == Phase::App || m_phase == Phase::ProfileSetup))
        setPhase(Phase::Onboarding);
}
