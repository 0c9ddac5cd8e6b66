#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <QtQml/qqmlregistration.h>

#include <optional>

// Who made a wallpaper. Equal only when every field is equal.
struct Creator
{
    Q_GADGET
    QML_VALUE_TYPE(creator)
    // What the screens read; an absent avatar address or profile id reads as empty.
    Q_PROPERTY(QString id READ idText CONSTANT)
    Q_PROPERTY(bool isValid READ isValid CONSTANT)
    Q_PROPERTY(QString name MEMBER name CONSTANT)
    Q_PROPERTY(QColor avatarColor MEMBER avatarColor CONSTANT)
    Q_PROPERTY(QString avatarUrl READ avatarUrlText CONSTANT)
    Q_PROPERTY(qint64 wallpaperCount MEMBER wallpaperCount CONSTANT)
    Q_PROPERTY(qint64 followerCount MEMBER followerCount CONSTANT)
    Q_PROPERTY(bool isVerified MEMBER isVerified CONSTANT)
    Q_PROPERTY(QString serverProfileId READ serverProfileIdText CONSTANT)
    // The creator chip's avatar and its stand-in letter.
    Q_PROPERTY(QUrl avatarImageUrl READ avatarImageUrl CONSTANT)
    Q_PROPERTY(QString initial READ initial CONSTANT)

public:
    QUuid id;
    QString name;
    QColor avatarColor;
    std::optional<QString> avatarUrl;
    qint64 wallpaperCount = 0;
    qint64 followerCount = 0;
    bool isVerified = false;
    std::optional<QString> serverProfileId; // the service's profile id

    bool operator==(const Creator&) const = default;

    bool isValid() const { return !id.isNull(); }
    QString idText() const { return id.toString(QUuid::WithoutBraces); }
    QString avatarUrlText() const { return avatarUrl.value_or(QString()); }
    QString serverProfileIdText() const { return serverProfileId.value_or(QString()); }
    // The avatar address when it is an absolute URL; empty otherwise, so nothing is loaded.
    QUrl avatarImageUrl() const;
    // The first character of the name as the reader sees it (an emoji or a letter with
    // its accents), its case unchanged; empty for an empty name.
    QString initial() const;
};
