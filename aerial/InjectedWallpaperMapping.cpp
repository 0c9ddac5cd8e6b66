#include "InjectedWallpaperMapping.h"

#include "UuidText.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString keyEntries = QStringLiteral("entries");

} // namespace

InjectedWallpaperMapping InjectedWallpaperMapping::decode(const QByteArray& json)
{
    const QJsonValue entries = QJsonDocument::fromJson(json).object().value(keyEntries);
    if (!entries.isObject())
        return {};
    InjectedWallpaperMapping mapping;
    const QJsonObject object = entries.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it->isString())
            return {};
        mapping.entries.insert(it.key(), it->toString());
    }
    return mapping;
}

QByteArray InjectedWallpaperMapping::encode() const
{
    QJsonObject object;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        object.insert(it.key(), it.value());
    return QJsonDocument(QJsonObject { { keyEntries, object } }).toJson(QJsonDocument::Compact);
}

QMap<QUuid, QUuid> InjectedWallpaperMapping::uuidMap() const
{
    QMap<QUuid, QUuid> map;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        const auto wallpaper = uuidFromText(it.key());
        const auto asset = uuidFromText(it.value());
        if (wallpaper && asset)
            map.insert(*wallpaper, *asset);
    }
    return map;
}

InjectedWallpaperMapping InjectedWallpaperMapping::fromUuidMap(const QMap<QUuid, QUuid>& map)
{
    InjectedWallpaperMapping mapping;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        mapping.entries.insert(uuidText(it.key()), uuidText(it.value()));
    return mapping;
}
