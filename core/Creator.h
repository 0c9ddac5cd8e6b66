#pragma once

#include <QColor>
#include <QString>
#include <QUuid>

#include <optional>

// Who made a wallpaper. Equal only when every field is equal.
struct Creator
{
    QUuid id;
    QString name;
    QColor avatarColor;
    std::optional<QString> avatarUrl;
    qint64 wallpaperCount = 0;
    qint64 followerCount = 0;
    bool isVerified = false;
    std::optional<QString> serverProfileId; // the service's profile id

    bool operator==(const Creator&) const = default;
};
