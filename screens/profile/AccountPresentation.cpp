#include "AccountPresentation.h"

#include "AuthService.h"
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
    const QStringList words = displayName.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return QStringLiteral("?");
    QString result = words.first().left(1);
    if (words.size() >= 2)
        result += words.last().left(1);
    return result.toUpper();
}

void AccountPresentation::startSignIn()
{
    if (!m_auth || m_auth->isLoading())
        return;
    m_auth->setIsLoading(true);
    m_auth->setSignInError(QString());
    m_auth->signIn();
}
