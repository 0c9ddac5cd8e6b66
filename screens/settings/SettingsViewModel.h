#pragma once

#include "SettingsBackends.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

class LantoSettings;

// The values of the settings screen: read once when it is made, each change
// written at once to where the value lives. Nobody is told of a change; the
// parts that use a value read it when they next need it. Main thread only.
class SettingsViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(bool pauseOnBattery READ pauseOnBattery WRITE setPauseOnBattery NOTIFY pauseOnBatteryChanged)
    Q_PROPERTY(bool pauseOnFullscreen READ pauseOnFullscreen WRITE setPauseOnFullscreen NOTIFY pauseOnFullscreenChanged)
    Q_PROPERTY(bool reducedFrameRate READ reducedFrameRate WRITE setReducedFrameRate NOTIFY reducedFrameRateChanged)
    Q_PROPERTY(bool respectReduceMotion READ respectReduceMotion WRITE setRespectReduceMotion
                   NOTIFY respectReduceMotionChanged)
    Q_PROPERTY(bool autoUpdateEnabled READ autoUpdateEnabled WRITE setAutoUpdateEnabled NOTIFY autoUpdateEnabledChanged)
    Q_PROPERTY(QString appLanguage READ appLanguage WRITE setAppLanguage NOTIFY appLanguageChanged)
    Q_PROPERTY(QString version READ version CONSTANT)
    // "Check for Updates…" is offered while the updater can start a check.
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged)

public:
    // Over the environment's settings store and the installed backends.
    explicit SettingsViewModel(QObject* parent = nullptr);
    SettingsViewModel(LantoSettings& settings, const SettingsBackends& backends, QObject* parent = nullptr);

    bool launchAtLogin() const { return m_launchAtLogin; }
    // Also registers or removes the agent's login item.
    void setLaunchAtLogin(bool on);
    bool pauseOnBattery() const { return m_pauseOnBattery; }
    void setPauseOnBattery(bool on);
    bool pauseOnFullscreen() const { return m_pauseOnFullscreen; }
    void setPauseOnFullscreen(bool on);
    bool reducedFrameRate() const { return m_reducedFrameRate; }
    void setReducedFrameRate(bool on);
    bool respectReduceMotion() const { return m_respectReduceMotion; }
    void setRespectReduceMotion(bool on);
    bool autoUpdateEnabled() const { return m_autoUpdateEnabled; }
    void setAutoUpdateEnabled(bool on);
    QString appLanguage() const { return m_appLanguage; }
    void setAppLanguage(const QString& code);
    bool canCheckForUpdates() const;
    // A check that shows its outcome; nothing while one runs.
    Q_INVOKABLE void checkForUpdates();
    // The application's version, "1.0" when it has none.
    QString version() const;
    // The version line's text for a bundle version ("0" or empty: unknown).
    static QString versionText(const QString& bundleVersion);

signals:
    void launchAtLoginChanged();
    void pauseOnBatteryChanged();
    void pauseOnFullscreenChanged();
    void reducedFrameRateChanged();
    void respectReduceMotionChanged();
    void autoUpdateEnabledChanged();
    void appLanguageChanged();
    void canCheckForUpdatesChanged();

private:
    // Stores a switch of the settings store; false when the value was already so.
    bool store(bool& field, bool on, const QString& key, void (SettingsViewModel::*changed)());

    LantoSettings& m_settings;
    const SettingsBackends m_backends;

    bool m_launchAtLogin;
    bool m_pauseOnBattery;
    bool m_pauseOnFullscreen;
    bool m_reducedFrameRate;
    bool m_respectReduceMotion;
    bool m_autoUpdateEnabled;
    QString m_appLanguage;
};
