#include "EmbeddedMetadata.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Reads one optional field; false when it is present with the wrong type.
bool readText(const QJsonObject& object, const char* key, std::optional<QString>& field)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isString())
        return false;
    field = value.toString();
    return true;
}

bool readTexts(const QJsonObject& object, const char* key, std::optional<QStringList>& field)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isArray())
        return false;
    QStringList texts;
    for (const QJsonValue& element : value.toArray()) {
        if (!element.isString())
            return false;
        texts.append(element.toString());
    }
    field = texts;
    return true;
}

} // namespace

std::optional<EmbeddedMetadata> EmbeddedMetadata::fromJson(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    EmbeddedMetadata metadata;
    const bool valid = readText(object, "series", metadata.series)
        && readTexts(object, "characters", metadata.characters) && readText(object, "medium", metadata.medium)
        && readTexts(object, "themes", metadata.themes) && readText(object, "category", metadata.category);
    if (!valid)
        return std::nullopt;
    return metadata;
}
