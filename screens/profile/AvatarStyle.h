#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// How the signed-in user's avatar looks without a picture: the placeholder's
// colour and the letters on it. The editor and the profile screen share the
// colour rule but count initials differently; each initial is a whole
// character as the reader sees it (an emoji stays whole).
class AvatarStyle : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    using QObject::QObject;

    // One of the twelve palette names in any case, or "#" and hex digits; purple otherwise.
    Q_INVOKABLE static QColor placeholderColor(const QString& avatarColor);
    // First letters of the first and last word of the name being typed; "?" when
    // blank. The account row names the account the same way.
    Q_INVOKABLE static QString editorInitials(const QString& name);
    // First letters of the first two words of the display name; without one,
    // the first letter of "Lanto User".
    Q_INVOKABLE static QString profileInitials(const QString& displayName);
    // The name the profile shows.
    Q_INVOKABLE static QString profileName(const QString& displayName);
};
