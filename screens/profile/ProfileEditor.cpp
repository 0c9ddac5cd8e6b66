#include "ProfileEditor.h"

#include "AppEnvironment.h"
#include "AuthService.h"
#include "BlankTrim.h"
#include "FutureDelivery.h"
#include "LantoAPIClient.h"
#include "LantoSettings.h"
#include "Log.h"
#include "PictureDecoding.h"
#include "WallpaperManager.h"

#include <QBuffer>
#include <QDateTime>

namespace {

ProfileEditor::Services fromEnvironment()
{
    const AppEnvironment::Objects& objects = AppEnvironment::installedObjects();
    return { objects.auth, objects.apiClient, objects.settings, objects.wallpaperManager };
}

QByteArray jpegOf(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "JPEG", ProfileEditor::jpegQuality))
        return {};
    return bytes;
}

// One save's trip to the service, owned by the account: it survives the editor
// and ends with the program, or with the account it was started for: an answer
// that arrives after sign-out must not bring that account's name and picture back.
class ProfileUpdate : public QObject
{
public:
    ProfileUpdate(const ProfileEditor::Services& services, QString name)
        : QObject(services.auth), m_services(services), m_name(std::move(name)), m_account(services.auth->userID())
    {
        connect(services.auth, &AuthService::isSignedInChanged, this, &ProfileUpdate::endIfAccountLeft);
        connect(services.auth, &AuthService::userIDChanged, this, &ProfileUpdate::endIfAccountLeft);
    }

    void run(const QImage& picture)
    {
        if (picture.isNull())
            return sendName();
        runDeliveredTo(this, [picture] { return jpegOf(picture); }).then(this, [this](const QByteArray& jpeg) {
            if (jpeg.isEmpty())
                return sendName();
            m_services.client->uploadAvatar(jpeg, QStringLiteral("image/jpeg"))
                .then(this, [this](const Result<QString>& uploaded) {
                    if (!uploaded)
                        return fail(uploaded.error().description());
                    const QString address = uploaded.value() + QStringLiteral("?t=")
                        + QString::number(QDateTime::currentSecsSinceEpoch());
                    m_services.auth->setAvatarUrl(address);
                    m_services.settings->set(SettingsKey::avatarUrl, PlistValue(address));
                    sendName();
                });
        });
    }

private:
    void sendName()
    {
        ProfileChanges changes;
        changes.name = m_name;
        m_services.client->updateProfile(changes).then(this, [this](const Result<UserProfile>& reply) {
            if (!reply)
                return fail(reply.error().description());
            AuthService& auth = *m_services.auth;
            const QString name = reply.value().name;
            auth.setDisplayName(name);
            m_services.settings->set(SettingsKey::appleDisplayName, PlistValue(name));
            if (m_services.manager && !auth.profileId().isEmpty()) {
                const QString avatar = auth.avatarUrl();
                m_services.manager->updateOwnCreator(
                    auth.profileId(), name, avatar.isNull() ? std::nullopt : std::optional(avatar));
            }
            deleteLater();
        });
    }

    // Deleting the update drops the continuations still waiting on it.
    void endIfAccountLeft()
    {
        if (!m_services.auth->isSignedIn() || m_services.auth->userID() != m_account)
            delete this;
    }

    void fail(const QString& description)
    {
        Log::write(QStringLiteral("Lanto: Failed to update profile — ") + description);
        deleteLater();
    }

    ProfileEditor::Services m_services;
    QString m_name;
    const QString m_account;
};

} // namespace

ProfileEditor::ProfileEditor(QObject* parent) : ProfileEditor(fromEnvironment(), parent) {}

ProfileEditor::ProfileEditor(const Services& services, QObject* parent)
    : QObject(parent), m_services(services), m_name(services.auth ? services.auth->displayName() : QString())
{
}

QString ProfileEditor::trimmed(const QString& name)
{
    return trimmedOfBlanks(name);
}

void ProfileEditor::setName(const QString& name)
{
    if (m_name == name)
        return;
    m_name = name;
    emit nameChanged();
}

void ProfileEditor::pickAvatarFile(const QUrl& file)
{
    if (!file.isLocalFile())
        return;
    // Upright as the camera held it; kept at full size for the upload.
    runDeliveredTo(this, [path = file.toLocalFile()] { return PictureDecoding::decodeFile(path, QSize()); })
        .then(this, [this](const QImage& image) {
            if (image.isNull())
                return;
            m_avatarImage = image;
            emit avatarImageChanged();
        });
}

bool ProfileEditor::save()
{
    const QString name = trimmed(m_name);
    AuthService* auth = m_services.auth;
    if (name.isEmpty() || !auth || !m_services.client || !m_services.settings)
        return false;
    auth->setDisplayName(name);
    m_services.settings->set(SettingsKey::appleDisplayName, PlistValue(name));
    if (!m_avatarImage.isNull())
        auth->setLocalAvatarImage(m_avatarImage);
    (new ProfileUpdate(m_services, name))->run(m_avatarImage);
    return true;
}
