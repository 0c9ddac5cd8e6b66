#include "ProfileSetupViewModel.h"

#include "APIModels.h"
#include "AuthService.h"
#include "EnvironmentServices.h"
#include "HandleRules.h"
#include "LantoAPIClient.h"
#include "LantoSettings.h"

using namespace Qt::StringLiterals;

namespace {

const QString handleTaken = u"This handle was just taken. Try another."_s;

// The message under the field for a failed save; none for a handle taken meanwhile, which is a verdict.
std::optional<QString> saveErrorMessage(const ServiceError& error)
{
    if (error.isHTTPError(409))
        return std::nullopt;
    if (error.isHTTPError(400))
        return u"Invalid handle format. Use 3-20 lowercase letters, numbers, or underscores."_s;
    if (error.isHTTPError(401))
        return u"Session expired. Please sign in again."_s;
    if (error.isHTTPError(500))
        return u"Server error \u2014 please try again."_s;
    return u"Failed to save. Check your connection and try again."_s;
}

} // namespace

ProfileSetupViewModel::ProfileSetupViewModel(QObject* parent)
    : ProfileSetupViewModel(EnvironmentServices::auth(), EnvironmentServices::apiClient(),
          EnvironmentServices::settings(), MainThreadScheduler::shared(), parent)
{
}

ProfileSetupViewModel::ProfileSetupViewModel(
    AuthService& auth, LantoAPIClient& client, LantoSettings& settings, Scheduler& scheduler, QObject* parent)
    : QObject(parent), m_auth(auth), m_client(client), m_settings(settings), m_scheduler(scheduler)
{
}

ProfileSetupViewModel::~ProfileSetupViewModel()
{
    cancelCheck();
}

void ProfileSetupViewModel::setHandle(const QString& input)
{
    if (input == m_handle)
        return;
    m_handle = HandleRules::sanitized(input);
    // Also when the clean text is the old one, so the field drops what was typed.
    emit handleChanged();
    judgeHandle();
}

ProfileSetupViewModel::Verdict ProfileSetupViewModel::verdict() const
{
    if (!m_isAvailable)
        return Verdict::NoVerdict;
    return *m_isAvailable ? Verdict::Available : Verdict::Unavailable;
}

QVariant ProfileSetupViewModel::availabilityReason() const
{
    return m_availabilityReason ? QVariant(*m_availabilityReason) : QVariant();
}

bool ProfileSetupViewModel::canContinue() const
{
    return !m_saved && HandleRules::characterCount(m_handle) >= HandleRules::minimumLength
        && HandleRules::startsWithLetter(m_handle) && m_isAvailable == true && !m_isChecking && !m_isSaving;
}

template <typename Change> void ProfileSetupViewModel::changing(Change&& change)
{
    const bool could = canContinue();
    change();
    if (canContinue() != could)
        emit canContinueChanged();
}

void ProfileSetupViewModel::judgeHandle()
{
    changing([this] {
        setVerdict(std::nullopt, std::nullopt);
        setErrorMessage({});
        cancelCheck();
        if (m_handle.isEmpty()) {
            setIsChecking(false);
        } else if (const std::optional<QString> violation = HandleRules::localViolation(m_handle)) {
            setVerdict(false, *violation);
            setIsChecking(false);
        } else {
            startCheck();
        }
    });
}

void ProfileSetupViewModel::startCheck()
{
    setIsChecking(true);
    m_pendingCheck = m_scheduler.after(
        checkDelay, [this, handle = m_handle, check = m_currentCheck] { requestAvailability(handle, check); });
}

void ProfileSetupViewModel::cancelCheck()
{
    if (m_pendingCheck)
        m_pendingCheck->cancel();
    m_pendingCheck.reset();
    ++m_currentCheck;
}

void ProfileSetupViewModel::requestAvailability(const QString& handle, quint64 check)
{
    m_pendingCheck.reset();
    m_client.checkHandle(handle).then(this, [this, check](const Result<HandleAvailability>& answer) {
        if (check != m_currentCheck)
            return;
        changing([&] {
            if (answer)
                setVerdict(answer.value().available, answer.value().reason);
            else
                setVerdict(false, u"Unable to check availability"_s);
            setIsChecking(false);
        });
    });
}

void ProfileSetupViewModel::save()
{
    if (!canContinue())
        return;
    changing([this] {
        setIsSaving(true);
        setErrorMessage({});
    });
    const QString sent = m_handle;
    ProfileChanges changes;
    changes.handle = sent;
    m_client.updateProfile(changes).then(this, [this, sent](const Result<UserProfile>& result) {
        if (result)
            didSave(sent);
        else
            showSaveError(result.error(), sent);
    });
}

void ProfileSetupViewModel::didSave(const QString& savedHandle)
{
    // What the service accepted, even when the field was edited meanwhile.
    m_auth.setHandle(savedHandle);
    m_auth.setNeedsProfileSetup(false);
    m_settings.set(SettingsKey::handle, PlistValue(savedHandle));
    changing([this] {
        m_saved = true;
        setIsSaving(false);
    });
    emit complete();
}

void ProfileSetupViewModel::showSaveError(const ServiceError& error, const QString& sentHandle)
{
    changing([&] {
        setIsSaving(false);
        if (const std::optional<QString> message = saveErrorMessage(error))
            setErrorMessage(*message);
        else if (m_handle == sentHandle)
            setVerdict(false, handleTaken);
    });
}

void ProfileSetupViewModel::setVerdict(std::optional<bool> isAvailable, const std::optional<QString>& reason)
{
    if (m_isAvailable == isAvailable && m_availabilityReason == reason)
        return;
    m_isAvailable = isAvailable;
    m_availabilityReason = reason;
    emit verdictChanged();
}

void ProfileSetupViewModel::setIsChecking(bool checking)
{
    if (m_isChecking == checking)
        return;
    m_isChecking = checking;
    emit isCheckingChanged();
}

void ProfileSetupViewModel::setIsSaving(bool saving)
{
    if (m_isSaving == saving)
        return;
    m_isSaving = saving;
    emit isSavingChanged();
}

void ProfileSetupViewModel::setErrorMessage(const QString& message)
{
    if (m_errorMessage == message)
        return;
    m_errorMessage = message;
    emit errorMessageChanged();
}
