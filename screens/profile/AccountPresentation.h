#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include "AuthService.h"

// How the account is named in the window: the account row's name and initials,
// and the sidebar's profile label.
class AccountPresentation : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(AuthService* auth READ auth WRITE setAuth NOTIFY changed)
    Q_PROPERTY(QString accountName READ accountName NOTIFY changed)
    Q_PROPERTY(QString profileLabel READ profileLabel NOTIFY changed)
    Q_PROPERTY(QString initials READ initials NOTIFY changed)

public:
    explicit AccountPresentation(QObject* parent = nullptr);

    AuthService* auth() const { return m_auth; }
    void setAuth(AuthService* auth);

    // The display name, "Lanto User" without one; an empty name stays empty.
    QString accountName() const;
    // The display name, or the section's title "Profile" without one.
    QString profileLabel() const;
    QString initials() const { return initials(displayName()); }
    // The first letters of the first and last words, upper case; "?" without words.
    static QString initials(const QString& displayName);

signals:
    void changed();

private:
    QString displayName() const;

    QPointer<AuthService> m_auth;
};
