#include "AccountPresentation.h"

#include "AuthService.h"
#include "AvatarStyle.h"
#include "Rebind.h"

AccountPresentation::AccountPresentation(QObject* parent) : QObject(parent) {}

void AccountPresentation::setAuth(AuthService* auth)
{
    const bool changedAuth = rebind(m_auth, auth, this, [this](AuthService* added) {
        connect(added, &AuthService::displayNameChanged, this, &AccountPresentation::changed);
    });
    if (changedAuth)
        emit changed();
}

QString AccountPresentation::displayName() const
{
    return m_auth ? m_auth->displayName() : QString();
}

QString AccountPresentation::accountName() const
{
    const QString name = displayName();
    return name.isNull() ? tr("Lanto User") : name;
}

QString AccountPresentation::profileLabel() const
{
    const QString name = displayName();
    return name.isNull() ? tr("Profile") : name;
}

QString AccountPresentation::initials(const QString& displayName)
{
    return AvatarStyle::editorInitials(displayName);
}
