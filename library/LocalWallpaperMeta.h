#pragma once

#include "WireFields.h"

#include <QByteArray>
#include <QJsonObject>
#include <QMap>
#include <QString>

#include <optional>

struct Wallpaper;

// The "metadata.json" record in a wallpaper's folder. Its presence marks the
// user's own (imported or submitted) wallpapers; catalogue downloads have none.
struct LocalWallpaperMeta
{
    QString hexID; // the folder's name
    QString title;
    QString category; // display name of the category
    QString type; // "video" or "image"
    qint64 resolutionWidth = 0;
    qint64 resolutionHeight = 0;
    qint64 fileSize = 0;
    std::optional<QMap<QString, QString>> localizedTitles;
    std::optional<QString> submissionStatus;
    std::optional<QString> serverWallpaperId;

    // The file's keys, written in this order.
    static constexpr auto wireFields()
    {
        using M = LocalWallpaperMeta;
        using Wire::field;
        return std::tuple {
            field("hexID", &M::hexID),
            field("title", &M::title),
            field("category", &M::category),
            field("type", &M::type),
            field("resolutionWidth", &M::resolutionWidth),
            field("resolutionHeight", &M::resolutionHeight),
            field("fileSize", &M::fileSize),
            field("localizedTitles", &M::localizedTitles),
            field("submissionStatus", &M::submissionStatus),
            Wire::retired<QString>("submittedAt"), // older files have it
            field("serverWallpaperId", &M::serverWallpaperId),
        };
    }

    // Nothing when a required key is missing or any key has the wrong type.
    static std::optional<LocalWallpaperMeta> fromJson(const QByteArray& json);
    // Compact JSON, keys in field order, absent optional keys left out.
    QByteArray toJson() const;

    // The record of a wallpaper whose folder is named by its cloud id; nothing without one.
    static std::optional<LocalWallpaperMeta> of(const Wallpaper& wallpaper);

    bool operator==(const LocalWallpaperMeta&) const = default;
};
