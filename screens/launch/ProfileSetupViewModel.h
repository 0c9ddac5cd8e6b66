#pragma once

#include "Scheduler.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <optional>

class AuthService;
class LantoAPIClient;
class LantoSettings;
class ServiceError;

// The handle set-up after the first sign-in: keeps the typed handle clean,
// judges it by the local rules, asks the service whether it is free once
// typing pauses, and saves it to the profile. Main thread only.
class ProfileSetupViewModel : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString handle READ handle WRITE setHandle NOTIFY handleChanged)
    Q_PROPERTY(Verdict verdict READ verdict NOTIFY verdictChanged)
    Q_PROPERTY(QVariant availabilityReason READ availabilityReason NOTIFY verdictChanged)
    Q_PROPERTY(bool isChecking READ isChecking NOTIFY isCheckingChanged)
    Q_PROPERTY(bool isSaving READ isSaving NOTIFY isSavingChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(bool canContinue READ canContinue NOTIFY canContinueChanged)

public:
    // The verdict on the current handle: none yet, free, or not usable (capitalised for QML).
    enum class Verdict { NoVerdict, Available, Unavailable };
    Q_ENUM(Verdict)

    static constexpr std::chrono::milliseconds checkDelay { 500 };

    // Over the environment's account, client and settings, on the main thread's clock.
    explicit ProfileSetupViewModel(QObject* parent = nullptr);
    ProfileSetupViewModel(AuthService& auth, LantoAPIClient& client, LantoSettings& settings, Scheduler& scheduler,
        QObject* parent = nullptr);
    ~ProfileSetupViewModel() override;

    QString handle() const { return m_handle; }
    // Every edit of the field; the handle becomes its sanitised form.
    void setHandle(const QString& input);
    Verdict verdict() const;
    // The text beside a negative verdict; null when there is none.
    QVariant availabilityReason() const;
    bool isChecking() const { return m_isChecking; }
    bool isSaving() const { return m_isSaving; }
    QString errorMessage() const { return m_errorMessage; }
    bool canContinue() const;

    // Stores the handle on the service; does nothing unless canContinue.
    Q_INVOKABLE void save();

signals:
    void handleChanged();
    void verdictChanged();
    void isCheckingChanged();
    void isSavingChanged();
    void errorMessageChanged();
    void canContinueChanged();
    // The service took the handle; emitted once.
    void complete();

private:
    void judgeHandle();
    void startCheck();
    void cancelCheck();
    void requestAvailability(const QString& handle, quint64 check);
    void didSave(const QString& savedHandle);
    void showSaveError(const ServiceError& error, const QString& sentHandle);

    void setVerdict(std::optional<bool> isAvailable, const std::optional<QString>& reason);
    void setIsChecking(bool checking);
    void setIsSaving(bool saving);
    void setErrorMessage(const QString& message);
    // Runs a change and tells observers of canContinue when it moved.
    template <typename Change> void changing(Change&& change);

    AuthService& m_auth;
    LantoAPIClient& m_client;
    LantoSettings& m_settings;
    Scheduler& m_scheduler;

    QString m_handle;
    std::optional<bool> m_isAvailable;
    std::optional<QString> m_availabilityReason;
    bool m_isChecking = false;
    bool m_isSaving = false;
    bool m_saved = false;
    QString m_errorMessage;
    WorkItemPtr m_pendingCheck;
    // The check whose answer may still be applied; every edit moves it on.
    quint64 m_currentCheck = 0;
};
