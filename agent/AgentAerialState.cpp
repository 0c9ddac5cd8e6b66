#include "AgentAerialState.h"

#include "AgentLog.h"
#include "PropertyList.h"
#include "SettingsKeys.h"

#include <QJsonDocument>

namespace {

std::optional<QJsonObject> jsonObject(const PlistValue& value)
{
    const std::optional<QByteArray> bytes = value.toData();
    if (!bytes)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(*bytes);
    return document.isObject() ? std::optional(document.object()) : std::nullopt;
}

} // namespace

void AgentAerialState::load(const QString& settingsPath)
{
    const std::optional<PlistValue> root = PropertyList::readFile(settingsPath);
    const auto settings = root ? root->toDictionary() : std::nullopt;
    if (!settings) {
        AgentLog::agent.error(QStringLiteral("Cannot read Settings.plist"));
        aerialID.reset();
        displayUUID.reset();
        return;
    }
    // Only the Bool true counts; the text "true" does not.
    if (settings->value(SettingsKey::lockScreenEnabled).toBool() != true) {
        if (aerialID)
            AgentLog::agent.info(QStringLiteral("Lock screen disabled — clearing state"));
        *this = AgentAerialState();
        return;
    }
    aerialID = settings->value(SettingsKey::activeAerialID).toString();
    displayUUID = settings->value(SettingsKey::activeDisplayUUID).toString();
    if (auto entry = jsonObject(settings->value(SettingsKey::cachedAssetEntry)))
        cachedAssetEntry = std::move(entry);
    if (auto entry = jsonObject(settings->value(SettingsKey::cachedCategoryEntry)))
        cachedCategoryEntry = std::move(entry);
}
