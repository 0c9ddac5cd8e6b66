#pragma once

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
    // "submittedAt" of older files is accepted on reading and never written.

    // Nothing when a required key is missing or any key has the wrong type.
    static std::optional<LocalWallpaperMeta> fromJson(const QByteArray& json);
    // Compact JSON, keys in field order, absent optional keys left out.
    QByteArray toJson() const;

    // The record of a wallpaper whose folder is named by its cloud id; nothing without one.
    static std::optional<LocalWallpaperMeta> of(const Wallpaper& wallpaper);

    bool operator==(const LocalWallpaperMeta&) const = default;
};
