#include "LocalWallpaperMeta.h"

#include "JsonFields.h"
#include "Wallpaper.h"
#include "WireBytes.h"

#include <QJsonDocument>

using namespace Qt::Literals::StringLiterals;

std::optional<LocalWallpaperMeta> LocalWallpaperMeta::fromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return JsonFields::readRecord<LocalWallpaperMeta>(document.object());
}

QByteArray LocalWallpaperMeta::toJson() const
{
    QByteArray json;
    WireBytes::appendRecord<WireBytes::metadataLayout>(json, *this);
    return json;
}

std::optional<LocalWallpaperMeta> LocalWallpaperMeta::of(const Wallpaper& wallpaper)
{
    if (!wallpaper.cloudID())
        return std::nullopt;
    LocalWallpaperMeta meta;
    meta.hexID = *wallpaper.cloudID();
    meta.title = wallpaper.title();
    meta.category = rawValue(wallpaper.category());
    meta.type = wallpaper.wallpaperType() == WallpaperType::video ? u"video"_s : u"image"_s;
    meta.resolutionWidth = Wallpaper::wholePixels(wallpaper.resolution().width());
    meta.resolutionHeight = Wallpaper::wholePixels(wallpaper.resolution().height());
    meta.fileSize = wallpaper.fileSize();
    meta.localizedTitles = wallpaper.localizedTitles();
    meta.submissionStatus = wallpaper.submissionStatus();
    meta.serverWallpaperId = wallpaper.serverWallpaperId();
    return meta;
}
