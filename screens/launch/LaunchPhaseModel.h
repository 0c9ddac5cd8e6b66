#pragma once

#include "AuthService.h"
#include "Scheduler.h"
#include "SparkleUpdateManager.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <functional>

// Which of the main window's four launch phases shows: the splash, the
// welcome while signed out, the handle set-up while the account needs one, and
// the main window. While the splash shows it checks the feed for a newer
// version; when the splash ends with one known and an installer for it, it
// stays on the splash showing the update, and moves on after `updateFallback`
// at the latest. With no installer it goes on at once and the sidebar's badge
// offers the release. Main thread.
class LaunchPhaseModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AuthService* auth READ auth WRITE setAuth NOTIFY authChanged)
    Q_PROPERTY(SparkleUpdateManager* updates READ updates WRITE setUpdates NOTIFY updatesChanged)
    Q_PROPERTY(Phase phase READ phase NOTIFY phaseChanged)
    Q_PROPERTY(QString updateVersion READ updateVersion NOTIFY updateVersionChanged)
    Q_PROPERTY(bool isUpdating READ isUpdating NOTIFY isUpdatingChanged)
    // What the splash shows in its update line; it shows the line only while isUpdating.
    Q_PROPERTY(QString splashVersion READ splashVersion NOTIFY splashVersionChanged)

public:
    enum class Phase { Splash, Onboarding, ProfileSetup, App };
    Q_ENUM(Phase)

    static constexpr std::chrono::seconds updateFallback { 30 };

    explicit LaunchPhaseModel(QObject* parent = nullptr);
    // The fallback runs on this scheduler instead of the main thread's clock.
    explicit LaunchPhaseModel(Scheduler& scheduler, QObject* parent = nullptr);
    ~LaunchPhaseModel() override;

    AuthService* auth() const { return m_auth; }
    void setAuth(AuthService* auth);
    SparkleUpdateManager* updates() const { return m_updates; }
    void setUpdates(SparkleUpdateManager* updates);

    Phase phase() const { return m_phase; }
    QString updateVersion() const { return m_updateVersion; }
    bool isUpdating() const { return m_isUpdating; }
    QString splashVersion() const;

    // The splash's own look at the feed: the first short version it names,
    // when it is newer than this program's. Ignored once the splash is gone.
    Q_INVOKABLE void checkAppcast();
    // The splash's time is up.
    Q_INVOKABLE void finishSplash();
    // The welcome screen's sign-in is done.
    Q_INVOKABLE void completeOnboarding();
    // The handle is chosen.
    Q_INVOKABLE void completeProfileSetup();

    // The phase the account calls for.
    static Phase phaseFor(bool isSignedIn, bool needsProfileSetup);

signals:
    void authChanged();
    void updatesChanged();
    void phaseChanged();
    void updateVersionChanged();
    void isUpdatingChanged();
    void splashVersionChanged();
    void appcastChecked();

private:
    void choosePhase();
    void setPhase(Phase phase);
    void signedInChanged();

    Scheduler& m_scheduler;
    QPointer<AuthService> m_auth;
    QPointer<SparkleUpdateManager> m_updates;
    QMetaObject::Connection m_signedInConnection;
    Phase m_phase = Phase::Splash;
    QString m_updateVersion;
    bool m_isUpdating = false;
    WorkItemPtr m_fallback;
};
