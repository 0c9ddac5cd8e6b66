#pragma once

#include "WireFields.h"

#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

// The service's catalogue records as they cross the wire, each described once
// by its wireFields() table, which every reader and writer follows. The JSON
// key of each field is its own name. Decoding gives nothing when a required
// field is missing or of the wrong type; an optional field that is absent or
// null stays absent, and is left out again when encoding. Unknown keys are ignored.

// The creator as embedded in a catalogue item.
struct APIProfile
{
    QString id;
    std::optional<QString> name;
    std::optional<QString> avatarUrl;
    bool isVerified = false;

    static constexpr auto wireFields()
    {
        using W = APIProfile;
        return std::tuple { Wire::field("id", &W::id, Wire::shared), Wire::field("name", &W::name, Wire::shared),
                            Wire::field("avatarUrl", &W::avatarUrl, Wire::shared),
                            Wire::field("isVerified", &W::isVerified) };
    }
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

    static constexpr auto wireFields()
    {
        using W = APICategory;
        return std::tuple { Wire::field("id", &W::id, Wire::shared), Wire::field("name", &W::name, Wire::shared),
                            Wire::field("icon", &W::icon, Wire::shared), Wire::field("sortOrder", &W::sortOrder),
                            Wire::field("createdAt", &W::createdAt, Wire::shared) };
    }
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

    static constexpr auto wireFields()
    {
        using W = APIWallpaper;
        using Wire::field;
        return std::tuple {
            field("id", &W::id),
            field("title", &W::title),
            field("type", &W::type, Wire::shared),
            field("resolutionWidth", &W::resolutionWidth),
            field("resolutionHeight", &W::resolutionHeight),
            field("fileSize", &W::fileSize),
            field("thumbnailPath", &W::thumbnailPath),
            field("contentPath", &W::contentPath),
            field("previewColors", &W::previewColors),
            field("downloadCount", &W::downloadCount),
            field("favoriteCount", &W::favoriteCount),
            field("applyCount", &W::applyCount),
            field("createdAt", &W::createdAt, Wire::shared),
            field("updatedAt", &W::updatedAt, Wire::shared),
            field("profile", &W::profile),
            field("category", &W::category),
            field("posterPath", &W::posterPath),
            field("previewClipPath", &W::previewClipPath),
            field("tags", &W::tags),
            field("trendCount", &W::trendCount),
            field("localizedTitles", &W::localizedTitles),
            field("status", &W::status, Wire::shared),
        };
    }
    static std::optional<APIWallpaper> fromJson(const QJsonObject& object);
    QJsonObject toJson() const;
    bool operator==(const APIWallpaper&) const = default;
};

// Every member is a Qt implicitly shared value or a plain one: a list may move
// records by their bytes, and grows in place instead of moving each one.
Q_DECLARE_TYPEINFO(APIWallpaper, Q_RELOCATABLE_TYPE);
