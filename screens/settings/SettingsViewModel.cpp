#include "SettingsViewModel.h"

#include "EnvironmentServices.h"
#include "LantoSettings.h"
#include "LoginItem.h"
#include "SparkleUpdateManager.h"
#include "UserDefaults.h"

namespace {

const QString appLanguageKey = QStringLiteral("appLanguage");

} // namespace

SettingsViewModel::SettingsViewModel(QObject* parent)
    : SettingsViewModel(EnvironmentServices::settings(), SettingsBackends::installed(), parent)
{
}

SettingsViewModel::SettingsViewModel(LantoSettings& settings, const SettingsBackends& backends, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_backends(backends)
    , m_launchAtLogin(settings.boolValue(SettingsKey::launchAtLogin, false))
    , m_pauseOnBattery(settings.boolValue(SettingsKey::pauseOnBattery, false))
    , m_pauseOnFullscreen(settings.boolValue(SettingsKey::pauseOnFullscreen, false))
    , m_reducedFrameRate(settings.boolValue(SettingsKey::reducedFrameRate, false))
    , m_respectReduceMotion(settings.boolValue(SettingsKey::respectReduceMotion, false))
    , m_autoUpdateEnabled(backends.updates && backends.updates->automaticallyChecksForUpdates())
    , m_appLanguage(backends.defaults ? backends.defaults->string(appLanguageKey).value_or(QString()) : QString())
{
    if (m_backends.updates)
        connect(m_backends.updates, &SparkleUpdateManager::canCheckForUpdatesChanged, this,
                &SettingsViewModel::canCheckForUpdatesChanged);
}

bool SettingsViewModel::canCheckForUpdates() const
{
    return m_backends.updates && m_backends.updates->canCheckForUpdates();
}

void SettingsViewModel::checkForUpdates()
{
    if (canCheckForUpdates())
        m_backends.updates->checkForUpdates();
}

bool SettingsViewModel::store(bool& field, bool on, const QString& key, void (SettingsViewModel::*changed)())
{
    if (field == on)
        return false;
    field = on;
    m_settings.set(key, PlistValue(on));
    emit(this->*changed)();
    return true;
}

void SettingsViewModel::setLaunchAtLogin(bool on)
{
    if (store(m_launchAtLogin, on, SettingsKey::launchAtLogin, &SettingsViewModel::launchAtLoginChanged)
        && m_backends.loginItem) {
        // A failure leaves no trace: the switch and the stored value keep the choice.
        if (on)
            m_backends.loginItem->registerItem();
        else
            m_backends.loginItem->unregisterItem();
    }
}

void SettingsViewModel::setPauseOnBattery(bool on)
{
    store(m_pauseOnBattery, on, SettingsKey::pauseOnBattery, &SettingsViewModel::pauseOnBatteryChanged);
}

void SettingsViewModel::setPauseOnFullscreen(bool on)
{
    store(m_pauseOnFullscreen, on, SettingsKey::pauseOnFullscreen, &SettingsViewModel::pauseOnFullscreenChanged);
}

void SettingsViewModel::setReducedFrameRate(bool on)
{
    store(m_reducedFrameRate, on, SettingsKey::reducedFrameRate, &SettingsViewModel::reducedFrameRateChanged);
}

void SettingsViewModel::setRespectReduceMotion(bool on)
{
    store(m_respectReduceMotion, on, SettingsKey::respectReduceMotion, &SettingsViewModel::respectReduceMotionChanged);
}

void SettingsViewModel::setAutoUpdateEnabled(bool on)
{
    if (m_autoUpdateEnabled == on)
        return;
    m_autoUpdateEnabled = on;
    if (m_backends.updates) {
        m_backends.updates->setAutomaticallyChecksForUpdates(on);
        m_backends.updates->setAutomaticallyDownloadsUpdates(on);
    }
    emit autoUpdateEnabledChanged();
}

void SettingsViewModel::setAppLanguage(const QString& code)
{
    if (m_appLanguage == code)
        return;
    m_appLanguage = code;
    if (m_backends.defaults)
        m_backends.defaults->setString(appLanguageKey, code);
    emit appLanguageChanged();
}

QString SettingsViewModel::version() const
{
    return versionText(SparkleUpdateManager::bundleVersions().shortVersion);
}

QString SettingsViewModel::versionText(const QString& bundleVersion)
{
    return bundleVersion.isEmpty() || bundleVersion == u"0" ? QStringLiteral("1.0") : bundleVersion;
}
