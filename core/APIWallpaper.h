#pragma once

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// The service's catalogue records as they cross the wire. The JSON key of each
// field is its own name. Decoding gives nothing when a required field is
// missing or of the wrong type; an optional field that is absent or null stays
// absent, and is left out again when encoding. Unknown keys are ignored.

// The creator as embedded in a catalogue item.
struct APIProfile
{
    QString id;
    std::optional<QString> name;
    std::optional<QString> avatarUrl;
    bool isVerified = false;

    static std::optional<APIProfile> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
    bool operator==(const APIProfile&) const = default;
};

// The category as embedded in a catalogue item.
struct APICategory
{
    QString id;
    QString name;
    QString icon;
    std::optional<qint64> sortOrder;
    std::optional<QString> createdAt;

    static std::optional<APICategory> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
    bool operator==(const APICategory&) const = default;
};

// One catalogue item; also the element of the local catalogue cache.
struct APIWallpaper
{
    QString id; // hexadecimal
    QString title;
    QString type; // "video" for a video; anything else is an image
    qint64 resolutionWidth = 0;
    qint64 resolutionHeight = 0;
    qint64 fileSize = 0;
    QString thumbnailPath;
    QString contentPath;
    std::optional<QStringList> previewColors; // hex colour texts
    qint64 downloadCount = 0;
    qint64 favoriteCount = 0;
    qint64 applyCount = 0;
    QString createdAt; // kept as the service's text
    QString updatedAt;
    APIProfile profile;
    APICategory category;
    std::optional<QString> posterPath;
    std::optional<QString> previewClipPath;
    QStringList tags;
    std::optional<qint64> trendCount;
    std::optional<QMap<QString, QString>> localizedTitles;
    std::optional<QString> status; // review status of a submitted wallpaper

    static std::optional<APIWallpaper> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
    bool operator==(const APIWallpaper&) const = default;
};

// Every member is a Qt implicitly shared value or a plain one: a list may move
// records by their bytes, and grows in place instead of moving each one.
Q_DECLARE_TYPEINFO(APIWallpaper, Q_RELOCATABLE_TYPE);
