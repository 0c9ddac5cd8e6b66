#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QUuid>

// Which wallpaper was placed on the lock screen under which aerial asset id,
// as stored under "injectedWallpapers": {"entries": {wallpaper id: asset id}}.
struct InjectedWallpaperMapping
{
    QMap<QString, QString> entries;

    // Nothing decodes to the empty record: not JSON, not that shape, or a value that is not text.
    static InjectedWallpaperMapping decode(const QByteArray& json);
    QByteArray encode() const;

    // The entries whose key and value both read as UUIDs.
    QMap<QUuid, QUuid> uuidMap() const;
    static InjectedWallpaperMapping fromUuidMap(const QMap<QUuid, QUuid>& map);
};
